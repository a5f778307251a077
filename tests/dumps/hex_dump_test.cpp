// The hex dump: lines of exactly newLineCnt bytes as lowercase "%02x ", with the text dump's
// frame and guards under its own labels.
#include <string>
#include <vector>

#include "platform/seams.h"
#include "support/session_fixture.h"

namespace {
const std::string kError = "[SYSLOG][■--ERROR--■] ";

std::string start(int cnt) {
    return "\r\n---------- logPutHex-start len=" + std::to_string(cnt) + "\r\n";
}
const std::string kEnd = "\r\n---------- logPutHex-end\r\n";

std::vector<std::string> gPieces;
bool gFail = false;

BOOL recordPiece(HANDLE file, LPCVOID bytes, DWORD count, LPDWORD written, LPOVERLAPPED) {
    gPieces.emplace_back(static_cast<const char*>(bytes), count);
    if (gFail && gPieces.size() > 3) {
        if (written) *written = 0;
        return FALSE;
    }
    return ::WriteFile(file, bytes, count, written, nullptr);
}
}  // namespace

TEST_F(SessionTest, HexDumpOfTwelveLetters) {
    ASSERT_EQ(open(), 1);
    gPieces.clear();
    gFail = false;
    quillpen::seams::setWriteFile(recordPiece);
    logPutHex(W("abcdefghijkl"), 12, 1, 10);
    quillpen::seams::setWriteFile(nullptr);
    logPutHex(W("abcdefghijkl"), 12, 0, 10);
    logTerm();
    const std::string lines = "61 62 63 64 65 66 67 68 69 6a \r\n6b 6c ";
    EXPECT_EQ(readLog(),
              sessionLines(logPath(), start(12) + lines + kEnd + "\r\n" + lines + "\r\n"));

    // Three characters a byte, each in a write of its own; the breaks and frame on their own.
    std::vector<std::string> expected = {start(12)};
    for (const char* cell : {"61 ", "62 ", "63 ", "64 ", "65 ", "66 ", "67 ", "68 ", "69 ", "6a ",
                             "\r\n", "6b ", "6c "})
        expected.emplace_back(cell);
    expected.push_back(kEnd);
    EXPECT_EQ(gPieces, expected);
}

TEST_F(SessionTest, HexDumpSplitsCharactersAndWrapsExactly) {
    ASSERT_EQ(open(), 1);
    // Exactly newLineCnt bytes: the wrap's break, then the end's, leave an empty line.
    logPutHex(W("0123456789"), 10, 1, 10);
    // The break falls inside U+3042 (e3 81 82); high bytes are lowercase.
    logPutHex(W("abcdefghi\u3042\u00ff"), 0, 0, 10);
    logPutHex(W(""), 0, 1, 10);
    logPutHex(W(""), 0, 0, 10);
    logTerm();
    EXPECT_EQ(readLog(),
              sessionLines(logPath(), start(10) + "30 31 32 33 34 35 36 37 38 39 \r\n" + kEnd +
                                          "\r\n61 62 63 64 65 66 67 68 69 e3 \r\n" +
                                          "81 82 c3 bf \r\n" + start(0) + kEnd + "\r\n\r\n"));
}

TEST_F(SessionTest, HexDumpGuardsUseTheirOwnLabels) {
    ASSERT_EQ(open(), 1);
    const WString text = repeat(W('z'), 81);  // 7a
    logPutHex(text.c_str(), 81, 0, 9);
    logPutHex(text.c_str(), 81, 0, 80);
    logPutHex(text.c_str(), 81, 0, 81);
    logPutHex(W("a"), 8190, 1, 10);
    logPutHex(W("a"), 8191, 1, 10);
    logPutHex(W("a"), -1, 1, 10);
    logPutHex(nullptr, 1, 1, 10);
    logPutHex(repeat(W('z'), 9216).c_str(), 1, 1, 10);
    logTerm();
    std::string eighty;
    for (int i = 0; i < 80; ++i) eighty += "7a ";
    const std::string width = "logPutHex() newLineCnt は 10-80の間で有効です newLineCnt=";
    EXPECT_EQ(readLog(),
              sessionLines(
                  logPath(),
                  kError + width + "9\r\n" + "\r\n" + eighty + "\r\n7a \r\n" + kError + width +
                      "81\r\n" + start(8190) + "61 " + kEnd + kError +
                      "func={logPutHex() cnt} buf size over max=8190  user data size=8191\r\n" +
                      start(-1) + "61 " + kEnd + kError +
                      "func={logPutHex() data} NULLポインタです、処理せずにリターンします。\r\n" +
                      kError +
                      "func={logPutHex() data} UTF-8変換後のサイズが上限を超えました、出力で"
                      "きません max=9215  utf8 size=9216\r\n"));
}

TEST_F(SessionTest, HexDumpWithoutAWriterOrWithAFailingOne) {
    logPutHex(nullptr, 9000, 1, 5);  // no session: no box either
    ASSERT_EQ(open(0, 2), 1);        // LF for dump lines, CR for the others
    gPieces.clear();
    gFail = true;  // the frame and two bytes reach the file
    quillpen::seams::setWriteFile(recordPiece);
    logPutHex(W("abcdefghijk"), 11, 1, 10);
    EXPECT_EQ(gPieces.size(), 14u);
    quillpen::seams::setWriteFile(nullptr);
    logPutHex(W("abcdefghijk"), 11, 1, 10);
    logTerm();
    const std::string head = "\n---------- logPutHex-start len=11\n";
    EXPECT_EQ(readLog(),
              sessionLines(logPath(),
                           head + "61 62 " + head + "61 62 63 64 65 66 67 68 69 6a \n6b " +
                               "\n---------- logPutHex-end\n",
                           "\r"));
    logPutHex(W("a"), 9000, 1, 10);  // after the session: nothing
    ASSERT_EQ(open(0, 0, 2), 1);
    logPutHex(nullptr, 9000, 1, 5);
    logTerm();
    EXPECT_TRUE(boxes().empty());
}
