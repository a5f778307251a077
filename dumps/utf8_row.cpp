// The per-character steps of the decode table's character area, each showing the shape
// utf8_layout.h gives the character. From its first column c, a character of n bytes
// writes (G glyph, . filler, ` placeholder, | the group mark between columns 7 and 8) and,
// when the row's end cuts it, leaves the rest for column 0 of the next row:
//   2 bytes: c=7 "G|."   c=15 "G" + next "."
//            other "G."
//   3 bytes: c=6 "G|."   c=7 "`|G"   c=14 "G" + next "."   c=15 "`" + next "G"
//            other "G."
//   4 bytes: c=5 "G.|."  c=6 "G|.."  c=7 "`|G."
//            c=13 "G." + next "."   c=14 "G" + next ".."   c=15 "`" + next "G."
//            other "G.."
// A cut character takes only the bytes whose offsets fall in the row, so every row covers
// its sixteen hex cells exactly.
#include "core/line_writer.h"
#include "dumps/utf8.h"

namespace quillpen {
namespace {

// Takes `bytes` of the data and moves onto the character's last column in this row.
void take(Utf8Cursor& cur, int32_t bytes, int32_t lastColumn) {
    cur.pb += bytes;
    cur.cnt += bytes;
    cur.i = lastColumn;
}

// Shows the character at the cursor as `shape`; its glyph has `n` bytes.
void putShape(DumpBlock& block, Utf8Cursor& cur, const CharShape& shape, int32_t n) {
    for (const char* symbol = shape.symbols; *symbol; ++symbol) {
        if (*symbol != 'G') {
            appendBytes(block, symbol, 1);
            if (*symbol == '|') cur.marked = true;
        } else if (shape.splitLead) {
            appendBytes(block, reinterpret_cast<const char*>(&cur.splitLead), 1);
            appendBytes(block, reinterpret_cast<const char*>(cur.pb), n - 1);
        } else {
            appendBytes(block, reinterpret_cast<const char*>(cur.pb), n);
        }
    }
    if (shape.split == kSplit3At15 || shape.split == kSplit4At15) cur.splitLead = *cur.pb;
    cur.splitState = shape.split;
    take(cur, shape.taken, shape.lastColumn);
}

}  // namespace

int32_t utf8LeadByteCount(uint8_t lead) {
    if (lead >= 0x01 && lead <= 0x7F) return 1;
    if (lead >= 0xC2 && lead <= 0xDF) return 2;
    if (lead >= 0xE0 && lead <= 0xEF) return 3;
    if (lead >= 0xF0 && lead <= 0xF7) return 4;
    return 0;
}

void utf8_setAsciiConpat(DumpBlock& block, Utf8Cursor& cur) {
    const uint8_t byte = *cur.pb;
    if (byte >= 0x20 && byte <= 0x7E) {
        appendBytes(block, reinterpret_cast<const char*>(cur.pb), 1);
    } else {
        // The column counts as taken but shows nothing: the row is one cell shorter.
        logSyslog(kError, msg::kDumpUtf8BadByte, 230, static_cast<int32_t>(byte), block.outLen,
                  cur.cnt);
    }
    take(cur, 1, cur.i);
}

void utf8_set4ByteChar(DumpBlock& block, Utf8Cursor& cur) {
    putShape(block, cur, charShape(4, cur.i), 4);
}

void utf8_finishSplit(DumpBlock& block, Utf8Cursor& cur) {
    const CharShape shape = finishShape(cur.splitState);
    putShape(block, cur, shape, shape.taken + 1);
    cur.splitState = 0;
}

void utf8chsrsSet(DumpBlock& block, Utf8Cursor& cur) {
    if (cur.byteCnt >= 2 && cur.byteCnt <= 4) {
        putShape(block, cur, charShape(cur.byteCnt, cur.i), cur.byteCnt);
        return;
    }
    // One-byte characters; a byte that starts no character (never produced by the
    // conversion) is reported like a control byte and passed over.
    utf8_setAsciiConpat(block, cur);
}

}  // namespace quillpen
