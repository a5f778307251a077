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
// How a row lays out its bytes and characters: utf8_row.cpp.
#pragma once

#include <cstdint>

#include "platform/seams.h"
#include "quillpen.h"

namespace quillpen {

namespace msg {
inline constexpr auto kDumpUtf8Data = QP_TEXT("logDumpUTF8 data");
inline constexpr auto kDumpUtf8Prefix = QP_TEXT("logDumpUTF8 prefix");
// The line numbers these print are part of the log format (core/messages.h).
inline constexpr auto kDumpUtf8SizeOver = QP_TEXT(
    "utf8 line=%d logDump_UTF8 サイズ・オーバー・エラー size=%ld 8900バイト以上は出力できませ"
    "ん!");
inline constexpr int32_t kDumpUtf8SizeOverLine = 35;
inline constexpr auto kDumpUtf8BadByte = QP_TEXT(
    "utf8 1バイト文字の文字コードが不正です。line=%d utf8_setAsciiConpat() pb=%02x data len=%d "
    "cnt=%d");
inline constexpr int32_t kDumpUtf8BadByteLine = 230;
inline constexpr auto kDumpUtf8Time = QP_TEXT("logDumpUTF8 処理時間=%lf[秒]");
inline constexpr auto kDumpUtf8NoMemory =
    QP_TEXT("utf8 logDump_UTF8 メモリを確保できません、出力できません size=%ld");
}  // namespace msg

constexpr int32_t kDumpUtf8MaxSize = 8438;  // data bytes a table may show
constexpr int32_t kMaxRowBytes = 93;        // 49 hex, 2 marks, 26 of characters, 16 trailer

// The dump block: the table is composed here, every append bounded by `capacity`, which
// keeps a byte for a NUL.
struct DumpBlock {
    char* text;
    int32_t capacity;  // bytes
    int32_t outLen;    // bytes composed so far
};

// Bytes of a character from its lead byte; 0 for a byte that cannot start one.
int32_t utf8LeadByteCount(uint8_t lead);

// The rows of the `size` bytes at `data` (utf8_row.cpp). False when the block has no room
// for them.
bool appendRows(DumpBlock& block, const uint8_t* data, int32_t size);

// logDumpUTF8: the decode table of a host's text, while a writer is ready.
void dumpUtf8(const WCHAR* data, const WCHAR* prefix);

// Composes the table of the `size` bytes in gOutBufA and writes it; a size above
// kDumpUtf8MaxSize is refused with a [SYSLOG] line.
void logDump_UTF8(int32_t size, const WCHAR* prefix);

}  // namespace quillpen
