// logPut and logPutHex: a host's text as raw or hex lines of its UTF-8 bytes.
#pragma once

#include <cstdint>

#include "platform/platform.h"

namespace quillpen {

// The first `cnt` is only checked against its limit; the whole text up to its terminator
// is written, `newLineCnt` bytes a line (10 to 80), framed by start and end lines when
// `withMarkers` is nonzero. `hex` shows each byte as "%02x ".
void dumpText(bool hex, const WCHAR* data, int32_t cnt, uint8_t withMarkers, int32_t newLineCnt);

}  // namespace quillpen
