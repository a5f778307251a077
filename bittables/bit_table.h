// The pieces the three bit-pattern tables share: a byte's bits as a cell, the append of a
// row to gOutBufA, and a builder that assembles a table's rows there and writes them to
// the log file as one block (no stamp, every row ended by gNewlineA).
#pragma once

#include <cstdint>

#include "platform/seams.h"
#include "quillpen.h"

namespace quillpen {

namespace msg {
// Argument labels of the tables' size checks.
inline constexpr auto kUshort16Prefix = QP_TEXT("makeBitStringUSHORT16() prefix");
inline constexpr auto kUint32Prefix = QP_TEXT("makeBitStringUINT32() prefix");
inline constexpr auto kScalarPrefix = QP_TEXT("makeBitStringUnicodeScalarValue() prefix");
// The refusal of a scalar above 0x10FFFF, an ERROR [SYSLOG] line.
inline constexpr auto kScalarOutOfRange =
    QP_TEXT("makeBitStringUnicodeScalarValue() scalar値がUNICODE文字の範囲外 =0x%04x");
}  // namespace msg

// The rows the 32-bit table and the scalar table have in common: four 8-character cells.
inline constexpr char kBorder32[] = "+-----------------------------------+%s";
inline constexpr char kLabelRow32[] = "|    0   |    1   |    2   |    3   |  [%s]%s";

constexpr int32_t kMaxLabelBytes = 510;   // a table's label: at most 255 units
constexpr int32_t kMaxPieceBytes = 8190;  // the most appendOutBuf copies in one piece

// The three tables, each written as one block while a writer is ready.
void makeUshortTable(uint16_t value, const WCHAR* prefix);
void makeUintTable(uint32_t value, const WCHAR* prefix);
void makeScalarTable(uint32_t scalar, const WCHAR* prefix);

// Copies `piece` without its NUL to gOutBufA at `offset` and returns the offset after it
// (an empty piece returns `offset`). A piece over 8190 bytes, or one that would run past
// the end of gOutBufA, is not copied and gives -1; a negative offset (an earlier refusal)
// is returned as it is, so one refused row spoils the whole table.
int32_t appendOutBuf(int32_t offset, const char* piece);

// Byte k of `value`, k = 0 the least significant.
inline uint8_t byteOf(uint32_t value, int k) { return static_cast<uint8_t>(value >> (8 * k)); }

// Writes the eight 0/1 characters of `value` to `dst`, most significant bit first, with no
// terminator: 0x34 => "00110100".
void byteToBitString(uint8_t value, char* dst);

// One byte's bits as a NUL-terminated eight-character string.
struct BitCell {
    char text[9];
};
BitCell bitCell(uint8_t value);

// True when a table may be made: a writer is ready (otherwise nothing is reported) and the
// label passes its size check under `func` (which reports a refusal or a null label).
bool tableWanted(const WCHAR* func, const WCHAR* prefix);

// A table under assembly in gOutBufA from offset 0. Rows are formatted into bounded
// buffers and appended at a running offset; write() sends them with one WriteFile.
class BitTable {
   public:
    // Converts the label (at most 255 units, already checked) to UTF-8.
    explicit BitTable(const WCHAR* prefix);
    BitTable(const BitTable&) = delete;
    BitTable& operator=(const BitTable&) = delete;

    // A row without the label; the caller passes gNewlineA for the format's last %s.
    void row(const char* format, ...);
    // A row whose format takes the label's UTF-8 form and then the terminator.
    void labelRow(const char* format);
    // Writes what was assembled with one WriteFile (nothing after a refused row), then
    // clears gOutBufA and gSysOutA.
    void write();

   private:
    int32_t offset_ = 0;
    char label_[kMaxLabelBytes / 2 * 3 + 1];  // 255 units take at most 765 UTF-8 bytes
};

}  // namespace quillpen
