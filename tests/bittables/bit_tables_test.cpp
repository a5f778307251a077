// The bit tables as the file receives them, and the bounds of the row append they share.
#include <cstring>

#include "bittables/bit_table.h"
#include "core/session.h"
#include "dumps/file_rows.h"

namespace {
// A table from its rows, each ended by `nl`: a border before and after each row.
std::string boxed(const std::string& nl, const std::string& rows) {
    const std::string border = "+" + std::string(rows.find("|  [") - 1, '-') + "+" + nl;
    std::string out = border;
    for (size_t at = 0, end; (end = rows.find(nl, at)) != std::string::npos; at = end + nl.size())
        out += rows.substr(at, end + nl.size() - at) + border;
    return out;
}
}  // namespace

TEST_F(FileRows, BitTables) {
    const WString l256 = repeat(W('L'), 256);
    std::string label255;  // 255 units of 3 UTF-8 bytes each: the widest label
    for (int i = 0; i < 255; ++i) label255 += "あ";
    const std::string row255 = "|    0   |    1   |    2   |    3   |  [" + label255 + "]\n";
    check({
        // Mode 2: rows end in LF. Bytes in memory order, bits from the top; 255-unit label.
        {0, 2, 0,
         [] {
             makeBitStringUSHORT16(0xFF80, widen("値 é😀").c_str());
             makeBitStringUINT32(0xFF000180, repeat(0x3042, 255).c_str());
         },
         boxed("\n",
               "|    0   |    1   |  [値 é😀]\n"
               "|   80   |   ff   |   HEX=0xff80\n"
               "|10000000|11111111|   UTF16_LE Bit Pattern!\n") +
             boxed("\n", row255 +
                             "|   80   |   01   |   00   |   ff   |  HEX=0xff000180\n"
                             "|10000000|00000001|00000000|11111111|  UTF32_LE Bit Pattern!\n")},
        // A label of 256 units is refused (before the scalar's range), a scalar above 0x10FFFF.
        {0, 0, 0,
         [&] {
             makeBitStringUSHORT16(0, l256.c_str());
             makeBitStringUnicodeScalarValue(0x110000, l256.c_str());
             makeBitStringUnicodeScalarValue(0x110000, W("s"));
         },
         sizeLine("makeBitStringUSHORT16() prefix", 510, 512) +
             sizeLine("makeBitStringUnicodeScalarValue() prefix", 510, 512) + kErrorBanner +
             "makeBitStringUnicodeScalarValue() scalar値がUNICODE文字の範囲外 =0x110000\r\n"},
        // A scalar of each UTF-8 length, 1, 3 (a surrogate too) and 4, then 2 in newline mode 1.
        {0, 0, 0,
         [] {
             makeBitStringUnicodeScalarValue(0, W("s"));
             makeBitStringUnicodeScalarValue(0xD800, W("s"));
             makeBitStringUnicodeScalarValue(0x10FFFF, W("s"));
         },
         boxed("\r\n",
               "|    *   |    *   |    *   |    0   |  [s]\r\n"
               "|********|********|********|  0x00  |  SCALAR-HEX(UINT32)=0x00000000\r\n"
               "|32    24| 21   16|       8|       0|  [s]\r\n"
               "|********|***00000|00000000|00000000|  UNICODE(SCALAR) Bit Pattern!\r\n"
               "|   *\x81\x40  |    *   |    *   |  0x00  |  HEX(UINT32)=0x00000000\r\n"
               "|32    24|      16|       8|       0|  [s]\r\n"
               "|********|********|********|00000000|  UTF8 Decode (1 bytes char)!\r\n") +
             boxed("\r\n",
                   "|    *   |    0   |    1   |    2   |  [s]\r\n"
                   "|********|  0x00  |  0xd8  |  0x00  |  SCALAR-HEX(UINT32)=0x0000d800\r\n"
                   "|32    24| 21   16|       8|       0|  [s]\r\n"
                   "|********|***00000|11011000|00000000|  UNICODE(SCALAR) Bit Pattern!\r\n"
                   "|    *   |  0xed  |  0xa0  |  0x80  |  DECODE-HEX(UINT32)=0x0080a0ed\r\n"
                   "|32    24|      16|       8|       0|  [s]\r\n"
                   "|********|11101101|10100000|10000000|  UTF8 Decode(3 bytes char)!\r\n") +
             boxed("\r\n",
                   "|    0   |    1   |    2   |    3   |  [s]\r\n"
                   "|********|  0x10  |  0xff  |  0xff  |  SCALAR-HEX(UINT32)=0x0010ffff\r\n"
                   "|32    24| 21   16|       8|       0|  [s]\r\n"
                   "|********|***10000|11111111|11111111|  UNICODE(SCALAR) Bit Pattern!\r\n"
                   "|  0xf4  |  0x8f  |  0xbf  |  0xbf  |  DECODE-HEX(UINT32)=0xbfbf8ff4\r\n"
                   "|32    24|      16|       8|       0|  [s]\r\n"
                   "|11110100|10001111|10111111|10111111|  UTF8 Decode(4 bytes char)!\r\n")},
        {0, 1, 0, [] { makeBitStringUnicodeScalarValue(0x80, W("s")); },
         boxed("\r",
               "|    *   |    *   |    0   |    1   |  [s]\r"
               "|********|********|  0x00  |  0x80  |  SCALAR-HEX(UINT32)=0x00000080\r"
               "|32    24| 21   16|       8|       0|  [s]\r"
               "|********|***00000|00000000|10000000|  UNICODE(SCALAR) Bit Pattern!\r"
               "|   *    |    *   |  0xc2  |  0x80  |  DECODE-HEX(UINT32)=0x000080c2\r"
               "|32    24|      16|       8|       0|  [s]\r"
               "|********|********|11000010|10000000|  UTF8 Decode(2 bytes char)!\r")},
    });
}

TEST_F(SessionTest, RowAppendStaysInsideTheBuffer) {
    using quillpen::appendOutBuf, quillpen::gOutBufA, quillpen::kOutBufBytes;
    ASSERT_EQ(open(), 1);
    // Up to 8190 bytes and the buffer's end pass, one more is refused ('x'), as after a refusal.
    const int32_t end = kOutBufBytes,
                  kRows[][3] = {{0, 3, 3},     {3, 0, 3},         {-1, 3, -1},     {3, 8190, 8193},
                                {0, 8191, -1}, {end - 3, 3, end}, {end - 2, 3, -1}};
    for (const auto& [offset, length, result] : kRows)
        EXPECT_EQ(appendOutBuf(offset, std::string(length, result < 0 ? 'x' : 'p').c_str()),
                  result);
    EXPECT_EQ(std::string(gOutBufA, end),
              std::string(8193, 'p') + std::string(end - 8196, '\0') + "ppp");
    std::memset(gOutBufA, 0, kOutBufBytes);
}
