// The printf engine's one loop, generic over the format's unit type (char or WCHAR), over
// where the text goes (a Sink) and over where the arguments come from (Args).
//
// A Sink takes units and keeps count of the room left in the units of its text:
//   bool cut() const;              the text no longer fits; nothing more is taken
//   int space() const;             units that still fit
//   void copy(const T* src, int n) n units (char or WCHAR), as many as fit, cutting the rest
//   void fill(int c, int n)        n copies of the ASCII unit c, as many as fit
//   bool putChar(const T* u, int n) the units of one character, whole or not at all
// Args reads the next argument: nextInt32(), nextInt64(), nextDouble(), nextPointer().
// Only format.cpp instantiates it.
#pragma once

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <type_traits>

#include "core/digits.h"
#include "core/format_float.h"
#include "core/format_parse.h"
#include "text/utf.h"
#include "text/utf_chars.h"

namespace quillpen::engine {

constexpr char kLowerHex[] = "0123456789abcdef";
constexpr char kUpperHex[] = "0123456789ABCDEF";

// Strings and characters are padded as the Windows runtime pads them: with zeros when the
// '0' flag is given and '-' is not.
template <typename Sink>
void padBefore(Sink& out, const Conversion& s, int len) {
    if (!s.left && s.width > len) out.fill(s.zero ? '0' : ' ', s.width - len);
}
template <typename Sink>
void padAfter(Sink& out, const Conversion& s, int len) {
    if (s.left && s.width > len) out.fill(' ', s.width - len);
}

// [spaces][prefix][zeros][body][spaces]; with zeroPad the leading spaces become zeros.
template <typename Sink>
void putPadded(Sink& out, const Conversion& s, const char* prefix, int prefixLen, int zeros,
               const char* body, int bodyLen, bool zeroPad) {
    int pad = s.width - prefixLen - zeros - bodyLen;
    if (pad > 0 && zeroPad && !s.left) {
        zeros += pad;
        pad = 0;
    }
    if (pad > 0 && !s.left) out.fill(' ', pad);
    if (prefixLen > 0) out.copy(prefix, prefixLen);
    if (zeros > 0) out.fill('0', zeros);
    out.copy(body, bodyLen);
    if (pad > 0 && s.left) out.fill(' ', pad);
}

// The digits of `v` in the base of conversion `conv`, ending at `end` (none for 0, which the
// precision's zeros show); returns where they start.
inline char* putDigits(char* end, uint64_t v, int conv) {
    char* q = end;
    if (conv == 'o' || conv == 'x' || conv == 'X') {
        const char* set = conv == 'X' ? kUpperHex : kLowerHex;
        const int shift = conv == 'o' ? 3 : 4;
        for (const uint64_t mask = (uint64_t{1} << shift) - 1; v; v >>= shift) *--q = set[v & mask];
        return q;
    }
    for (; v >= 100; v /= 100) {  // two digits a step
        q -= 2;
        std::memcpy(q, kDigitPairs + 2 * (v % 100), 2);
    }
    if (v >= 10) {
        q -= 2;
        std::memcpy(q, kDigitPairs + 2 * v, 2);
    } else if (v > 0) {
        *--q = static_cast<char>('0' + v);
    }
    return q;
}

template <typename Sink, typename Args>
void putInteger(Sink& out, const Conversion& s, Args& args) {
    int bits = 32;
    if (s.size == Size::Short) bits = 16;
    if (s.size == Size::Char) bits = 8;
    if (s.size == Size::Int64 || s.size == Size::Pointer || s.size == Size::LongDouble) bits = 64;
    uint64_t v = bits == 64 ? static_cast<uint64_t>(args.nextInt64())
                            : static_cast<uint64_t>(static_cast<int64_t>(args.nextInt32()));
    const bool isSigned = s.conv == 'd' || s.conv == 'i';
    if (bits < 64) {
        const uint64_t mask = (uint64_t{1} << bits) - 1;
        v &= mask;
        if (isSigned && (v >> (bits - 1))) v |= ~mask;  // sign-extend the truncated value
    }
    const bool negative = isSigned && static_cast<int64_t>(v) < 0;
    if (negative) v = 0 - v;  // well defined for INT64_MIN too

    char digits[24];
    char* const end = digits + sizeof digits;
    char* const q = putDigits(end, v, s.conv);
    const int base = s.conv == 'o' ? 8 : (s.conv == 'x' || s.conv == 'X') ? 16 : 10;
    const int n = static_cast<int>(end - q);

    char prefix[2];
    int prefixLen = 0;
    if (negative)
        prefix[prefixLen++] = '-';
    else if (isSigned && (s.plus || s.space))
        prefix[prefixLen++] = s.plus ? '+' : ' ';
    if (s.alt && base == 16 && n > 0) {
        prefix[prefixLen++] = '0';
        prefix[prefixLen++] = static_cast<char>(s.conv);
    }
    int zeros = std::max((s.precision < 0 ? 1 : s.precision) - n, 0);
    if (s.alt && base == 8 && zeros == 0) zeros = 1;  // the leading digit is nonzero
    putPadded(out, s, prefix, prefixLen, zeros, q, n, s.zero && s.precision < 0);
}

template <typename Sink>
void putPointerValue(Sink& out, const Conversion& s, const void* p) {
    uint64_t v = reinterpret_cast<uintptr_t>(p);
    char hex[16];
    for (int i = 15; i >= 0; --i, v >>= 4) hex[i] = kUpperHex[v & 15];
    putPadded(out, s, nullptr, 0, 0, hex, 16, false);
}

template <typename Sink>
void putFloat(Sink& out, const Conversion& s, double v) {
    const int conv = s.conv | 0x20;
    const bool finite = std::isfinite(v);
    char prefix[3];
    int prefixLen = 0;
    if (std::signbit(v) && !std::isnan(v))
        prefix[prefixLen++] = '-';
    else if (s.plus || s.space)
        prefix[prefixLen++] = s.plus ? '+' : ' ';
    if (conv == 'a' && finite) {
        prefix[prefixLen++] = '0';
        prefix[prefixLen++] = static_cast<char>(s.conv == 'A' ? 'X' : 'x');
    }
    char buf[kFloatTextBytes];
    int n = 3;
    if (finite)
        n = floatText(buf, std::fabs(v), conv, s.precision, s.alt);
    else
        std::memcpy(buf, std::isnan(v) ? "nan" : "inf", 3);
    if (s.conv != conv)
        for (int i = 0; i < n; ++i)
            if (buf[i] >= 'a' && buf[i] <= 'z') buf[i] = static_cast<char>(buf[i] - 0x20);
    putPadded(out, s, prefix, prefixLen, 0, buf, n, s.zero && finite);
}

// A string argument; `wideArg` when it is UTF-16, whatever the format's own units.
template <typename Ch, typename Sink>
void putString(Sink& out, const Conversion& s, bool wideArg, const void* arg) {
    if (!arg) {
        arg = "(null)";
        wideArg = false;
    }
    const int limit = s.precision < 0 ? INT_MAX : s.precision;
    const auto measure = [](const auto*, int) { return true; };
    const auto write = [&out](const auto* units, int n) { return out.putChar(units, n); };
    if constexpr (std::is_same_v<Ch, char>) {
        if (wideArg) {
            const auto* text = static_cast<const WCHAR*>(arg);
            if (!s.left && s.width > 0) padBefore(out, s, eachUtf8Char(text, limit, measure));
            padAfter(out, s, eachUtf8Char(text, limit, write));
            return;
        }
    } else {
        if (!wideArg) {
            const auto* text = static_cast<const char*>(arg);
            if (!s.left && s.width > 0) padBefore(out, s, eachUtf16Char(text, limit, measure));
            padAfter(out, s, eachUtf16Char(text, limit, write));
            return;
        }
    }
    // The format's own unit type: no need to look past what could fit or pad.
    const auto* text = static_cast<const Ch*>(arg);
    const int n = boundedLength(text, std::min(limit, std::max(s.width, out.space() + 1)));
    padBefore(out, s, n);
    out.copy(text, n);
    padAfter(out, s, n);
}

template <typename Ch, typename Sink>
void putCharacter(Sink& out, const Conversion& s, bool wideArg, int32_t v) {
    Ch units[4] = {};
    int n = 1;
    if constexpr (std::is_same_v<Ch, char>) {
        const uint32_t c = static_cast<uint16_t>(v);
        if (!wideArg)
            units[0] = static_cast<char>(v);
        else  // a lone surrogate has no UTF-8 form
            n = c >= 0xD800 && c <= 0xDFFF ? 0 : utf32ToUtf8(c, units);
    } else {  // a single byte is ASCII or, decoded alone, the unit of its value
        units[0] = wideArg ? static_cast<Ch>(static_cast<uint16_t>(v))
                           : static_cast<Ch>(static_cast<unsigned char>(v));
    }
    padBefore(out, s, n);
    out.putChar(units, n);
    padAfter(out, s, n);
}

// Performs one parsed conversion; false when the conversion is not one this engine honours,
// in which case no argument has been read.
template <typename Ch, typename Sink, typename Args>
bool convert(Sink& out, Conversion& s, Args& args) {
    const Kind kind = kindOf(s.conv);
    if (!accepts(kind, s)) return false;
    if (kind == Kind::Percent) {  // takes no argument, not even for '*'
        out.fill('%', 1);
        return true;
    }
    if (s.widthStar) {
        const int64_t w = args.nextInt32();
        if (w < 0) s.left = true;
        s.width = static_cast<int>(std::min<int64_t>(w < 0 ? -w : w, kMaxField));
    }
    if (s.precisionStar) {
        const int32_t p = args.nextInt32();
        s.precision = p < 0 ? -1 : std::min(p, kMaxField);
    }
    constexpr bool wideFormat = !std::is_same_v<Ch, char>;
    switch (kind) {
        case Kind::Integer:
            putInteger(out, s, args);
            break;
        case Kind::Pointer:
            putPointerValue(out, s, args.nextPointer());
            break;
        case Kind::Float:
            putFloat(out, s, args.nextDouble());
            break;
        case Kind::Char:
            putCharacter<Ch>(out, s, takesWide(s, wideFormat), args.nextInt32());
            break;
        default:
            putString<Ch>(out, s, takesWide(s, wideFormat), args.nextPointer());
            break;
    }
    return true;
}

// The loop: literal runs are copied, each conversion performed; one the engine does not
// honour is copied as it stands. Stops at the terminator or once the text is cut.
template <typename Ch, typename Sink, typename Args>
void formatTo(Sink& out, const Ch* format, Args& args) {
    const Ch* p = format;
    while (*p && !out.cut()) {
        const Ch* run = p;
        while (*p && unit(*p) != '%') ++p;
        out.copy(run, static_cast<int>(p - run));
        if (!*p) break;
        Conversion conversion;
        const Ch* next = parseConversion(p + 1, conversion);
        if (!convert<Ch>(out, conversion, args)) out.copy(p, static_cast<int>(next - p));
        p = next;
    }
}

}  // namespace quillpen::engine
