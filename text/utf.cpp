#include "text/utf.h"

#include <algorithm>
#include <climits>

#include "text/utf8_sink.h"

namespace quillpen {
static_assert(sizeof(qp_wchar) == 2, "a UTF-16 unit is two bytes");

int wideLength(const qp_wchar* text) { return text ? boundedLength(text, INT_MAX) : 0; }

int utf16ToUtf8N(const qp_wchar* src, int units, char* dst, int dstSize) {
    if (dstSize < 1) return -1;
    Utf8Sink text(dst, dstSize - 1, units);  // the NUL's byte is kept
    text.copy(src, units);
    dst[text.stored()] = '\0';
    return text.bytes() == text.stored() ? text.stored() : -1;
}

int utf16ToUtf8(const qp_wchar* src, char* dst, int dstSize) {
    return utf16ToUtf8N(src, wideLength(src), dst, dstSize);
}

int32_t utf8LengthOf(const qp_wchar* text) {
    const int units = wideLength(text);
    Utf8Sink counted(nullptr, 0, units);  // no room: every byte is counted, none stored
    counted.copy(text, units);
    return static_cast<int32_t>(std::min<int64_t>(counted.bytes(), INT32_MAX));
}

}  // namespace quillpen
