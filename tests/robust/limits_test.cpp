// Every length limit of the exports, at the limit and one past it: the text at the limit
// is written whole, the one past it refused with the report of its label, and nothing in
// between is written in part.
#include <climits>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "robust/expected_text.h"
#include "robust/log_parse.h"
#include "support/session_fixture.h"

namespace {

constexpr DWORD kNoText = 0x20000001;  // a last-error code no system has a text for

std::string times(const std::string& piece, size_t n) {
    std::string out;
    for (size_t i = 0; i < n; ++i) out += piece;
    return out;
}

class Limits : public SessionTest {};
}  // namespace

TEST_F(Limits, FormatsOfTheLineFunctions) {
    ASSERT_EQ(open(), 1);
    const WString atLimit = repeat(W('a'), 4095), past = repeat(W('a'), 4096);
    _log(atLimit.c_str());
    _log(past.c_str());
    log_debug(atLimit.c_str());
    log_debug(past.c_str());
    log_info(atLimit.c_str());
    log_info(past.c_str());
    log_warning(atLimit.c_str());
    log_warning(past.c_str());
    log_error(atLimit.c_str());
    log_error(past.c_str());
    log_critical(atLimit.c_str());
    log_critical(past.c_str());
    logTerm();
    std::string body;
    for (const char* name :
         {"_log", "log_debug", "log_info", "log_warning", "log_error", "log_critical"})
        body +=
            line0(std::string(4095, 'a')) + sizeLine(std::string(name) + "() format", 8190, 8192);
    EXPECT_EQ(readLog(), sessionLines(logPath(), body));
}

TEST_F(Limits, ComposedLines) {
    ASSERT_EQ(open(), 1);
    // 4223 units: "[", the message, "]" and CR LF in a buffer of 4224 with its NUL.
    _log(W("%s"), repeat(W('x'), 4219).c_str());
    _log(W("%s"), repeat(W('x'), 4220).c_str());
    log_error(W("%s"), repeat(W('x'), 100000).c_str());
    // 8190 UTF-8 bytes: 2728 three-byte characters, two letters, the brackets and CR LF.
    const WString kana = repeat(W('あ'), 2728);
    _log(W("%s%s"), kana.c_str(), W("aa"));
    _log(W("%s%s"), kana.c_str(), W("aaa"));
    logTerm();
    const std::string tooManyUnits = "展開後の行が4223文字を超えました、ログ出力できません\r\n";
    EXPECT_EQ(readLog(),
              sessionLines(logPath(),
                           line0(std::string(4219, 'x')) + kCriticalBanner +
                               "func={_log() format} " + tooManyUnits + kCriticalBanner +
                               "func={log_error() format} " + tooManyUnits +
                               line0(times("あ", 2728) + "aa") + kCriticalBanner +
                               "quillpen line=879logWrite文字列長が8100バイトを超えました、ログ出"
                               "力できません\r\n"));
}

TEST_F(Limits, ErrorLabel) {
    ASSERT_EQ(open(), 1);
    SetLastError(kNoText);
    w32_err_log(repeat(W('f'), 260).c_str(), 5);
    w32_err_log(repeat(W('f'), 261).c_str(), 5);
    logTerm();
    EXPECT_EQ(readLog(), sessionLines(logPath(), line0(std::string(260, 'f') +
                                                       " line=5 Win32 ErrCode=536870913 :") +
                                                     sizeLine("w32_err_log() file_fnc", 260, 261)));
}

TEST_F(Limits, TextAndHexDumps) {
    ASSERT_EQ(open(), 1);
    for (auto dump : {logPut, logPutHex}) {
        dump(W("abc"), 8190, 1, 10);
        dump(W("abc"), 8191, 1, 10);
        dump(W("abc"), -1, 1, 10);
        dump(W("abc"), INT32_MIN, 1, 10);
        for (int32_t width : {9, 10, 80, 81, INT32_MIN, INT32_MAX})
            dump(repeat(W('z'), 80).c_str(), 80, 0, width);
        // The UTF-8 form must fit the 9216-byte buffer with its NUL: 3071 characters of
        // three bytes do, 3072 do not.
        dump(repeat(W('あ'), 3071).c_str(), 3071, 1, 10);
        dump(repeat(W('あ'), 3072).c_str(), 3072, 1, 10);
    }
    logTerm();

    const std::string abc = "abc", z80(80, 'z');
    std::string kana;  // 3071 characters, four to a line of 12 bytes
    for (int i = 1; i <= 3071; ++i) kana += i % 4 == 0 ? "あ\r\n" : "あ";
    const std::string width = " newLineCnt は 10-80の間で有効です newLineCnt=";
    const std::string put =
        robust::putStart(8190) + abc + robust::kPutEnd + sizeLine("logPut() cnt", 8190, 8191) +
        robust::putStart(-1) + abc + robust::kPutEnd + robust::putStart(INT32_MIN) + abc +
        robust::kPutEnd + kErrorBanner + "logPut()" + width + "9\r\n" + "\r\n" +
        std::string(10, 'z') + times("\r\n" + std::string(10, 'z'), 7) + "\r\n\r\n" + "\r\n" + z80 +
        "\r\n\r\n" + kErrorBanner + "logPut()" + width + "81\r\n" + kErrorBanner + "logPut()" +
        width + "-2147483648\r\n" + kErrorBanner + "logPut()" + width + "2147483647\r\n" +
        robust::putStart(3071) + kana + robust::kPutEnd + kErrorBanner +
        "func={logPut() data} UTF-8変換後のサイズが上限を超えました、出力できません max=9215  "
        "utf8 size=9216\r\n";
    const std::string hex =
        robust::hexStart(8190) + "61 62 63 " + robust::kHexEnd +
        sizeLine("logPutHex() cnt", 8190, 8191) + robust::hexStart(-1) + "61 62 63 " +
        robust::kHexEnd + robust::hexStart(INT32_MIN) + "61 62 63 " + robust::kHexEnd +
        kErrorBanner + "logPutHex()" + width + "9\r\n" + "\r\n" +
        robust::hexCells(z80, 10, "\r\n") + "\r\n" + "\r\n" + robust::hexCells(z80, 80, "\r\n") +
        "\r\n" + kErrorBanner + "logPutHex()" + width + "81\r\n" + kErrorBanner + "logPutHex()" +
        width + "-2147483648\r\n" + kErrorBanner + "logPutHex()" + width + "2147483647\r\n" +
        robust::hexStart(3071) + robust::hexCells(times("あ", 3071), 10, "\r\n") + robust::kHexEnd +
        kErrorBanner +
        "func={logPutHex() data} UTF-8変換後のサイズが上限を超えました、出力できません max=9215  "
        "utf8 size=9216\r\n";
    EXPECT_EQ(readLog(), sessionLines(logPath(), put + hex));
}

TEST_F(Limits, DecodeDump) {
    ASSERT_EQ(open(), 1);
    logDumpUTF8(repeat(W('a'), 4095).c_str(), 0, repeat(W('p'), 255).c_str());
    logDumpUTF8(repeat(W('a'), 4096).c_str(), 0, W("p"));
    logDumpUTF8(W("a"), 0, repeat(W('p'), 256).c_str());
    // The table shows at most 8438 bytes: 2812 characters of three bytes and two letters.
    const WString kana = repeat(W('あ'), 2812);
    logDumpUTF8((kana + W("aa")).c_str(), 0, W("most"));
    logDumpUTF8((kana + W("aaa")).c_str(), 0, W("one more"));
    // 4095 such characters pass the length guard but not the buffer: refused by their size.
    logDumpUTF8(repeat(W('あ'), 4095).c_str(), 0, W("widest"));
    logTerm();

    const std::string log = robust::maskAddresses(readLog());
    const std::string sizeOver =
        kErrorBanner + "utf8 line=35 logDump_UTF8 サイズ・オーバー・エラー size=";
    const std::string refusals =
        sizeLine("logDumpUTF8 data", 8190, 8192) + sizeLine("logDumpUTF8 prefix", 510, 512);
    const std::string head =
        "[--- [app] start Log={" + logPath().u8string() + "} ---]\r\n" +
        robust::asciiDecodeTable(std::string(4095, 'a'), std::string(255, 'p')) + refusals;
    ASSERT_EQ(log.compare(0, head.size(), head), 0) << log.substr(0, 2000);
    // The widest table: 528 rows of 84 to 93 bytes with CR LF, each counting its sixteen.
    const std::vector<std::string> lines = robust::splitLines(log.substr(head.size()));
    ASSERT_EQ(lines.size(), 4u + 528 + 1 + 2 + 1);
    EXPECT_EQ(lines[1],
              "addr={################} prefix={most} charSet={UTF8(NoBom)} size(BYTE)=8438");
    for (size_t row = 0; row < 528; ++row) {
        const std::string& line = lines[4 + row];
        char trailer[32];
        const unsigned done = row == 527 ? 8438u : 16u * static_cast<unsigned>(row + 1);
        std::snprintf(trailer, sizeof trailer, "| %06u 0x%04x", done, done);
        ASSERT_GE(line.size(), 82u);
        ASSERT_LE(line.size(), 91u);
        ASSERT_EQ(line.substr(line.size() - 15), trailer) << "row " << row;
    }
    EXPECT_EQ(lines[532], std::string(83, '-'));
    EXPECT_EQ(lines[533] + "\r\n", sizeOver + "8439 8900バイト以上は出力できません!\r\n");
    EXPECT_EQ(lines[534] + "\r\n", sizeOver + "12285 8900バイト以上は出力できません!\r\n");
    EXPECT_EQ(lines[535], "[--- [app] end Log. ---]");
}

TEST_F(Limits, BitTableLabelsAndScalars) {
    ASSERT_EQ(open(), 1);
    const WString widest = repeat(W('あ'), 255), past = repeat(W('x'), 256);
    makeBitStringUSHORT16(0xFFFF, widest.c_str());
    makeBitStringUSHORT16(0, past.c_str());
    makeBitStringUINT32(0xFFFFFFFF, widest.c_str());
    makeBitStringUINT32(0, past.c_str());
    makeBitStringUnicodeScalarValue(0x10FFFF, W("max"));
    makeBitStringUnicodeScalarValue(0x110000, W("past"));
    makeBitStringUnicodeScalarValue(0xFFFFFFFF, W("most"));
    makeBitStringUnicodeScalarValue(0x110000, past.c_str());  // the label is refused first
    logTerm();
    const std::string border = "+-----------------------------------+\r\n";
    const std::string scalarMax =
        border + "|    0   |    1   |    2   |    3   |  [max]\r\n" + border +
        "|********|  0x10  |  0xff  |  0xff  |  SCALAR-HEX(UINT32)=0x0010ffff\r\n" + border +
        "|32    24| 21   16|       8|       0|  [max]\r\n" + border +
        "|********|***10000|11111111|11111111|  UNICODE(SCALAR) Bit Pattern!\r\n" + border +
        "|  0xf4  |  0x8f  |  0xbf  |  0xbf  |  DECODE-HEX(UINT32)=0xbfbf8ff4\r\n" + border +
        "|32    24|      16|       8|       0|  [max]\r\n" + border +
        "|11110100|10001111|10111111|10111111|  UTF8 Decode(4 bytes char)!\r\n" + border;
    const std::string range =
        kErrorBanner + "makeBitStringUnicodeScalarValue() scalar値がUNICODE文字の範囲外 =0x";
    EXPECT_EQ(readLog(),
              sessionLines(logPath(),
                           robust::ushortTable(0xFFFF, times("あ", 255)) +
                               sizeLine("makeBitStringUSHORT16() prefix", 510, 512) +
                               robust::uintTable(0xFFFFFFFF, times("あ", 255)) +
                               sizeLine("makeBitStringUINT32() prefix", 510, 512) + scalarMax +
                               range + "110000\r\n" + range + "ffffffff\r\n" +
                               sizeLine("makeBitStringUnicodeScalarValue() prefix", 510, 512)));
}

TEST_F(Limits, BoxTextsAndStopwatchLabels) {
    ASSERT_EQ(open(), 1);
    const WString m255 = repeat(W('m'), 255), m256 = repeat(W('m'), 256);
    msgBox(m255.c_str(), m255.c_str());
    msgBox(m256.c_str(), W("t"));
    msgBox(W("m"), m256.c_str());
    EXPECT_EQ(msgBoxOkCancel(m255.c_str(), m255.c_str()), IDOK);
    EXPECT_EQ(msgBoxOkCancel(m256.c_str(), W("t")), 0);
    EXPECT_EQ(msgBoxOkCancel(W("m"), m256.c_str()), 0);
    profileTimeStart(repeat(W('p'), 127).c_str());
    profileTimeStop();
    profileTimeStart(repeat(W('q'), 128).c_str());  // kept without its last unit
    profileTimeStop();
    profileTimeStart(repeat(W('r'), 129).c_str());  // refused: the label is emptied
    profileTimeStop();
    logTerm();
    const std::string m(255, 'm');
    EXPECT_EQ(boxes(), (std::vector<std::string>{m + ": " + m, m + ": " + m}));
    const std::string elapsed = "] 経過時間=0.000000[秒]\r\n";
    EXPECT_EQ(readLog(),
              sessionLines(logPath(),
                           sizeLine("msgBox() msg", 510, 512) + sizeLine("msgBox() ttl", 510, 512) +
                               sizeLine("msgBoxOkCancel() msg", 510, 512) +
                               sizeLine("msgBoxOkCancel() ttl", 510, 512) + kInfoBanner +
                               "[" + std::string(127, 'p') + elapsed + kInfoBanner + "[" +
                               std::string(127, 'q') + elapsed + kInfoBanner +
                               "profileTimeStart() prefix文字列は128バイトまでです。バッファオ"
                               "ーバ・サイズエラー\r\n" +
                               kInfoBanner + "[" + elapsed));
}

TEST_F(Limits, SessionTextsWithoutASession) {
    EXPECT_EQ(logInit(repeat(W('p'), 513).c_str(), W("app"), 0, 0, 0, 5, 0), 0);
    EXPECT_EQ(logInit(dir().c_str(), repeat(W('x'), 256).c_str(), 0, 0, 0, 5, 0), 0);
    EXPECT_EQ(boxes(), (std::vector<std::string>{sizeBox("logInit() path", 1024, 1026),
                                                 sizeBox("logInit() prefix", 510, 512)}));
    // At the limits the guard passes; the system then refuses names that long.
    boxes().clear();
    EXPECT_EQ(logInit(repeat(W('p'), 512).c_str(), W("app"), 0, 0, 0, 5, 0), 0);
    EXPECT_EQ(logInit(dir().c_str(), repeat(W('x'), 255).c_str(), 0, 0, 0, 5, 0), 0);
    for (const std::string& box : boxes())
        EXPECT_EQ(box.find(kSizeBoxHead), std::string::npos) << box;
    EXPECT_FALSE(boxes().empty());
    boxes().clear();
    ASSERT_EQ(open(), 1);
    logTerm();
    EXPECT_EQ(readLog(), sessionLines(logPath(), ""));
    EXPECT_TRUE(boxes().empty());
}
