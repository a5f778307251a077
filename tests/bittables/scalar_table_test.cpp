// The Unicode scalar bit table: the four layouts by UTF-8 length, their boundaries, the
// range refusal, labels, terminators and the single write.
#include <algorithm>
#include <vector>

#include "platform/seams.h"
#include "support/session_fixture.h"

namespace {
const std::string kError = "[SYSLOG][■--ERROR--■] ";
const std::string kRange = "makeBitStringUnicodeScalarValue() scalar値がUNICODE文字の範囲外 =0x";
const std::string kBorder = "+-----------------------------------+";
// Row 2 by UTF-8 length, without the label.
const std::string kColumns1 = "|    *   |    *   |    *   |    0   |";
const std::string kColumns2 = "|    *   |    *   |    0   |    1   |";
const std::string kColumns3 = "|    *   |    0   |    1   |    2   |";
const std::string kColumns4 = "|    0   |    1   |    2   |    3   |";

// The rows that vary with the scalar.
struct Rows {
    std::string columns, scalarHex, scalarBits, decodeHex, decodeBits;
};

// The fifteen rows of a table, each ended by `nl`.
std::string table(const Rows& r, const std::string& label = "s", const std::string& nl = "\r\n") {
    const std::string lines[] = {kBorder, r.columns + "  [" + label + "]",
                                 kBorder, r.scalarHex,
                                 kBorder, "|32    24| 21   16|       8|       0|  [" + label + "]",
                                 kBorder, r.scalarBits,
                                 kBorder, r.decodeHex,
                                 kBorder, "|32    24|      16|       8|       0|  [" + label + "]",
                                 kBorder, r.decodeBits,
                                 kBorder};
    std::string out;
    for (const std::string& line : lines) out += line + nl;
    return out;
}

const Rows kA = {kColumns1, "|********|********|********|  0x41  |  SCALAR-HEX(UINT32)=0x00000041",
                 "|********|***00000|00000000|01000001|  UNICODE(SCALAR) Bit Pattern!",
                 "|   *\x81\x40  |    *   |    *   |  0x41  |  HEX(UINT32)=0x00000041",
                 "|********|********|********|01000001|  UTF8 Decode (1 bytes char)!"};

int gWrites = 0;
BOOL countingWrite(HANDLE file, LPCVOID bytes, DWORD count, LPDWORD written, LPOVERLAPPED) {
    ++gWrites;
    return ::WriteFile(file, bytes, count, written, nullptr);
}
}  // namespace

TEST_F(SessionTest, ScalarTableOfEachUtf8Length) {
    const std::vector<std::pair<uint32_t, Rows>> kCases = {
        {0x41, kA},
        {0xE9,
         {kColumns2, "|********|********|  0x00  |  0xe9  |  SCALAR-HEX(UINT32)=0x000000e9",
          "|********|***00000|00000000|11101001|  UNICODE(SCALAR) Bit Pattern!",
          "|   *    |    *   |  0xc3  |  0xa9  |  DECODE-HEX(UINT32)=0x0000a9c3",
          "|********|********|11000011|10101001|  UTF8 Decode(2 bytes char)!"}},
        {0x3042,
         {kColumns3, "|********|  0x00  |  0x30  |  0x42  |  SCALAR-HEX(UINT32)=0x00003042",
          "|********|***00000|00110000|01000010|  UNICODE(SCALAR) Bit Pattern!",
          "|    *   |  0xe3  |  0x81  |  0x82  |  DECODE-HEX(UINT32)=0x008281e3",
          "|********|11100011|10000001|10000010|  UTF8 Decode(3 bytes char)!"}},
        {0x1F600,
         {kColumns4, "|********|  0x01  |  0xf6  |  0x00  |  SCALAR-HEX(UINT32)=0x0001f600",
          "|********|***00001|11110110|00000000|  UNICODE(SCALAR) Bit Pattern!",
          "|  0xf0  |  0x9f  |  0x98  |  0x80  |  DECODE-HEX(UINT32)=0x80989ff0",
          "|11110000|10011111|10011000|10000000|  UTF8 Decode(4 bytes char)!"}},
    };
    ASSERT_EQ(open(), 1);
    std::string expected;
    for (const auto& [scalar, rows] : kCases) {
        makeBitStringUnicodeScalarValue(scalar, W("s"));
        expected += table(rows);
    }
    logTerm();
    const std::string log = readLog();
    EXPECT_EQ(log, sessionLines(logPath(), expected));
    // Only the one-byte layout carries the CP932 full-width space.
    EXPECT_EQ(log.find("\x81\x40"), log.find(kA.decodeHex) + 5);
    EXPECT_EQ(log.rfind("\x81\x40"), log.find("\x81\x40"));
    EXPECT_TRUE(boxes().empty());
}

TEST_F(SessionTest, ScalarTableAtTheLengthBoundaries) {
    const std::vector<std::pair<uint32_t, Rows>> kCases = {
        {0,
         {kColumns1, "|********|********|********|  0x00  |  SCALAR-HEX(UINT32)=0x00000000",
          "|********|***00000|00000000|00000000|  UNICODE(SCALAR) Bit Pattern!",
          "|   *\x81\x40  |    *   |    *   |  0x00  |  HEX(UINT32)=0x00000000",
          "|********|********|********|00000000|  UTF8 Decode (1 bytes char)!"}},
        {0x7F,
         {kColumns1, "|********|********|********|  0x7f  |  SCALAR-HEX(UINT32)=0x0000007f",
          "|********|***00000|00000000|01111111|  UNICODE(SCALAR) Bit Pattern!",
          "|   *\x81\x40  |    *   |    *   |  0x7f  |  HEX(UINT32)=0x0000007f",
          "|********|********|********|01111111|  UTF8 Decode (1 bytes char)!"}},
        {0x80,
         {kColumns2, "|********|********|  0x00  |  0x80  |  SCALAR-HEX(UINT32)=0x00000080",
          "|********|***00000|00000000|10000000|  UNICODE(SCALAR) Bit Pattern!",
          "|   *    |    *   |  0xc2  |  0x80  |  DECODE-HEX(UINT32)=0x000080c2",
          "|********|********|11000010|10000000|  UTF8 Decode(2 bytes char)!"}},
        {0x7FF,
         {kColumns2, "|********|********|  0x07  |  0xff  |  SCALAR-HEX(UINT32)=0x000007ff",
          "|********|***00000|00000111|11111111|  UNICODE(SCALAR) Bit Pattern!",
          "|   *    |    *   |  0xdf  |  0xbf  |  DECODE-HEX(UINT32)=0x0000bfdf",
          "|********|********|11011111|10111111|  UTF8 Decode(2 bytes char)!"}},
        {0x800,
         {kColumns3, "|********|  0x00  |  0x08  |  0x00  |  SCALAR-HEX(UINT32)=0x00000800",
          "|********|***00000|00001000|00000000|  UNICODE(SCALAR) Bit Pattern!",
          "|    *   |  0xe0  |  0xa0  |  0x80  |  DECODE-HEX(UINT32)=0x0080a0e0",
          "|********|11100000|10100000|10000000|  UTF8 Decode(3 bytes char)!"}},
        {0xD800,  // a surrogate takes the three-byte form like its neighbours
         {kColumns3, "|********|  0x00  |  0xd8  |  0x00  |  SCALAR-HEX(UINT32)=0x0000d800",
          "|********|***00000|11011000|00000000|  UNICODE(SCALAR) Bit Pattern!",
          "|    *   |  0xed  |  0xa0  |  0x80  |  DECODE-HEX(UINT32)=0x0080a0ed",
          "|********|11101101|10100000|10000000|  UTF8 Decode(3 bytes char)!"}},
        {0xFFFF,
         {kColumns3, "|********|  0x00  |  0xff  |  0xff  |  SCALAR-HEX(UINT32)=0x0000ffff",
          "|********|***00000|11111111|11111111|  UNICODE(SCALAR) Bit Pattern!",
          "|    *   |  0xef  |  0xbf  |  0xbf  |  DECODE-HEX(UINT32)=0x00bfbfef",
          "|********|11101111|10111111|10111111|  UTF8 Decode(3 bytes char)!"}},
        {0x10000,
         {kColumns4, "|********|  0x01  |  0x00  |  0x00  |  SCALAR-HEX(UINT32)=0x00010000",
          "|********|***00001|00000000|00000000|  UNICODE(SCALAR) Bit Pattern!",
          "|  0xf0  |  0x90  |  0x80  |  0x80  |  DECODE-HEX(UINT32)=0x808090f0",
          "|11110000|10010000|10000000|10000000|  UTF8 Decode(4 bytes char)!"}},
        {0x10FFFF,
         {kColumns4, "|********|  0x10  |  0xff  |  0xff  |  SCALAR-HEX(UINT32)=0x0010ffff",
          "|********|***10000|11111111|11111111|  UNICODE(SCALAR) Bit Pattern!",
          "|  0xf4  |  0x8f  |  0xbf  |  0xbf  |  DECODE-HEX(UINT32)=0xbfbf8ff4",
          "|11110100|10001111|10111111|10111111|  UTF8 Decode(4 bytes char)!"}},
    };
    ASSERT_EQ(open(), 1);
    std::string expected;
    for (const auto& [scalar, rows] : kCases) {
        makeBitStringUnicodeScalarValue(scalar, W("s"));
        expected += table(rows);
    }
    logTerm();
    EXPECT_EQ(readLog(), sessionLines(logPath(), expected));
}

TEST_F(SessionTest, ScalarAboveTheRangeIsRefused) {
    ASSERT_EQ(open(), 1);
    makeBitStringUnicodeScalarValue(0x110000, W("s"));
    makeBitStringUnicodeScalarValue(0xFFFFFFFF, W("s"));
    makeBitStringUnicodeScalarValue(0x41, W("s"));  // the refusals left nothing behind
    logTerm();
    EXPECT_EQ(readLog(), sessionLines(logPath(), kError + kRange + "110000\r\n" + kError + kRange +
                                                     "ffffffff\r\n" + table(kA)));

    // With a negative logLevel the refusal is silent, while a table is still written.
    std::filesystem::remove_all(root_ / "logs");
    ASSERT_EQ(open(0, 0, 0, -1), 1);
    makeBitStringUnicodeScalarValue(0x110000, W("s"));
    makeBitStringUnicodeScalarValue(0x41, W("s"));
    logTerm();
    EXPECT_EQ(readLog(), sessionLines(logPath(), table(kA)));

    // LOG_SLEEP: neither a refusal nor a table.
    std::filesystem::remove_all(root_ / "logs");
    ASSERT_EQ(open(0, 0, 2), 1);
    makeBitStringUnicodeScalarValue(0x110000, W("s"));
    makeBitStringUnicodeScalarValue(0x41, W("s"));
    logTerm();
    makeBitStringUnicodeScalarValue(0x41, W("s"));  // after logTerm
    EXPECT_EQ(readLog(), "");
    EXPECT_TRUE(boxes().empty());
}

TEST_F(SessionTest, ScalarTableLabels) {
    ASSERT_EQ(open(), 1);
    makeBitStringUnicodeScalarValue(0x41, W(""));
    makeBitStringUnicodeScalarValue(0x41, widen("値 é😀").c_str());
    makeBitStringUnicodeScalarValue(0x41, repeat(W('L'), 255).c_str());
    // The size check comes first: an overlong label with a bad scalar gives one report.
    makeBitStringUnicodeScalarValue(0x110000, repeat(W('L'), 256).c_str());
    makeBitStringUnicodeScalarValue(0x41, nullptr);
    logTerm();
    EXPECT_EQ(readLog(),
              sessionLines(logPath(), table(kA, "") + table(kA, "値 é😀") +
                                          table(kA, std::string(255, 'L')) + kError +
                                          "func={makeBitStringUnicodeScalarValue() prefix} "
                                          "buf size over max=510  user data size=512\r\n" +
                                          kError +
                                          "func={makeBitStringUnicodeScalarValue() prefix} "
                                          "NULLポインタです、処理せずにリターンします。\r\n"));
}

TEST_F(SessionTest, ScalarTableTerminatorsAndSingleWrite) {
    const struct {
        int32_t mode;
        std::string wide, bytes;
    } kModes[] = {{0, "\r\n", "\r\n"}, {1, "\n", "\r"}, {2, "\r", "\n"}};
    for (const auto& m : kModes) {
        std::filesystem::remove_all(root_ / "logs");
        ASSERT_EQ(open(0, m.mode), 1);
        gWrites = 0;
        quillpen::seams::setWriteFile(countingWrite);
        makeBitStringUnicodeScalarValue(0x41, W("s"));
        quillpen::seams::setWriteFile(nullptr);
        EXPECT_EQ(gWrites, 1) << m.mode;
        logTerm();
        EXPECT_EQ(readLog(), sessionLines(logPath(), table(kA, "s", m.bytes), m.wide)) << m.mode;
    }
}
