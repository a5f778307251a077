// The per-character steps of the decode table's character area.
//
// From its first column c, a character of n bytes writes (G glyph, . filler, ` placeholder,
// | the group mark between columns 7 and 8) and, when the row's end cuts it, leaves the rest
// for column 0 of the next row:
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

void putGlyph(DumpBlock& block, const uint8_t* bytes, int32_t n) {
    appendBytes(block, reinterpret_cast<const char*>(bytes), n);
}

// Takes `bytes` of the data and moves onto the character's last column in this row.
void take(Utf8Cursor& cur, int32_t bytes, int32_t lastColumn) {
    cur.pb += bytes;
    cur.cnt += bytes;
    cur.i = lastColumn;
}

// The row's end cuts the character: `bytes` of it are taken here, the rest next row.
void cut(Utf8Cursor& cur, int32_t bytes, SplitState state) {
    cur.splitState = state;
    take(cur, bytes, 15);
}

void set2ByteChar(DumpBlock& block, Utf8Cursor& cur) {
    const int32_t c = cur.i;
    putGlyph(block, cur.pb, 2);
    if (c == 7) {
        appendText(block, "|.");
        cur.marked = true;
        take(cur, 2, 8);
    } else if (c == 15) {
        cut(cur, 1, kSplit2At15);
    } else {
        appendText(block, ".");
        take(cur, 2, c + 1);
    }
}

void set3ByteChar(DumpBlock& block, Utf8Cursor& cur) {
    const int32_t c = cur.i;
    switch (c) {
        case 6:
            putGlyph(block, cur.pb, 3);
            appendText(block, "|.");
            cur.marked = true;
            take(cur, 3, 8);
            break;
        case 7:
            appendText(block, "`|");
            putGlyph(block, cur.pb, 3);
            cur.marked = true;
            take(cur, 3, 9);
            break;
        case 14:
            putGlyph(block, cur.pb, 3);
            cut(cur, 2, kSplit3At14);
            break;
        case 15:
            appendText(block, "`");
            cur.splitLead = *cur.pb;
            cut(cur, 1, kSplit3At15);
            break;
        default:
            putGlyph(block, cur.pb, 3);
            appendText(block, ".");
            take(cur, 3, c + 2);
            break;
    }
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
        putGlyph(block, cur.pb, 1);
    } else {
        // The column counts as taken but shows nothing: the row is one cell shorter.
        logSyslog(kError, msg::kDumpUtf8BadByte, 230, static_cast<int32_t>(byte), block.outLen,
                  cur.cnt);
    }
    take(cur, 1, cur.i);
}

void utf8_set4ByteChar(DumpBlock& block, Utf8Cursor& cur) {
    const int32_t c = cur.i;
    switch (c) {
        case 5:
            putGlyph(block, cur.pb, 4);
            appendText(block, ".|.");
            cur.marked = true;
            take(cur, 4, 8);
            break;
        case 6:
            putGlyph(block, cur.pb, 4);
            appendText(block, "|..");
            cur.marked = true;
            take(cur, 4, 9);
            break;
        case 7:
            appendText(block, "`|");
            putGlyph(block, cur.pb, 4);
            appendText(block, ".");
            cur.marked = true;
            take(cur, 4, 10);
            break;
        case 13:
            putGlyph(block, cur.pb, 4);
            appendText(block, ".");
            cut(cur, 3, kSplit4At13);
            break;
        case 14:
            putGlyph(block, cur.pb, 4);
            cut(cur, 2, kSplit4At14);
            break;
        case 15:
            appendText(block, "`");
            cur.splitLead = *cur.pb;
            cut(cur, 1, kSplit4At15);
            break;
        default:
            putGlyph(block, cur.pb, 4);
            appendText(block, "..");
            take(cur, 4, c + 3);
            break;
    }
}

void utf8_finishSplit(DumpBlock& block, Utf8Cursor& cur) {
    switch (cur.splitState) {
        case kSplit2At15:
        case kSplit3At14:
        case kSplit4At13:
            appendText(block, ".");
            take(cur, 1, 0);
            break;
        case kSplit4At14:
            appendText(block, "..");
            take(cur, 2, 1);
            break;
        case kSplit3At15:
            putGlyph(block, &cur.splitLead, 1);
            putGlyph(block, cur.pb, 2);
            take(cur, 2, 1);
            break;
        case kSplit4At15:
            putGlyph(block, &cur.splitLead, 1);
            putGlyph(block, cur.pb, 3);
            appendText(block, ".");
            take(cur, 3, 2);
            break;
        default:
            break;
    }
    cur.splitState = 0;
}

void utf8chsrsSet(DumpBlock& block, Utf8Cursor& cur) {
    switch (cur.byteCnt) {
        case 2:
            set2ByteChar(block, cur);
            break;
        case 3:
            set3ByteChar(block, cur);
            break;
        case 4:
            utf8_set4ByteChar(block, cur);
            break;
        default:
            // One-byte characters; a byte that starts no character (never produced by the
            // conversion) is reported like a control byte and passed over.
            utf8_setAsciiConpat(block, cur);
            break;
    }
}

}  // namespace quillpen
