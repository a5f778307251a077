// The digits of a double for the printf engine's %f %e %g %a, without the locale and the
// same on every platform: 1.5 with %g => "1.5", 100000.0 with %g => "100000",
// 1e6 with %g => "1e+06", 1.0 with %#.0f => "1.".
#pragma once

namespace quillpen {

// Precision is clamped to this, so the digits of any double fit kFloatTextBytes: at most 309
// integer digits, the point, then the decimals. A text that long fits no buffer the library
// formats into (a line holds 4223 units), so it is cut there as the whole text would be.
constexpr int kMaxFloatPrecision = 4224;
constexpr int kFloatTextBytes = 309 + 1 + kMaxFloatPrecision + 8;

// The text of a finite, non-negative `v` for conversion 'f', 'e', 'g' or 'a' (no sign, no
// "0x", lowercase) into `buf` of kFloatTextBytes; precision below 0 means none. Returns its
// length.
int floatText(char* buf, double v, int conv, int precision, bool alt);

}  // namespace quillpen
