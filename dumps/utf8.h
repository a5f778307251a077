// The UTF-8 decode table: a host's text as sixteen-byte rows of hex cells with the
// characters those bytes decode to beside them, composed in one block and written with one
// WriteFile. Lines end in CR LF whatever the session's terminator.
//
// Text "ABCDEFG日éZ" (13 bytes), prefix "ex":
//   -----------------------------------------------------------------------------------
//   addr={00000000012A4F30} prefix={ex} charSet={UTF8(NoBom)} size(BYTE)=13
//   00 01 02 03 04 05 06 07 |08 09 0A 0B 0C 0D 0E 0F |01234567|89ABCDEF| Dec   Hex
//   -----------------------------------------------------------------------------------
//   41 42 43 44 45 46 47 e6 |97 a5 c3 a9 5a          |ABCDEFG`|日é.Z   | 000013 0x000d
//   -----------------------------------------------------------------------------------
//
// A character of n bytes takes n columns: its glyph (one cell wide for 1 and 2 bytes, two
// for 3 and 4), then fillers "."; a two-cell glyph never straddles the group mark "|" or
// the end of a row: a placeholder "`" fills the column left before it. A character cut by
// the end of a row finishes at column 0 of the next, so each row covers exactly its own
// sixteen bytes.
#pragma once

#include <cstdint>
#include <cstring>

#include "dumps/utf8_layout.h"
#include "platform/seams.h"
#include "quillpen.h"

namespace quillpen {

namespace msg {
inline constexpr auto kDumpUtf8Data = QP_TEXT("logDumpUTF8 data");
inline constexpr auto kDumpUtf8Prefix = QP_TEXT("logDumpUTF8 prefix");
inline constexpr auto kDumpUtf8SizeOver = QP_TEXT(
    "utf8 line=%d logDump_UTF8 サイズ・オーバー・エラー size=%ld 8900バイト以上は出力できませ"
    "ん!");
inline constexpr auto kDumpUtf8BadByte = QP_TEXT(
    "utf8 1バイト文字の文字コードが不正です。line=%d utf8_setAsciiConpat() pb=%02x data len=%d "
    "cnt=%d");
inline constexpr auto kDumpUtf8Time = QP_TEXT("logDumpUTF8 処理時間=%lf[秒]");
inline constexpr auto kDumpUtf8NoMemory =
    QP_TEXT("utf8 logDump_UTF8 メモリを確保できません、出力できません size=%ld");
}  // namespace msg

constexpr int32_t kDumpUtf8MaxSize = 8438;  // data bytes a table may show
constexpr int32_t kMaxRowBytes = 93;        // 49 hex, 2 marks, 26 of characters, 16 trailer
// Rows are composed with whole stores that may reach past what they append; every row is
// checked for this much room besides its bytes.
constexpr int32_t kRowSlack = 8;

// The dump block: the table is composed here, every append bounded by `capacity`.
struct DumpBlock {
    char* text;
    int32_t capacity;  // bytes
    int32_t outLen;    // bytes composed so far
};

// Appends `n` bytes; false, appending nothing, when they do not fit. Inline, so that the
// length of a literal is known where it is appended.
inline bool appendBytes(DumpBlock& block, const char* bytes, int32_t n) {
    if (n < 0 || n >= block.capacity - block.outLen) return false;  // keeps the NUL's byte
    std::memcpy(block.text + block.outLen, bytes, static_cast<size_t>(n));
    block.outLen += n;
    return true;
}

inline bool appendText(DumpBlock& block, const char* text) {
    return appendBytes(block, text, static_cast<int32_t>(std::strlen(text)));
}

// The row loop's cursor. pb is always the data's start plus cnt.
struct Utf8Cursor {
    const uint8_t* pb;
    int32_t cnt;         // data bytes taken so far
    int32_t size;        // data bytes in all
    int32_t i;           // column 0..15 of the current row
    int32_t byteCnt;     // bytes of the character classified last
    int32_t splitState;  // 0, or the code of the character the row's end cut
    uint8_t splitLead;   // lead byte of a glyph moved to the next row (315, 415)
    bool marked;         // the current row holds its group mark
};

// Renders the character at cur.pb (cur.byteCnt bytes, classified by its lead byte) from
// column cur.i, moving cur.i onto the last column it takes in this row.
void utf8chsrsSet(DumpBlock& block, Utf8Cursor& cur);
// A one-byte character: printable ones are shown, control bytes reported and passed over.
void utf8_setAsciiConpat(DumpBlock& block, Utf8Cursor& cur);
void utf8_set4ByteChar(DumpBlock& block, Utf8Cursor& cur);
// The rest of a character cut by the end of the previous row, at column 0.
void utf8_finishSplit(DumpBlock& block, Utf8Cursor& cur);
// Bytes of a character from its lead byte; 0 for a byte that cannot start one.
int32_t utf8LeadByteCount(uint8_t lead);

// " %06d 0x%04x" and CR LF for the `cnt` bytes dumped so far: 16 bytes.
char* putRowTrailer(char* out, int32_t cnt);

// One row: sixteen columns from the cursor, which then stands at the next row's first byte.
// False, composing nothing, when the block has no room for a row.
bool appendRow(DumpBlock& block, Utf8Cursor& cur, const uint8_t* data);

// appendQuickRows reads up to this many bytes past the data's end (and the byte before a
// row): the data needs them readable. Rows are read two at a time, with the lead bytes
// of the sixteen after them.
constexpr int32_t kQuickRowTail = 32;
// The same rows laid out at once from tables, from the cursor while they are whole rows of
// sixteen bytes after the first that hold no control byte (the common case); appendRow
// takes any other. Both give the same bytes. False when it took no row.
bool quickRowsAvailable();
bool appendQuickRows(DumpBlock& block, Utf8Cursor& cur, const uint8_t* data);

// logDumpUTF8: the decode table of a host's text, while a writer is ready.
void dumpUtf8(const WCHAR* data, const WCHAR* prefix);

// Composes the table of the `size` bytes in gOutBufA and writes it; a size above
// kDumpUtf8MaxSize is refused with a [SYSLOG] line.
void logDump_UTF8(int32_t size, const WCHAR* prefix);

}  // namespace quillpen
