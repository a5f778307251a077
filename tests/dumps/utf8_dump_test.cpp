// The UTF-8 decode table: header, rows, character area layout at every column where it
// changes, carry-over into the next row, limits, messages, timing line and the single write.
#include <algorithm>
#include <cstdio>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "core/clock.h"
#include "platform/seams.h"
#include "support/session_fixture.h"
#include "text/utf.h"

namespace {
const std::string kError = "[SYSLOG][■--ERROR--■] ";
const std::string kSep = std::string(83, '-') + "\r\n";
const std::string kRuler =
    "00 01 02 03 04 05 06 07 |08 09 0A 0B 0C 0D 0E 0F |01234567|89ABCDEF| Dec   Hex\r\n";
const std::string kE9 = "\xC3\xA9";            // U+00E9, two bytes
const std::string kSun = "\xE6\x97\xA5";       // U+65E5, three bytes
const std::string kGrin = "\xF0\x9F\x98\x80";  // U+1F600, four bytes

std::string blanks(size_t n) { return std::string(n, ' '); }

// The header, with "%p" where the block's address stands.
std::string header(const std::string& prefix, int size,
                   const std::string& charSet = "UTF8(NoBom)") {
    return kSep + "addr={%p} prefix={" + prefix + "} charSet={" + charSet +
           "} size(BYTE)=" + std::to_string(size) + "\r\n" + kRuler + kSep;
}

std::string trailer(int cnt) {
    char text[32];
    std::snprintf(text, sizeof text, " %06d 0x%04x\r\n", cnt, cnt);
    return text;
}

// A row from its hex area and character area as laid out by hand.
std::string row(const std::string& hex, const std::string& chars, int cnt) {
    return hex + "|" + chars + "|" + trailer(cnt);
}

// The hex area of the sixteen data offsets from `start`.
std::string hexArea(const std::string& data, size_t start) {
    std::string area;
    for (size_t k = 0; k < 16; ++k) {
        if (k == 8) area += "|";
        char cell[4] = "   ";
        if (start + k < data.size())
            std::snprintf(cell, sizeof cell, "%02x ", static_cast<unsigned char>(data[start + k]));
        area += cell;
    }
    return area;
}

// Rows of `data` from their character areas: hex areas and trailers follow from the data.
std::string rows(const std::string& data, const std::vector<std::string>& areas) {
    std::string text;
    for (size_t r = 0; r < areas.size(); ++r)
        text += row(hexArea(data, 16 * r), areas[r],
                    static_cast<int>(std::min(16 * (r + 1), data.size())));
    return text;
}

std::vector<std::string> gPieces;
BOOL (*gThen)(HANDLE, LPCVOID, DWORD, LPDWORD) = nullptr;

BOOL recordPiece(HANDLE file, LPCVOID bytes, DWORD count, LPDWORD written, LPOVERLAPPED) {
    gPieces.emplace_back(static_cast<const char*>(bytes), count);
    if (gThen) return gThen(file, bytes, count, written);
    return ::WriteFile(file, bytes, count, written, nullptr);
}

void recordWrites(BOOL (*then)(HANDLE, LPCVOID, DWORD, LPDWORD) = nullptr) {
    gPieces.clear();
    gThen = then;
    quillpen::seams::setWriteFile(recordPiece);
}

BOOL failWrite(HANDLE, LPCVOID, DWORD, LPDWORD written) {
    if (written) *written = 0;
    return FALSE;
}

// The table's write takes 1.234 s on the fake clock.
BOOL slowTableWrite(HANDLE file, LPCVOID bytes, DWORD count, LPDWORD written) {
    if (std::string(static_cast<const char*>(bytes), count).find("addr={") != std::string::npos)
        quillpen::seams::setFakeTicks(quillpen::clockTicks() + 12345678);
    return ::WriteFile(file, bytes, count, written, nullptr);
}

// A seeded mix of 1- to 4-byte characters; its ASCII avoids the layout's own marks.
std::string generatedText(uint32_t seed, size_t bytes) {
    static const std::string kAscii =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    static const uint32_t kFrom[] = {0, 0x80, 0x800, 0x10000};
    static const uint32_t kSpan[] = {0, 0x780, 0xD000, 0x100000};  // no surrogates
    std::mt19937 gen(seed);
    std::string text;
    while (text.size() < bytes) {
        const uint32_t kind = gen() % 4;
        char encoded[4] = {kAscii[gen() % kAscii.size()]};
        const int n =
            kind == 0 ? 1 : quillpen::utf32ToUtf8(kFrom[kind] + gen() % kSpan[kind], encoded);
        text.append(encoded, n);
    }
    return text;
}

// Reads a table of `data` back: every row shows its sixteen bytes, sixteen columns with one
// group mark after column 7, a trailer 16 more than the row before, and the glyphs of all
// rows together give the data again.
void checkTable(const std::string& table, const std::string& data) {
    size_t at = 0;
    for (int line = 0; line < 4; ++line) at = table.find("\r\n", at) + 2;
    std::string glyphs;
    size_t r = 0;
    for (; table.compare(at, kSep.size(), kSep) != 0; ++r) {
        const size_t end = table.find("\r\n", at);
        ASSERT_NE(end, std::string::npos);
        const std::string line = table.substr(at, end - at);
        at = end + 2;
        SCOPED_TRACE("row " + std::to_string(r) + ": " + line);
        ASSERT_GE(line.size(), 82u);
        EXPECT_LE(line.size(), 91u);
        EXPECT_EQ(line.substr(0, 49), hexArea(data, 16 * r));
        EXPECT_EQ(line[49], '|');
        EXPECT_EQ(line[line.size() - 15], '|');
        EXPECT_EQ(line.substr(line.size() - 14) + "\r\n",
                  trailer(static_cast<int>(std::min(16 * (r + 1), data.size()))));
        const std::string area = line.substr(50, line.size() - 65);
        int column = 0, marks = 0, markColumn = -1;
        for (size_t k = 0; k < area.size();) {
            const auto lead = static_cast<unsigned char>(area[k]);
            const size_t n = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
            if (lead == '|') {
                ++marks;
                markColumn = column;
            } else {
                if (std::string(".` ").find(static_cast<char>(lead)) == std::string::npos)
                    glyphs += area.substr(k, n);
                column += n < 3 ? 1 : 2;
            }
            k += n;
        }
        EXPECT_EQ(marks, 1);
        EXPECT_EQ(markColumn, 8);
        EXPECT_EQ(column, 16);
    }
    EXPECT_EQ(r, (data.size() + 15) / 16);
    EXPECT_EQ(glyphs, data);
    EXPECT_EQ(table.substr(at), kSep);
}
}  // namespace

TEST_F(SessionTest, DecodeTableWorkedExamples) {
    ASSERT_EQ(open(), 1);
    logDumpUTF8(W("ABCDEFG\u65e5\u00e9Z"), 0, W("ex1"));
    logDumpUTF8(W("ABCDEFGHIJKLMNO\u65e5"), 0, W("ex2"));
    logDumpUTF8(W("A\tB"), 0, W("ex3"));
    logTerm();
    const std::string ex1 = header("ex1", 13) +
                            row("41 42 43 44 45 46 47 e6 |97 a5 c3 a9 5a " + blanks(9),
                                "ABCDEFG`|" + kSun + kE9 + ".Z" + blanks(3), 13) +
                            kSep;
    const std::string ex2 =
        header("ex2", 18) +
        row("41 42 43 44 45 46 47 48 |49 4a 4b 4c 4d 4e 4f e6 ", "ABCDEFGH|IJKLMNO`", 16) +
        row("97 a5 " + blanks(18) + "|" + blanks(24), kSun + blanks(6) + "|" + blanks(8), 18) +
        kSep;
    // The control byte: reported with the block's length so far, its column left empty.
    const int outLen = static_cast<int>(header("ex3", 3).size()) - 2 + 16 + 49 + 1 + 1;
    const std::string ex3 =
        header("ex3", 3) +
        row("41 09 42 " + blanks(15) + "|" + blanks(24), "AB" + blanks(5) + "|" + blanks(8), 3) +
        kSep;
    EXPECT_EQ(
        maskAddresses(readLog()),
        sessionLines(logPath(),
                     ex1 + ex2 + kError +
                         "utf8 1バイト文字の文字コードが不正です。line=230 utf8_setAsciiConpat() "
                         "pb=09 data len=" +
                         std::to_string(outLen) + " cnt=1\r\n" + ex3));
}

TEST_F(SessionTest, DecodeTableControlByteInEveryColumn) {
    // Printable ASCII is laid out eight bytes at a time where it can be: a control byte in
    // any column, or the bounds 0x1F and 0x7F next to 0x20 and 0x7E, must still be caught.
    const std::string base =
        "\x20\x7E"
        "abcdefghijklmn";
    const int headerBytes = static_cast<int>(header("c", 16).size()) - 2 + 16;
    std::string expected;
    ASSERT_EQ(open(), 1);
    for (const char control : {'\x01', '\x1F', '\x7F'}) {
        for (size_t column = 0; column < 16; ++column) {
            std::string data = base;
            data[column] = control;
            logDumpUTF8(widen(data).c_str(), 0, W("c"));
            std::string chars = data.substr(0, 8) + "|" + data.substr(8);
            chars.erase(column < 8 ? column : column + 1, 1);
            const int outLen =
                headerBytes + 49 + 1 + static_cast<int>(column) + (column < 8 ? 0 : 1);
            char report[160];
            std::snprintf(report, sizeof report,
                          "utf8 1バイト文字の文字コードが不正です。line=230 "
                          "utf8_setAsciiConpat() pb=%02x data len=%d cnt=%d\r\n",
                          static_cast<unsigned char>(control), outLen, static_cast<int>(column));
            expected += kError + report + header("c", 16) + rows(data, {chars}) + kSep;
        }
    }
    logTerm();
    EXPECT_EQ(maskAddresses(readLog()), sessionLines(logPath(), expected));
}

TEST_F(SessionTest, DecodeTableColumnsWhereTheLayoutChanges) {
    struct Case {
        int column;         // where the character begins
        std::string glyph;  // its bytes
        std::vector<std::string> areas;
    };
    const std::string h = "ABCDEFGH|";  // columns 0 to 7 and the mark
    const Case kCases[] = {
        // Two bytes.
        {6, kE9, {"ABCDEF" + kE9 + ".|xyz" + blanks(5)}},
        {7, kE9, {"ABCDEFG" + kE9 + "|.xyz" + blanks(4)}},
        {13, kE9, {h + "IJKLM" + kE9 + ".x", "yz" + blanks(6) + "|" + blanks(8)}},
        {14, kE9, {h + "IJKLMN" + kE9 + ".", "xyz" + blanks(5) + "|" + blanks(8)}},
        {15, kE9, {h + "IJKLMNO" + kE9, ".xyz" + blanks(4) + "|" + blanks(8)}},
        // Three bytes.
        {5, kSun, {"ABCDE" + kSun + ".|xyz" + blanks(5)}},
        {6, kSun, {"ABCDEF" + kSun + "|.xyz" + blanks(4)}},
        {7, kSun, {"ABCDEFG`|" + kSun + "xyz" + blanks(3)}},
        {13, kSun, {h + "IJKLM" + kSun + ".", "xyz" + blanks(5) + "|" + blanks(8)}},
        {14, kSun, {h + "IJKLMN" + kSun, ".xyz" + blanks(4) + "|" + blanks(8)}},
        {15, kSun, {h + "IJKLMNO`", kSun + "xyz" + blanks(3) + "|" + blanks(8)}},
        // Four bytes.
        {4, kGrin, {"ABCD" + kGrin + "..|xyz" + blanks(5)}},
        {5, kGrin, {"ABCDE" + kGrin + ".|.xyz" + blanks(4)}},
        {6, kGrin, {"ABCDEF" + kGrin + "|..xyz" + blanks(3)}},
        {7, kGrin, {"ABCDEFG`|" + kGrin + ".xyz" + blanks(2)}},
        {13, kGrin, {h + "IJKLM" + kGrin + ".", ".xyz" + blanks(4) + "|" + blanks(8)}},
        {14, kGrin, {h + "IJKLMN" + kGrin, "..xyz" + blanks(3) + "|" + blanks(8)}},
        {15, kGrin, {h + "IJKLMNO`", kGrin + ".xyz" + blanks(2) + "|" + blanks(8)}},
        // Data ending in column 7: the mark comes with the blank of column 8.
        {6, kE9, {"ABCDEF" + kE9 + ".|" + blanks(8)}},
    };
    for (size_t n = 0; n < std::size(kCases); ++n) {
        const Case& c = kCases[n];
        const bool last = n + 1 == std::size(kCases);
        const std::string data =
            std::string("ABCDEFGHIJKLMNOP").substr(0, c.column) + c.glyph + (last ? "" : "xyz");
        std::filesystem::remove_all(root_ / "logs");
        ASSERT_EQ(open(), 1);
        logDumpUTF8(widen(data).c_str(), 0, W("c"));
        logTerm();
        EXPECT_EQ(maskAddresses(readLog()),
                  sessionLines(logPath(), header("c", static_cast<int>(data.size())) +
                                              rows(data, c.areas) + kSep))
            << c.column << " " << c.glyph.size();
    }
}

TEST_F(SessionTest, DecodeTableRowCountsAndEmptyData) {
    ASSERT_EQ(open(), 1);
    logDumpUTF8(W(""), 0, W("none"));
    logDumpUTF8(W("ABCDEFGH"), 0, W("8"));
    logDumpUTF8(W("0123456789abcdef"), 0, W("16"));
    logDumpUTF8(W("0123456789abcdefg"), 0, W("17"));
    logTerm();
    EXPECT_EQ(
        maskAddresses(readLog()),
        sessionLines(
            logPath(),
            header("none", 0) + kSep + header("8", 8) +
                row("41 42 43 44 45 46 47 48 |" + blanks(24), "ABCDEFGH|" + blanks(8), 8) + kSep +
                header("16", 16) +
                row("30 31 32 33 34 35 36 37 |38 39 61 62 63 64 65 66 ", "01234567|89abcdef", 16) +
                kSep + header("17", 17) +
                row("30 31 32 33 34 35 36 37 |38 39 61 62 63 64 65 66 ", "01234567|89abcdef", 16) +
                row("67 " + blanks(21) + "|" + blanks(24), "g" + blanks(7) + "|" + blanks(8), 17) +
                kSep));
}

TEST_F(SessionTest, DecodeTableSizeLimitsAndOneWrite) {
    // Three-byte characters repeat every 48 bytes: three rows with carry-overs 315 and 314.
    const std::string kPattern[] = {
        kSun + "." + kSun + "." + kSun + "|." + kSun + "." + kSun + ".`",
        kSun + kSun + "." + kSun + ".|" + kSun + "." + kSun + "." + kSun,
        "." + kSun + "." + kSun + ".`|" + kSun + kSun + "." + kSun + ".",
    };
    std::string data;
    for (int n = 0; n < 2812; ++n) data += kSun;
    data += "ab";  // 8438 bytes
    std::vector<std::string> areas;
    for (int r = 0; r < 527; ++r) areas.push_back(kPattern[r % 3]);
    areas.push_back("." + kSun + ".ab  |" + blanks(8));
    const std::string table = header("max", 8438) + rows(data, areas) + kSep;

    ASSERT_EQ(open(), 1);
    recordWrites();
    logDumpUTF8(widen(data).c_str(), 0, W("max"));
    ASSERT_EQ(gPieces.size(), 1u);  // the whole table, 528 rows, in one write
    EXPECT_EQ(maskAddresses(gPieces[0]), table);
    quillpen::seams::setWriteFile(nullptr);
    logDumpUTF8(widen(data.substr(0, 8436) + kSun).c_str(), 0, W("over"));  // 8439 bytes
    logDumpUTF8(repeat(0x65e5, 4095).c_str(), 0, W("over"));  // 12285: beyond the buffer
    logDumpUTF8(repeat(W('a'), 4096).c_str(), 0, W("units"));
    logDumpUTF8(W("a"), 0, repeat(W('p'), 255).c_str());
    logDumpUTF8(W("a"), 0, repeat(W('p'), 256).c_str());
    logDumpUTF8(nullptr, 0, W("p"));
    logDumpUTF8(W("a"), 0, nullptr);
    logTerm();
    const std::string over = "utf8 line=35 logDump_UTF8 サイズ・オーバー・エラー size=";
    const std::string tail = " 8900バイト以上は出力できません!\r\n";
    const std::string nullText = "} NULLポインタです、処理せずにリターンします。\r\n";
    const std::string p255(255, 'p');
    EXPECT_EQ(
        maskAddresses(readLog()),
        sessionLines(
            logPath(),
            table + kError + over + "8439" + tail + kError + over + "12285" + tail + kError +
                "func={logDumpUTF8 data} buf size over max=8190  user data size=8192\r\n" +
                header(p255, 1) +
                row("61 " + blanks(21) + "|" + blanks(24), "a" + blanks(7) + "|" + blanks(8), 1) +
                kSep + kError +
                "func={logDumpUTF8 prefix} buf size over max=510  user data "
                "size=512\r\n" +
                kError + "func={logDumpUTF8 data" + nullText + kError + "func={logDumpUTF8 prefix" +
                nullText));
}

TEST_F(SessionTest, DecodeTableOfGeneratedText) {
    ASSERT_EQ(open(), 1);
    for (uint32_t seed = 1; seed <= 32; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        const std::string data = generatedText(seed, 640);
        recordWrites();
        logDumpUTF8(widen(data).c_str(), 0, W("gen"));
        ASSERT_EQ(gPieces.size(), 1u);
        checkTable(gPieces[0], data);
    }
    quillpen::seams::setWriteFile(nullptr);
}

TEST_F(SessionTest, DecodeTableEndsLinesInCrLfWhateverTheMode) {
    // The [SYSLOG] line ends in gNewlineW, the text dump in gNewlineA, the table in CR LF.
    const struct {
        int32_t mode;
        std::string lineNl, dumpNl;
    } kModes[] = {{0, "\r\n", "\r\n"}, {1, "\n", "\r"}, {2, "\r", "\n"}};
    for (const auto& m : kModes) {
        const bool bom = m.mode == 1;
        const std::string charSet = bom ? "UTF8N(BomSet)" : "UTF8(NoBom)";
        std::filesystem::remove_all(root_ / "logs");
        ASSERT_EQ(open(0, m.mode, 0, 5, bom ? 1 : 0), 1);
        logDumpUTF8(W("A\tB"), 0, W("nl"));
        logPut(W("ab"), 2, 0, 10);
        logTerm();
        const std::string head = header("nl", 3, charSet);
        const int outLen = static_cast<int>(head.size()) - 2 + 16 + 51;
        EXPECT_EQ(maskAddresses(readLog()),
                  (bom ? "\xEF\xBB\xBF" : "") +
                      sessionLines(logPath(),
                                   kError +
                                       "utf8 1バイト文字の文字コードが不正です。line=230 "
                                       "utf8_setAsciiConpat() pb=09 data len=" +
                                       std::to_string(outLen) + " cnt=1" + m.lineNl + head +
                                       row("41 09 42 " + blanks(15) + "|" + blanks(24),
                                           "AB" + blanks(5) + "|" + blanks(8), 3) +
                                       kSep + m.dumpNl + "ab" + m.dumpNl,
                                   m.lineNl))
            << m.mode;
    }
}

TEST_F(SessionTest, DecodeTableTimingLineInStampModeOne) {
    ASSERT_EQ(open(1), 1);
    recordWrites(slowTableWrite);
    logDumpUTF8(W("AB"), 0, W("t"));
    quillpen::seams::setWriteFile(nullptr);
    logDumpUTF8(repeat(0x65e5, 2813).c_str(), 0, W("t"));  // refused for its size: timed
    logDumpUTF8(repeat(W('a'), 4096).c_str(), 0, W("t"));  // refused argument: not timed
    logDumpUTF8(W("a"), 0, nullptr);
    logTerm();
    const std::string stamp =
        "tid=" + std::to_string(static_cast<int32_t>(GetCurrentThreadId())) + ":0.000000[秒]";
    const std::string info = "[SYSLOG][□--INFO--□] logDumpUTF8 処理時間=";
    EXPECT_EQ(
        maskAddresses(readLog()),
        stamp + "[--- [app] start Log={" + logPath().u8string() + "} ---]\r\n" + header("t", 2) +
            row("41 42 " + blanks(18) + "|" + blanks(24), "AB" + blanks(6) + "|" + blanks(8), 2) +
            kSep + info + "1.234000[秒]\r\n" + kError +
            "utf8 line=35 logDump_UTF8 サイズ・オーバー・エラー size=8439 "
            "8900バイト以上は出力できません!\r\n" +
            info + "0.000000[秒]\r\n" + kError +
            "func={logDumpUTF8 data} buf size over max=8190  user data size=8192\r\n" + kError +
            "func={logDumpUTF8 prefix} NULLポインタです、処理せずにリターンします。\r\n" + stamp +
            "[--- [app] end Log. ---]\r\n");
}

TEST_F(SessionTest, DecodeTableWithoutAWriterOrWithAFailingOne) {
    // Without a session or with LOG_SLEEP on, not even the length checks run.
    logDumpUTF8(nullptr, 0, nullptr);
    logDumpUTF8(repeat(W('a'), 5000).c_str(), 0, W("x"));
    ASSERT_EQ(open(0, 0, 1), 1);
    logDumpUTF8(nullptr, 0, nullptr);
    logDumpUTF8(repeat(W('a'), 5000).c_str(), 0, W("x"));
    logDumpUTF8(W("A\tB"), 0, W("x"));
    logTerm();
    logDumpUTF8(W("A\tB"), 0, W("x"));
    EXPECT_EQ(readLog(),
              "##### LOG_SLEEP Switch ON! No save logs...  logInit() No.5 Param 0 Set to start "
              "Log! #####");
    EXPECT_TRUE(boxes().empty());

    // A failed write of the table leaves no trace, and the next table is written.
    std::filesystem::remove_all(root_ / "logs");
    ASSERT_EQ(open(), 1);
    recordWrites(failWrite);
    logDumpUTF8(W("lost"), 0, W("x"));
    EXPECT_EQ(gPieces.size(), 1u);
    quillpen::seams::setWriteFile(nullptr);
    logDumpUTF8(W("kept"), 0, W("x"));
    logTerm();
    EXPECT_EQ(maskAddresses(readLog()),
              sessionLines(logPath(), header("x", 4) +
                                          row("6b 65 70 74 " + blanks(12) + "|" + blanks(24),
                                              "kept" + blanks(4) + "|" + blanks(8), 4) +
                                          kSep));
}
