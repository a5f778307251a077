// The Unicode scalar bit table: a scalar (0 to 0x10FFFF) beside its UTF-8 form, 15 rows.
// The upper half shows the scalar's lowest n bytes (n = its UTF-8 length, at most three
// shown), its value and bits 20..0 ("***" stands for bits 23..21). The lower half shows
// the n UTF-8 bytes in encoding order, the same bytes read as one little-endian 32-bit
// number, and their bits. Spacing and wording differ by n exactly as stored files have
// them; the one-byte decode row keeps a CP932 full-width space (bytes 81 40).
//
// makeBitStringUnicodeScalarValue(0x3042, "s") =>
//   +-----------------------------------+
//   |    *   |    0   |    1   |    2   |  [s]
//   +-----------------------------------+
//   |********|  0x00  |  0x30  |  0x42  |  SCALAR-HEX(UINT32)=0x00003042
//   +-----------------------------------+
//   |32    24| 21   16|       8|       0|  [s]
//   +-----------------------------------+
//   |********|***00000|00110000|01000010|  UNICODE(SCALAR) Bit Pattern!
//   +-----------------------------------+
//   |    *   |  0xe3  |  0x81  |  0x82  |  DECODE-HEX(UINT32)=0x008281e3
//   +-----------------------------------+
//   |32    24|      16|       8|       0|  [s]
//   +-----------------------------------+
//   |********|11100011|10000001|10000010|  UTF8 Decode(3 bytes char)!
//   +-----------------------------------+
#include <cstring>

#include "bittables/bit_table.h"
#include "core/line_writer.h"
#include "core/session.h"
#include "text/utf.h"

namespace quillpen {
namespace {
constexpr uint32_t kMaxScalar = 0x10FFFF;

// Label rows by UTF-8 length - 1: the columns numbered are those that hold UTF-8 bytes.
constexpr const char* kLabelRows[] = {
    "|    *   |    *   |    *   |    0   |  [%s]%s",
    "|    *   |    *   |    0   |    1   |  [%s]%s",
    "|    *   |    0   |    1   |    2   |  [%s]%s",
    kLabelRow32,
};
constexpr char kScalarHex1[] =
    "|********|********|********|  0x%02x  |  SCALAR-HEX(UINT32)=0x%08x%s";
constexpr char kScalarHex2[] =
    "|********|********|  0x%02x  |  0x%02x  |  SCALAR-HEX(UINT32)=0x%08x%s";
constexpr char kScalarHex3[] =  // also for four-byte characters: b3 is always 0
    "|********|  0x%02x  |  0x%02x  |  0x%02x  |  SCALAR-HEX(UINT32)=0x%08x%s";
constexpr char kScalarRuler[] = "|32    24| 21   16|       8|       0|  [%s]%s";
constexpr char kScalarBits[] = "|********|%s|%s|%s|  UNICODE(SCALAR) Bit Pattern!%s";

// The first cell: three blanks, "*", the CP932 full-width space 81 40, two blanks.
constexpr char kDecodeHex1[] =
    "|   *"
    "\x81\x40"
    "  |    *   |    *   |  0x%02x  |  HEX(UINT32)=0x%08x%s";
constexpr char kDecodeHex2[] =
    "|   *    |    *   |  0x%02x  |  0x%02x  |  DECODE-HEX(UINT32)=0x%08x%s";
constexpr char kDecodeHex3[] =
    "|    *   |  0x%02x  |  0x%02x  |  0x%02x  |  DECODE-HEX(UINT32)=0x%08x%s";
constexpr char kDecodeHex4[] =
    "|  0x%02x  |  0x%02x  |  0x%02x  |  0x%02x  |  DECODE-HEX(UINT32)=0x%08x%s";
// One ruler for every length: the four-byte form's "%Ts" prints the label as "%s" does.
constexpr char kDecodeRuler[] = "|32    24|      16|       8|       0|  [%s]%s";
constexpr char kDecodeBits1[] = "|********|********|********|%s|  UTF8 Decode (%d bytes char)!%s";
constexpr char kDecodeBits2[] = "|********|********|%s|%s|  UTF8 Decode(%d bytes char)!%s";
constexpr char kDecodeBits3[] = "|********|%s|%s|%s|  UTF8 Decode(%d bytes char)!%s";
constexpr char kDecodeBits4[] = "|%s|%s|%s|%s|  UTF8 Decode(%d bytes char)!%s";

struct Utf8Form {
    int n;            // 1 to 4 bytes
    uint8_t u[4];     // in encoding order, absent bytes 0
    uint32_t decode;  // u0..u3 as they lie in memory, read as a little-endian number
};

Utf8Form utf8Form(uint32_t scalar) {
    char bytes[4] = {};
    Utf8Form form{};
    form.n = utf32ToUtf8(scalar, bytes);
    for (int k = 0; k < 4; ++k) {
        form.u[k] = static_cast<uint8_t>(bytes[k]);
        form.decode |= static_cast<uint32_t>(form.u[k]) << (8 * k);
    }
    return form;
}

// Rows 2 to 8: the scalar's bytes, most significant first, and its bits.
void scalarRows(BitTable& table, uint32_t scalar, int n) {
    const uint8_t b0 = byteOf(scalar, 0), b1 = byteOf(scalar, 1), b2 = byteOf(scalar, 2);
    BitCell masked = bitCell(b2);
    std::memcpy(masked.text, "***", 3);
    table.labelRow(kLabelRows[n - 1]);
    table.row(kBorder32, gNewlineA);
    if (n == 1) {
        table.row(kScalarHex1, b0, scalar, gNewlineA);
    } else if (n == 2) {
        table.row(kScalarHex2, b1, b0, scalar, gNewlineA);
    } else {
        table.row(kScalarHex3, b2, b1, b0, scalar, gNewlineA);
    }
    table.row(kBorder32, gNewlineA);
    table.labelRow(kScalarRuler);
    table.row(kBorder32, gNewlineA);
    table.row(kScalarBits, masked.text, bitCell(b1).text, bitCell(b0).text, gNewlineA);
}

// Rows 10 to 14: the UTF-8 bytes right-aligned in encoding order, their value and bits.
void decodeRows(BitTable& table, const Utf8Form& form) {
    const uint8_t* u = form.u;
    const BitCell c[4] = {bitCell(u[0]), bitCell(u[1]), bitCell(u[2]), bitCell(u[3])};
    const char* nl = gNewlineA;
    switch (form.n) {
        case 1:
            table.row(kDecodeHex1, u[0], form.decode, nl);
            break;
        case 2:
            table.row(kDecodeHex2, u[0], u[1], form.decode, nl);
            break;
        case 3:
            table.row(kDecodeHex3, u[0], u[1], u[2], form.decode, nl);
            break;
        default:
            table.row(kDecodeHex4, u[0], u[1], u[2], u[3], form.decode, nl);
            break;
    }
    table.row(kBorder32, nl);
    table.labelRow(kDecodeRuler);
    table.row(kBorder32, nl);
    switch (form.n) {
        case 1:
            table.row(kDecodeBits1, c[0].text, 1, nl);
            break;
        case 2:
            table.row(kDecodeBits2, c[0].text, c[1].text, 2, nl);
            break;
        case 3:
            table.row(kDecodeBits3, c[0].text, c[1].text, c[2].text, 3, nl);
            break;
        default:
            table.row(kDecodeBits4, c[0].text, c[1].text, c[2].text, c[3].text, 4, nl);
            break;
    }
}

}  // namespace

void makeScalarTable(uint32_t scalar, const WCHAR* prefix) {
    if (!tableWanted(msg::kScalarPrefix, prefix)) return;
    if (scalar > kMaxScalar) {
        logSyslog(kError, msg::kScalarOutOfRange, scalar);
        return;
    }
    const Utf8Form form = utf8Form(scalar);
    BitTable table(prefix);
    table.row(kBorder32, gNewlineA);
    scalarRows(table, scalar, form.n);
    table.row(kBorder32, gNewlineA);
    decodeRows(table, form);
    table.row(kBorder32, gNewlineA);
    table.write();
}

}  // namespace quillpen
