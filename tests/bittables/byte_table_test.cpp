// The byte-cell bit tables of 16-bit and 32-bit values: whole tables as they reach the file,
// their labels and terminators, the silent cases, and the bounds of the shared helpers.
#include <algorithm>
#include <cstring>
#include <initializer_list>

#include "bittables/bit_table.h"
#include "core/session.h"
#include "platform/seams.h"
#include "support/session_fixture.h"

namespace {
const std::string kError = "[SYSLOG][■--ERROR--■] ";
const std::string kBorder16 = "+-----------------+";
const std::string kBorder32 = "+-----------------------------------+";

// Table rows, each ended by `nl`.
std::string rows(std::initializer_list<std::string> lines, const std::string& nl = "\r\n") {
    std::string out;
    for (const std::string& line : lines) out += line + nl;
    return out;
}

int gWrites = 0;
BOOL countingWrite(HANDLE file, LPCVOID bytes, DWORD count, LPDWORD written, LPOVERLAPPED) {
    ++gWrites;
    return ::WriteFile(file, bytes, count, written, nullptr);
}
}  // namespace

TEST_F(SessionTest, Ushort16TableShowsBytesInMemoryOrder) {
    ASSERT_EQ(open(), 1);
    makeBitStringUSHORT16(0x1234, W("v"));
    makeBitStringUSHORT16(0, W("zero"));
    makeBitStringUSHORT16(0xFFFF, W("max"));
    logTerm();
    EXPECT_EQ(readLog(), sessionLines(logPath(), rows({
                                                     kBorder16,
                                                     "|    0   |    1   |  [v]",
                                                     kBorder16,
                                                     "|   34   |   12   |   HEX=0x1234",
                                                     kBorder16,
                                                     "|00110100|00010010|   UTF16_LE Bit Pattern!",
                                                     kBorder16,
                                                     kBorder16,
                                                     "|    0   |    1   |  [zero]",
                                                     kBorder16,
                                                     "|   00   |   00   |   HEX=0x0000",
                                                     kBorder16,
                                                     "|00000000|00000000|   UTF16_LE Bit Pattern!",
                                                     kBorder16,
                                                     kBorder16,
                                                     "|    0   |    1   |  [max]",
                                                     kBorder16,
                                                     "|   ff   |   ff   |   HEX=0xffff",
                                                     kBorder16,
                                                     "|11111111|11111111|   UTF16_LE Bit Pattern!",
                                                     kBorder16,
                                                 })));
    EXPECT_TRUE(boxes().empty());
}

TEST_F(SessionTest, Uint32TableShowsBytesInMemoryOrder) {
    ASSERT_EQ(open(), 1);
    makeBitStringUINT32(0x12345678, W("w"));
    makeBitStringUINT32(0x80000001, W("w"));
    logTerm();
    const std::string labelRow = "|    0   |    1   |    2   |    3   |  [w]";
    EXPECT_EQ(
        readLog(),
        sessionLines(logPath(), rows({
                                    kBorder32,
                                    labelRow,
                                    kBorder32,
                                    "|   78   |   56   |   34   |   12   |  HEX=0x12345678",
                                    kBorder32,
                                    "|01111000|01010110|00110100|00010010|  UTF32_LE Bit Pattern!",
                                    kBorder32,
                                    kBorder32,
                                    labelRow,
                                    kBorder32,
                                    "|   01   |   00   |   00   |   80   |  HEX=0x80000001",
                                    kBorder32,
                                    "|00000001|00000000|00000000|10000000|  UTF32_LE Bit Pattern!",
                                    kBorder32,
                                })));
}

TEST_F(SessionTest, ByteTableLabels) {
    ASSERT_EQ(open(), 1);
    makeBitStringUSHORT16(0x0102, W(""));
    makeBitStringUSHORT16(0x0102, widen("値 é😀").c_str());
    makeBitStringUINT32(7, repeat(W('L'), 255).c_str());
    makeBitStringUINT32(7, repeat(W('L'), 256).c_str());
    makeBitStringUSHORT16(7, repeat(W('L'), 256).c_str());
    makeBitStringUINT32(7, nullptr);
    logTerm();
    const auto table16 = [](const std::string& label) {
        return rows({kBorder16, "|    0   |    1   |  [" + label + "]", kBorder16,
                     "|   02   |   01   |   HEX=0x0102", kBorder16,
                     "|00000010|00000001|   UTF16_LE Bit Pattern!", kBorder16});
    };
    EXPECT_EQ(
        readLog(),
        sessionLines(
            logPath(),
            table16("") + table16("値 é😀") +
                rows({kBorder32,
                      "|    0   |    1   |    2   |    3   |  [" + std::string(255, 'L') + "]",
                      kBorder32, "|   07   |   00   |   00   |   00   |  HEX=0x00000007", kBorder32,
                      "|00000111|00000000|00000000|00000000|  UTF32_LE Bit Pattern!", kBorder32}) +
                rows({
                    kError + "func={makeBitStringUINT32() prefix} buf size over max=510  "
                             "user data size=512",
                    kError + "func={makeBitStringUSHORT16() prefix} buf size over max=510  "
                             "user data size=512",
                    kError + "func={makeBitStringUINT32() prefix} NULLポインタです、処理せずに"
                             "リターンします。",
                })));
    EXPECT_TRUE(boxes().empty());
}

TEST_F(SessionTest, ByteTableRowsEndWithTheByteTerminator) {
    // Time-stamped lines take the wide terminator, table rows the byte one.
    const struct {
        int32_t mode;
        std::string wide, bytes;
    } kModes[] = {{0, "\r\n", "\r\n"}, {1, "\n", "\r"}, {2, "\r", "\n"}};
    for (const auto& m : kModes) {
        std::filesystem::remove_all(root_ / "logs");
        ASSERT_EQ(open(0, m.mode), 1);
        makeBitStringUINT32(0xA5, W("t"));
        logTerm();
        EXPECT_EQ(readLog(),
                  sessionLines(logPath(),
                               rows(
                                   {
                                       kBorder32,
                                       "|    0   |    1   |    2   |    3   |  [t]",
                                       kBorder32,
                                       "|   a5   |   00   |   00   |   00   |  HEX=0x000000a5",
                                       kBorder32,
                                       "|10100101|00000000|00000000|00000000|  UTF32_LE Bit "
                                       "Pattern!",
                                       kBorder32,
                                   },
                                   m.bytes),
                               m.wide))
            << m.mode;
    }
}

TEST_F(SessionTest, ByteTablesNeedAWritingSession) {
    // No session yet, then LOG_SLEEP on, then after logTerm: nothing, not even a report.
    makeBitStringUSHORT16(1, W("x"));
    makeBitStringUINT32(1, nullptr);
    ASSERT_EQ(open(0, 0, 2), 1);
    makeBitStringUSHORT16(1, W("x"));
    makeBitStringUINT32(1, repeat(W('L'), 256).c_str());
    logTerm();
    makeBitStringUINT32(1, W("x"));
    makeBitStringUSHORT16(1, nullptr);
    EXPECT_EQ(readLog(), "");
    EXPECT_TRUE(boxes().empty());

    // A negative logLevel silences the size report but not the table.
    std::filesystem::remove_all(root_ / "logs");
    ASSERT_EQ(open(0, 0, 0, -1), 1);
    makeBitStringUINT32(1, repeat(W('L'), 256).c_str());
    makeBitStringUSHORT16(0x8001, W("neg"));
    logTerm();
    EXPECT_EQ(
        readLog(),
        sessionLines(logPath(), rows({kBorder16, "|    0   |    1   |  [neg]", kBorder16,
                                      "|   01   |   80   |   HEX=0x8001", kBorder16,
                                      "|00000001|10000000|   UTF16_LE Bit Pattern!", kBorder16})));
}

TEST_F(SessionTest, ByteTableIsOneWrite) {
    ASSERT_EQ(open(), 1);
    gWrites = 0;
    quillpen::seams::setWriteFile(countingWrite);
    makeBitStringUSHORT16(1, W("a"));
    EXPECT_EQ(gWrites, 1);
    makeBitStringUINT32(1, W("b"));
    EXPECT_EQ(gWrites, 2);
    quillpen::seams::setWriteFile(nullptr);
    logTerm();
    const std::string log = readLog();
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 2 + 7 + 7);
}

TEST_F(SessionTest, TableHelpersStayInsideTheirBuffers) {
    using quillpen::appendOutBuf;
    using quillpen::gOutBufA;
    ASSERT_EQ(open(), 1);
    EXPECT_EQ(appendOutBuf(0, "abc"), 3);
    EXPECT_EQ(appendOutBuf(3, ""), 3);
    EXPECT_EQ(appendOutBuf(3, "de"), 5);
    EXPECT_EQ(std::string(gOutBufA, 6), std::string("abcde\0", 6));
    // One piece of 8190 bytes passes; 8191 are refused.
    EXPECT_EQ(appendOutBuf(5, std::string(8190, 'p').c_str()), 8195);
    EXPECT_EQ(appendOutBuf(0, std::string(8191, 'q').c_str()), -1);
    // A piece that ends at the buffer's last byte passes; one byte further is refused.
    EXPECT_EQ(appendOutBuf(quillpen::kOutBufBytes - 3, "xyz"), quillpen::kOutBufBytes);
    EXPECT_EQ(appendOutBuf(quillpen::kOutBufBytes - 2, "XYZ"), -1);
    EXPECT_EQ(appendOutBuf(-1, "XYZ"), -1);
    EXPECT_EQ(appendOutBuf(0, nullptr), -1);
    const std::string expected =
        "abcde" + std::string(8190, 'p') + std::string(quillpen::kOutBufBytes - 8198, '\0') + "xyz";
    EXPECT_EQ(std::string(gOutBufA, quillpen::kOutBufBytes), expected);
    std::memset(gOutBufA, 0, quillpen::kOutBufBytes);

    // Eight characters, most significant bit first, and no terminator.
    char cell[] = "##########";
    quillpen::byteToBitString(0xA5, cell);
    EXPECT_STREQ(cell, "10100101##");
}
