// UTF-16 to UTF-8, as every line and block reaches the file.
//
// Lone surrogates (a high one not followed by a low one, a low one on its own) are
// dropped; a surrogate pair becomes one four-byte character. Code point 0 has no special
// form. Example: u"\u00e9\u3042\U0001F600" => C3 A9  E3 81 82  F0 9F 98 80.
#pragma once

#include <cstdint>

#include "platform/platform.h"

namespace quillpen {

// Units before the terminator; 0 for a null pointer.
int wideLength(const WCHAR* text);

// Writes the UTF-8 form of one code point (1 to 4 bytes, no NUL) and returns its length;
// 0 for a value above 0x10FFFF, writing nothing.
int utf32ToUtf8(uint32_t codePoint, char* dst);

// Converts `src` into `dst` and NUL-terminates it, never writing more than `dstSize` bytes;
// the two bytes after the NUL, where dstSize has them, may be set to zero (scratch buffers
// stay zero-filled; nothing else reads past the NUL). Returns the byte length, or -1 when
// the text did not fit: `dst` then holds the whole characters that fit (or nothing when
// dstSize < 1).
int utf16ToUtf8(const WCHAR* src, char* dst, int dstSize);

// The same for the first `units` units of `src`, which need no terminator.
int utf16ToUtf8N(const WCHAR* src, int units, char* dst, int dstSize);

// The ways utf16ToUtf8N and utf16ToUtf8 can run, plainest first: unit by unit; eight units
// at a time with SSE2; shuffled into place sixteen units at a time with AVX2.
// The first conversion takes the best one the processor has; all give the same bytes.
enum class UtfPath { kScalar, kSse2, kAvx2 };

// The best path of this build on this processor; every path before it runs here too.
UtfPath bestUtfPath();

// utf16ToUtf8N along `path` (at most bestUtfPath()), for the tests of each path.
int utf16ToUtf8NOn(UtfPath path, const WCHAR* src, int units, char* dst, int dstSize);

// The length utf16ToUtf8 counts along `path`: AVX2's own, wideLength on the others.
int wideLengthOn(UtfPath path, const WCHAR* text);

// A unit that is not a surrogate as one four-byte word to store: its one to three UTF-8
// bytes, then zeros; `n` receives the count. No branch: mixed text changes length at
// nearly every character, which a branch would mispredict.
inline uint32_t utf8Word(uint32_t unit, int& n) {
    const bool one = unit < 0x80;
    const bool two = unit < 0x800;
    const uint32_t low = 0x80 | (unit & 0x3F);
    const uint32_t mid = 0x80 | ((unit >> 6) & 0x3F);
    const uint32_t three = (0xE0 | (unit >> 12)) | mid << 8 | low << 16;
    const uint32_t twoBytes = (0xC0 | (unit >> 6)) | low << 8;
    n = one ? 1 : two ? 2 : 3;
    return one ? unit : two ? twoBytes : three;
}

}  // namespace quillpen
