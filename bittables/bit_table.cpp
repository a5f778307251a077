// The byte-cell bit tables of a 16-bit and a 32-bit value, and the assembly and write
// that all bit tables share. Cells hold the bytes in memory order (least significant
// first), each in hex and in bits; every cell is 8 characters wide.
//
// makeBitStringUSHORT16(0x1234, "v") =>
//   +-----------------+
//   |    0   |    1   |  [v]
//   +-----------------+
//   |   34   |   12   |   HEX=0x1234
//   +-----------------+
//   |00110100|00010010|   UTF16_LE Bit Pattern!
//   +-----------------+
// makeBitStringUINT32 draws four cells (78 56 34 12 for 0x12345678) in 35-dash borders,
// with two blanks before "HEX=0x12345678" and "UTF32_LE Bit Pattern!".
#include "bittables/bit_table.h"

#include <cstdarg>
#include <cstring>

#include "core/format.h"
#include "core/log_file.h"
#include "core/session.h"
#include "text/utf.h"

namespace quillpen {
namespace {
constexpr int kRowBytes = 260;  // room of a row without the label

// The 16-bit table: three blanks before its trailing texts, where the 32-bit one has two.
constexpr char kBorder16[] = "+-----------------+%s";
constexpr char kLabelRow16[] = "|    0   |    1   |  [%s]%s";
constexpr char kHexRow16[] = "|   %02x   |   %02x   |   HEX=0x%04x%s";
constexpr char kBitRow16[] = "|%s|%s|   UTF16_LE Bit Pattern!%s";

constexpr char kHexRow32[] = "|   %02x   |   %02x   |   %02x   |   %02x   |  HEX=0x%08x%s";
constexpr char kBitRow32[] = "|%s|%s|%s|%s|  UTF32_LE Bit Pattern!%s";

}  // namespace

void makeUshortTable(uint16_t value, const WCHAR* prefix) {
    if (!tableWanted(msg::kUshort16Prefix, prefix)) return;
    const uint8_t b0 = byteOf(value, 0), b1 = byteOf(value, 1);
    BitTable table(prefix);
    table.row(kBorder16, gNewlineA);
    table.labelRow(kLabelRow16);
    table.row(kBorder16, gNewlineA);
    table.row(kHexRow16, b0, b1, value, gNewlineA);
    table.row(kBorder16, gNewlineA);
    table.row(kBitRow16, bitCell(b0).text, bitCell(b1).text, gNewlineA);
    table.row(kBorder16, gNewlineA);
    table.write();
}

void makeUintTable(uint32_t value, const WCHAR* prefix) {
    if (!tableWanted(msg::kUint32Prefix, prefix)) return;
    const uint8_t b0 = byteOf(value, 0), b1 = byteOf(value, 1);
    const uint8_t b2 = byteOf(value, 2), b3 = byteOf(value, 3);
    BitTable table(prefix);
    table.row(kBorder32, gNewlineA);
    table.labelRow(kLabelRow32);
    table.row(kBorder32, gNewlineA);
    table.row(kHexRow32, b0, b1, b2, b3, value, gNewlineA);
    table.row(kBorder32, gNewlineA);
    table.row(kBitRow32, bitCell(b0).text, bitCell(b1).text, bitCell(b2).text, bitCell(b3).text,
              gNewlineA);
    table.row(kBorder32, gNewlineA);
    table.write();
}

int32_t appendOutBuf(int32_t offset, const char* piece) {
    if (offset < 0) return offset;
    if (!piece || !gOutBufA) return -1;
    int32_t length = 0;
    while (length <= kMaxPieceBytes && piece[length] != '\0') ++length;
    if (length == 0) return offset;
    // Bounded by the buffer's end too, not only by the piece's own limit.
    if (length > kMaxPieceBytes || offset > kOutBufBytes - length) return -1;
    std::memcpy(gOutBufA + offset, piece, static_cast<size_t>(length));
    return offset + length;
}

void byteToBitString(uint8_t value, char* dst) {
    for (int k = 0; k < 8; ++k) dst[k] = ((value >> (7 - k)) & 1) != 0 ? '1' : '0';
}

BitCell bitCell(uint8_t value) {
    BitCell cell{};
    byteToBitString(value, cell.text);
    return cell;
}

bool tableWanted(const WCHAR* func, const WCHAR* prefix) {
    return writerReady() && checkText(func, prefix, kMaxLabelBytes);
}

BitTable::BitTable(const WCHAR* prefix) {
    std::memset(gSysOutA, 0, kSysOutBytes);
    utf16ToUtf8(prefix, label_, sizeof label_);
}

void BitTable::row(const char* format, ...) {
    char text[kRowBytes] = {};
    va_list args;
    va_start(args, format);
    const int length = vformatNarrow(text, kRowBytes, format, args);
    va_end(args);
    offset_ = length < 0 ? -1 : appendOutBuf(offset_, text);  // a cut row spoils the table
}

void BitTable::labelRow(const char* format) {
    const int length = formatNarrow(gSysOutA, kSysOutBytes, format, label_, gNewlineA);
    offset_ = length < 0 ? -1 : appendOutBuf(offset_, gSysOutA);  // write() clears gSysOutA
}

void BitTable::write() {
    logFileWrite(gOutBufA, offset_);  // a spoilt table (-1) writes nothing
    std::memset(gOutBufA, 0, kOutBufBytes);
    std::memset(gSysOutA, 0, kSysOutBytes);
}

}  // namespace quillpen
