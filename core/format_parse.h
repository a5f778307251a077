// The printf engine's reading of one conversion: flags, width, precision, size and the
// letter, and what the letter takes. No argument is read here.
#pragma once

#include <algorithm>
#include <cstdint>

#include "platform/platform.h"

namespace quillpen::engine {

// Widths and precisions are clamped to this: the output is cut at its room anyway, and the
// clamp keeps "%999999999d" from spinning or overflowing an int.
constexpr int kMaxField = 100000;

enum class Size { None, Short, Char, Long, Wide, Int32, Int64, Pointer, LongDouble, Own };

struct Conversion {
    bool left = false, plus = false, space = false, alt = false, zero = false;
    bool widthStar = false, precisionStar = false;
    int width = 0;
    int precision = -1;  // none
    Size size = Size::None;
    int conv = 0;  // 0: the format ended inside the conversion
};

inline int unit(char c) { return static_cast<unsigned char>(c); }
inline int unit(WCHAR c) { return static_cast<uint16_t>(c); }

enum class Kind { Invalid, Percent, Integer, Pointer, Float, Char, String };

// The kind of each ASCII conversion letter, looked up once per conversion.
struct KindTable {
    Kind of[128] = {};
    constexpr KindTable() {
        set("%", Kind::Percent);
        set("diuoxX", Kind::Integer);
        set("p", Kind::Pointer);
        set("fFeEgGaA", Kind::Float);
        set("cC", Kind::Char);
        set("sS", Kind::String);
    }
    constexpr void set(const char* letters, Kind kind) {
        for (; *letters; ++letters) of[static_cast<int>(*letters)] = kind;
    }
};
inline constexpr KindTable kKinds;

inline Kind kindOf(int conv) { return conv < 0x80 ? kKinds.of[conv] : Kind::Invalid; }

template <typename Ch>
const Ch* parseField(const Ch* p, int& value) {
    value = 0;
    for (; unit(*p) >= '0' && unit(*p) <= '9'; ++p)
        value = std::min(value * 10 + (unit(*p) - '0'), kMaxField);
    return p;
}

// Reads flags, width, precision, size and conversion after the '%'. Returns the position
// after the conversion character (or at the terminator); reads no argument.
template <typename Ch>
const Ch* parseConversion(const Ch* p, Conversion& s) {
    if (kindOf(unit(*p)) != Kind::Invalid) {  // most conversions are a letter alone
        s.conv = unit(*p);
        return p + 1;
    }
    for (;; ++p) {
        const int c = unit(*p);
        if (c != '-' && c != '+' && c != ' ' && c != '#' && c != '0') break;
        s.left |= c == '-';
        s.plus |= c == '+';
        s.space |= c == ' ';
        s.alt |= c == '#';
        s.zero |= c == '0';
    }
    if (unit(*p) == '*') {
        s.widthStar = true;
        ++p;
    } else {
        p = parseField(p, s.width);
    }
    if (unit(*p) == '.') {
        ++p;
        if (unit(*p) == '*') {
            s.precisionStar = true;
            ++p;
        } else {
            p = parseField(p, s.precision);
        }
    }
    const int c = unit(*p);
    if (c == 'h' || c == 'l') {
        const bool twice = unit(p[1]) == c;
        s.size = c == 'h' ? (twice ? Size::Char : Size::Short) : (twice ? Size::Int64 : Size::Long);
        p += twice ? 2 : 1;
    } else if (c == 'I') {
        s.size = Size::Pointer;
        ++p;
        if (unit(p[0]) == '6' && unit(p[1]) == '4') s.size = Size::Int64;
        if (unit(p[0]) == '3' && unit(p[1]) == '2') s.size = Size::Int32;
        if (s.size != Size::Pointer) p += 2;
    } else {
        if (c == 'L') s.size = Size::LongDouble;
        if (c == 'j') s.size = Size::Int64;
        if (c == 'z' || c == 't') s.size = Size::Pointer;
        if (c == 'w') s.size = Size::Wide;
        if (c == 'T') s.size = Size::Own;
        if (s.size != Size::None) ++p;
    }
    s.conv = unit(*p);
    return s.conv ? p + 1 : p;
}

// Whether the engine honours a conversion letter with the size it was given.
inline bool accepts(Kind kind, const Conversion& s) {
    const Size z = s.size;
    switch (kind) {
        case Kind::Invalid:
            return false;
        case Kind::Percent:
            return true;
        case Kind::Float:
            return z == Size::None || z == Size::Long || z == Size::LongDouble;
        case Kind::Char:
        case Kind::String:  // T names the format's own width, so only %Tc and %Ts
            return z == Size::None || z == Size::Short || z == Size::Long || z == Size::Wide ||
                   (z == Size::Own && (s.conv == 'c' || s.conv == 's'));
        default:
            return z != Size::Own;
    }
}

// Whether a string or character conversion takes a UTF-16 argument.
inline bool takesWide(const Conversion& s, bool wideFormat) {
    if (s.size == Size::Short) return false;
    if (s.size == Size::Long || s.size == Size::Wide) return true;
    const bool upper = s.conv == 'S' || s.conv == 'C';
    return upper != wideFormat;
}

}  // namespace quillpen::engine
