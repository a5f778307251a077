// The text dump: raw lines of whole characters, its frame, its guards and its writes piece
// by piece.
#include <string>
#include <vector>

#include "platform/seams.h"
#include "support/session_fixture.h"

namespace {
const std::string kError = "[SYSLOG][■--ERROR--■] ";

std::string start(int cnt) {
    return "\r\n---------- logPut-start len=" + std::to_string(cnt) + "\r\n";
}
const std::string kEnd = "\r\n---------- logPut-end!!\r\n";

// Every WriteFile the library makes, passed on to the system's.
std::vector<std::string> gPieces;
int gFailFrom = -1;  // pieces from this index on fail without writing

BOOL recordPiece(HANDLE file, LPCVOID bytes, DWORD count, LPDWORD written, LPOVERLAPPED) {
    gPieces.emplace_back(static_cast<const char*>(bytes), count);
    if (gFailFrom >= 0 && static_cast<int>(gPieces.size()) > gFailFrom) {
        if (written) *written = 0;
        return FALSE;
    }
    return ::WriteFile(file, bytes, count, written, nullptr);
}

void recordWrites(int failFrom = -1) {
    gPieces.clear();
    gFailFrom = failFrom;
    quillpen::seams::setWriteFile(recordPiece);
}
}  // namespace

TEST_F(SessionTest, TextDumpOfTheAlphabet) {
    ASSERT_EQ(open(), 1);
    recordWrites();
    logPut(W("abcdefghijklmnopqrstuvwxyz"), 26, 1, 10);
    const std::vector<std::string> pieces = gPieces;
    logPut(W("abcdefghijklmnopqrstuvwxyz"), 26, 0, 10);
    quillpen::seams::setWriteFile(nullptr);
    logTerm();
    const std::string lines = "abcdefghij\r\nklmnopqrst\r\nuvwxyz";
    EXPECT_EQ(readLog(),
              sessionLines(logPath(), start(26) + lines + kEnd + "\r\n" + lines + "\r\n"));

    // One write for each frame piece, each character and each break.
    std::vector<std::string> expected = {start(26)};
    for (char c = 'a'; c <= 'z'; ++c) {
        expected.emplace_back(1, c);
        if (c == 'j' || c == 't') expected.emplace_back("\r\n");
    }
    expected.push_back(kEnd);
    EXPECT_EQ(pieces, expected);
}

TEST_F(SessionTest, TextDumpLineWidthLimits) {
    ASSERT_EQ(open(), 1);
    const WString text = repeat(W('x'), 81);
    logPut(text.c_str(), 81, 0, 9);
    logPut(text.c_str(), 81, 0, 10);
    logPut(text.c_str(), 81, 0, 80);
    logPut(text.c_str(), 81, 0, 81);
    logPut(text.c_str(), 81, 0, -2147483647 - 1);
    logTerm();
    const std::string ten = std::string(10, 'x') + "\r\n";
    std::string tens;
    for (int i = 0; i < 8; ++i) tens += ten;
    const std::string refusal = "logPut() newLineCnt は 10-80の間で有効です newLineCnt=";
    EXPECT_EQ(readLog(), sessionLines(logPath(), kError + refusal + "9\r\n" + "\r\n" + tens +
                                                     "x\r\n" + "\r\n" + std::string(80, 'x') +
                                                     "\r\nx\r\n" + kError + refusal + "81\r\n" +
                                                     kError + refusal + "-2147483648\r\n"));
}

TEST_F(SessionTest, TextDumpNeverSplitsACharacter) {
    ASSERT_EQ(open(), 1);
    // Two-byte characters, width 11: lines of six characters, 12 bytes.
    logPut(repeat(0x00E9, 13).c_str(), 13, 0, 11);
    // A three-byte character after nine bytes stays whole: a line of 12 bytes.
    logPut(W("abcdefghi\u3042jk"), 12, 0, 10);
    // A four-byte character after nine bytes: 13 bytes.
    logPut(widen("abcdefghi\xF0\x9F\x98\x80z").c_str(), 11, 0, 10);
    logTerm();
    std::string six;
    for (int i = 0; i < 6; ++i) six += "\xC3\xA9";
    EXPECT_EQ(readLog(), sessionLines(logPath(), "\r\n" + six + "\r\n" + six + "\r\n\xC3\xA9\r\n" +
                                                     "\r\nabcdefghi\xE3\x81\x82\r\njk\r\n" +
                                                     "\r\nabcdefghi\xF0\x9F\x98\x80\r\nz\r\n"));
}

TEST_F(SessionTest, TextDumpFrameAndCountEdges) {
    ASSERT_EQ(open(), 1);
    logPut(W(""), 0, 1, 10);
    logPut(W(""), 0, 0, 10);
    logPut(W("0123456789"), 10, 1, 10);  // the wrap's break, then the end's: an empty line
    logPut(W("abc"), 0, 1, 10);          // cnt is shown as given, the whole text dumped
    logPut(W("abc"), 8190, 1, 10);
    logPut(W("abc"), 8191, 1, 10);
    logPut(W("abc"), -5, 1, 10);
    logPut(nullptr, 3, 1, 10);
    logTerm();
    EXPECT_EQ(
        readLog(),
        sessionLines(logPath(),
                     start(0) + kEnd + "\r\n\r\n" + start(10) + "0123456789\r\n" + kEnd + start(0) +
                         "abc" + kEnd + start(8190) + "abc" + kEnd + kError +
                         "func={logPut() cnt} buf size over max=8190  user data size=8191\r\n" +
                         start(-5) + "abc" + kEnd + kError +
                         "func={logPut() data} NULLポインタです、処理せずにリターンします。\r\n"));
    EXPECT_TRUE(boxes().empty());
}

TEST_F(SessionTest, TextDumpOfTextBeyondTheBuffer) {
    // The UTF-8 form and its NUL must fit 9216 bytes: 9215 pass, 9216 are refused whole.
    ASSERT_EQ(open(), 1);
    logPut(repeat(W('q'), 9215).c_str(), 1, 0, 80);
    logPut((repeat(W('q'), 9214) + W("\u00e9")).c_str(), 1, 0, 80);
    logPut(repeat(0x3042, 4000).c_str(), 1, 1, 80);
    logTerm();
    std::string lines = "\r\n";
    for (int i = 0; i < 115; ++i) lines += std::string(80, 'q') + "\r\n";
    lines += std::string(15, 'q') + "\r\n";
    const std::string over =
        "func={logPut() data} UTF-8変換後のサイズが上限を超えました、出力"
        "できません max=9215  utf8 size=";
    EXPECT_EQ(readLog(), sessionLines(logPath(), lines + kError + over + "9216\r\n" + kError +
                                                     over + "12000\r\n"));
}

TEST_F(SessionTest, TextDumpLinesEndWithTheByteTerminator) {
    // Mode 1: CR for dump lines, LF for time-stamped and [SYSLOG] lines; mode 2 the reverse.
    const std::pair<int32_t, std::string> kModes[] = {{1, "\r"}, {2, "\n"}};
    for (const auto& [mode, nl] : kModes) {
        std::filesystem::remove_all(root_ / "logs");
        ASSERT_EQ(open(0, mode), 1);
        logPut(W("abcdefghijkl"), 12, 1, 10);
        logPut(W("abc"), 3, 1, 9);
        logTerm();
        const std::string lineNl = mode == 1 ? "\n" : "\r";
        EXPECT_EQ(
            readLog(),
            sessionLines(logPath(),
                         nl + "---------- logPut-start len=12" + nl + "abcdefghij" + nl + "kl" +
                             nl + "---------- logPut-end!!" + nl + kError +
                             "logPut() newLineCnt は 10-80の間で有効です newLineCnt=9" + lineNl,
                         lineNl))
            << mode;
    }
    // Any other mode leaves the byte terminator as the last session set it.
    std::filesystem::remove_all(root_ / "logs");
    ASSERT_EQ(open(0, 7), 1);
    logPut(W("ab"), 2, 0, 10);
    logTerm();
    EXPECT_EQ(readLog(), sessionLines(logPath(), "\nab\n"));
}

TEST_F(SessionTest, TextDumpWritesNothingWithoutAWriter) {
    // Not even the guards run: an over-long cnt or a null text shows no box.
    logPut(nullptr, 9000, 1, 5);
    logPut(W("abc"), 3, 1, 10);
    ASSERT_EQ(open(0, 0, 2), 1);  // LOG_SLEEP on, without its notice
    logPut(nullptr, 9000, 1, 5);
    logPut(W("abc"), 3, 1, 10);
    logTerm();
    logPut(W("abc"), 9000, 1, 10);
    EXPECT_EQ(readLog(), "");
    EXPECT_TRUE(boxes().empty());
}

TEST_F(SessionTest, TextDumpSurvivesAFailingWrite) {
    ASSERT_EQ(open(), 1);
    recordWrites(4);  // the frame and three characters reach the file, the rest fails
    logPut(W("abcdefghijkl"), 12, 1, 10);
    EXPECT_EQ(gPieces.size(), 15u);  // every piece was still attempted
    quillpen::seams::setWriteFile(nullptr);
    logPut(W("xyz"), 3, 1, 10);
    logTerm();
    EXPECT_EQ(readLog(), sessionLines(logPath(), start(12) + "abc" + start(3) + "xyz" + kEnd));
}
