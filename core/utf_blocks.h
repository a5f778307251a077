// The block converters behind utf16ToUtf8N, one for each instruction set it can run on.
// Each takes whole blocks of units from src[i] while they fit and returns where it
// stopped, with `len` advanced. Past `len` it leaves at most three bytes changed, all zero:
// the NUL's and the two after it.
#pragma once

#include "core/cpu.h"
#include "platform/platform.h"

namespace quillpen {

using Blocks = int (*)(const WCHAR* src, int i, int units, unsigned char* out, int& len, int room);

#if QP_HAS_RUNTIME_SIMD
// Units shuffled into place, sixteen a block.
QP_TARGET_AVX2 int blocksAvx2(const WCHAR* src, int i, int units, unsigned char* out, int& len,
                              int room);
// wideLength with 32-byte loads, for utf16ToUtf8 on the AVX2 path.
QP_TARGET_AVX2 int wideLengthAvx2(const WCHAR* text);
#endif

}  // namespace quillpen
