// One printf engine for byte and UTF-16 output, written straight into the caller's buffer
// with no allocation and no locale, so every platform gives the same units.
#include "core/format.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstring>
#include <type_traits>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#endif

#include "core/digits.h"
#include "core/hot.h"
#include "text/utf.h"

namespace quillpen {
namespace {

// Widths and precisions are clamped to this: the output is cut at `count` anyway, and the
// clamp keeps "%999999999d" from spinning or overflowing an int.
constexpr int kMaxField = 100000;
// Float precision is clamped to this (more digits print as this many), so the digits of
// any double fit kFloatBuffer: at most 309 integer digits, the point, then the decimals.
constexpr int kMaxFloatPrecision = 100;
constexpr int kFloatBuffer = 309 + 1 + kMaxFloatPrecision + 8;

constexpr char kLowerHex[] = "0123456789abcdef";
constexpr char kUpperHex[] = "0123456789ABCDEF";

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
inline int unit(WCHAR c) { return static_cast<int>(c); }

// The destination: writes while there is room before the NUL, then only records the cut.
template <typename Ch>
class Out {
   public:
    Out(Ch* dst, int count) : dst_(dst), room_(count - 1) {}

    bool cut() const { return cut_; }
    int space() const { return room_ - len_; }

    template <typename T>
    void copy(const T* src, int n) {
        n = take(n);
        Ch* const out = dst_ + len_;  // a local pointer: the loop need not reload dst_, len_
        len_ += n;
        for (int i = 0; i < n; ++i) out[i] = static_cast<Ch>(src[i]);
    }
    void fill(int c, int n) {
        n = take(n);
        Ch* const out = dst_ + len_;
        len_ += n;
        for (int i = 0; i < n; ++i) out[i] = static_cast<Ch>(c);
    }
    // The units of one transcoded character go in whole or not at all, so a cut line
    // never ends in half a UTF-8 sequence or half a surrogate pair.
    template <typename T>
    bool putChar(const T* units, int n) {
        if (cut_ || n > space()) {
            cut_ = true;
            return false;
        }
        copy(units, n);
        return true;
    }
    // Copies `text` up to its terminator; a text longer than the room is cut. The text is
    // measured first, four units a step, and then copied whole.
    void copyString(const Ch* text) {
        const int bound = space() + 1;  // enough to know whether it is cut
        int n = 0;
        while (n + 4 <= bound) {
            if (!text[n]) break;
            if (!text[n + 1]) {
                n += 1;
                break;
            }
            if (!text[n + 2]) {
                n += 2;
                break;
            }
            if (!text[n + 3]) {
                n += 3;
                break;
            }
            n += 4;
        }
        if (n + 4 > bound)
            while (n < bound && text[n]) ++n;
        if (n > space()) {
            copy(text, n);  // cut
        } else {
            std::memcpy(dst_ + len_, text, static_cast<size_t>(n) * sizeof(Ch));
            len_ += n;
        }
    }
    // Copies the literal run at p up to the next '%' or the terminator, and returns where
    // it stopped; a run longer than the room is cut.
    const Ch* copyRun(const Ch* p) {
        int len = len_;
        for (; *p && unit(*p) != '%'; ++p) {
            if (len == room_) {
                cut_ = true;
                break;
            }
            dst_[len++] = *p;
        }
        len_ = len;
        return p;
    }
    int finish() {
        dst_[len_] = 0;
        return cut_ ? -1 : len_;
    }

   private:
    // The part of n units that fits (none for n < 1), recording the cut of the rest.
    int take(int n) {
        if (cut_) return 0;  // nothing after a cut, not even padding: the result stays a prefix
        if (n > space()) {
            cut_ = true;
            return space();
        }
        return std::max(n, 0);
    }

    Ch* dst_;
    int room_;
    int len_ = 0;
    bool cut_ = false;
};

// The sink of formatPlainUtf8: the units of a UTF-16 text written as UTF-8, each unit's
// bytes with one four-byte store, runs of ASCII with eight-byte stores (so room is kept
// for them). It gives up, as a cut, at a surrogate, whose pairing is left to the general
// path, or where the room runs out.
class Utf8Out {
   public:
    // Bytes the whole stores may reach past the length.
    static constexpr int kSlack = 8;

    Utf8Out(char* dst, int room) : at_{dst, room, 0, true} {}

    bool cut() const { return !at_.ok; }
    int length() const { return at_.len; }

    // A number's text or "(null)": ASCII bytes, at most 24.
    void copy(const char* src, int n) {
        Cursor at = at_;
        if (at.len > at.room - kSlack - n) {
            at.ok = false;
        } else {
            for (int i = 0; i < n; ++i) at.dst[at.len + i] = src[i];
            at.len += n;
        }
        at_ = at;
    }
    void copyString(const WCHAR* text) {
        Cursor at = at_;
        while (at.ok) {
            text += at.putAscii(text, false);
            if (!*text) break;
            at.put(static_cast<uint16_t>(*text++));
        }
        at_ = at;
    }
    // The literal run at p up to the next '%' or the terminator; returns where it stopped.
    const WCHAR* copyRun(const WCHAR* p) {
        Cursor at = at_;
        while (at.ok) {
            p += at.putAscii(p, true);
            if (!*p || *p == '%') break;
            at.put(static_cast<uint16_t>(*p++));
        }
        at_ = at;
        return p;
    }

   private:
    // The loops work on a local copy, which stores through char* cannot alias.
    struct Cursor {
        char* dst;
        int room;
        int len;
        bool ok;

        void put(uint32_t c) {
            if (len > room - kSlack) {
                ok = false;
            } else if (c < 0x80) {
                dst[len++] = static_cast<char>(c);
            } else if (c >= 0xD800 && c <= 0xDFFF) {
                ok = false;
            } else {
                int n;
                const uint32_t word = utf8Word(c, n);
                std::memcpy(dst + len, &word, 4);
                len += n;
            }
        }
        // The leading ASCII units at p that end nothing (neither 0 nor, when asked, '%'),
        // eight at a time; returns how many it put. A sixteen-byte load within one page
        // cannot fault, whatever lies past the text's terminator; AddressSanitizer would
        // still count the bytes read past it.
#if defined(__SSE2__) || defined(_M_X64)
#if defined(__GNUC__)
        __attribute__((no_sanitize_address))
#endif
        int
        putAscii(const WCHAR* p, bool stopAtPercent) {
            constexpr uintptr_t kPage = 4096;
            const __m128i zero = _mm_setzero_si128();
            const __m128i notAscii = _mm_set1_epi16(static_cast<short>(0xFF80));
            const __m128i percent = _mm_set1_epi16(stopAtPercent ? '%' : 0);
            int taken = 0;
            while (len + taken <= room - 2 * kSlack &&
                   (reinterpret_cast<uintptr_t>(p + taken) & (kPage - 1)) <= kPage - 16) {
                const __m128i eight = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + taken));
                const __m128i ascii = _mm_cmpeq_epi16(_mm_and_si128(eight, notAscii), zero);
                const __m128i ends =
                    _mm_or_si128(_mm_cmpeq_epi16(eight, zero), _mm_cmpeq_epi16(eight, percent));
                const unsigned go =
                    static_cast<unsigned>(_mm_movemask_epi8(_mm_andnot_si128(ends, ascii)));
                _mm_storel_epi64(reinterpret_cast<__m128i*>(dst + len + taken),
                                 _mm_packus_epi16(eight, eight));
                if (go != 0xFFFF) {
                    taken += __builtin_ctz(~go) / 2;
                    break;
                }
                taken += 8;
            }
            len += taken;
            return taken;
        }
#else
        int putAscii(const WCHAR*, bool) { return 0; }
#endif
    };
    Cursor at_;
};

template <typename Ch>
void padBefore(Out<Ch>& out, const Conversion& s, int len) {
    if (!s.left) out.fill(' ', s.width - len);
}
template <typename Ch>
void padAfter(Out<Ch>& out, const Conversion& s, int len) {
    if (s.left) out.fill(' ', s.width - len);
}

// [spaces][prefix][zeros][body][spaces]; with zeroPad the leading spaces become zeros.
template <typename Ch>
void putPadded(Out<Ch>& out, const Conversion& s, const char* prefix, int prefixLen, int zeros,
               const char* body, int bodyLen, bool zeroPad) {
    int pad = s.width - prefixLen - zeros - bodyLen;
    if (pad > 0 && zeroPad && !s.left) {
        zeros += pad;
        pad = 0;
    }
    if (!s.left) out.fill(' ', pad);
    out.copy(prefix, prefixLen);
    out.fill('0', zeros);
    out.copy(body, bodyLen);
    if (s.left) out.fill(' ', pad);
}

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

template <typename Ch, typename Args>
void putInteger(Out<Ch>& out, const Conversion& s, Args& args) {
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
    char* q = end;
    const int base = s.conv == 'o' ? 8 : (s.conv == 'x' || s.conv == 'X') ? 16 : 10;
    if (base == 10) {
        for (; v; v /= 10) *--q = static_cast<char>('0' + v % 10);
    } else {
        const char* set = s.conv == 'X' ? kUpperHex : kLowerHex;
        const int shift = base == 8 ? 3 : 4;
        for (; v; v >>= shift) *--q = set[v & static_cast<uint64_t>(base - 1)];
    }
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

template <typename Ch>
void putPointerValue(Out<Ch>& out, const Conversion& s, const void* p) {
    uint64_t v = reinterpret_cast<uintptr_t>(p);
    char hex[16];
    for (int i = 15; i >= 0; --i, v >>= 4) hex[i] = kUpperHex[v & 15];
    putPadded(out, s, nullptr, 0, 0, hex, 16, false);
}

int exponentOf(const char* first, const char* last) {
    const char* e = std::find(first, last, 'e');
    int x = 0;
    for (const char* d = e + 2; d < last; ++d) x = x * 10 + (*d - '0');
    return e[1] == '-' ? -x : x;
}

// The text of a finite, non-negative `v` for conversion f, e, g or a (no sign, no "0x").
int floatDigits(char* buf, double v, int conv, int precision, bool alt) {
    char* const end = buf + kFloatBuffer;
    const int prec = precision < 0 ? 6 : std::min(precision, kMaxFloatPrecision);
    std::to_chars_result r{};
    bool trim = false;
    if (conv == 'f') {
        r = std::to_chars(buf, end, v, std::chars_format::fixed, prec);
    } else if (conv == 'e') {
        r = std::to_chars(buf, end, v, std::chars_format::scientific, prec);
    } else if (conv == 'a') {
        r = precision < 0 ? std::to_chars(buf, end, v, std::chars_format::hex)
                          : std::to_chars(buf, end, v, std::chars_format::hex, prec);
    } else {  // g: the e-style exponent picks the form; trailing zeros go unless '#'
        const int p = prec == 0 ? 1 : prec;
        r = std::to_chars(buf, end, v, std::chars_format::scientific, p - 1);
        const int x = exponentOf(buf, r.ptr);
        if (x >= -4 && x < p) r = std::to_chars(buf, end, v, std::chars_format::fixed, p - 1 - x);
        trim = !alt;
    }
    if (r.ec != std::errc()) return 0;  // not reached: the clamp keeps every form in buf
    int n = static_cast<int>(r.ptr - buf);
    char* mark = std::find(buf, buf + n, conv == 'a' ? 'p' : 'e');  // where the exponent starts
    const bool hasPoint = std::find(buf, mark, '.') != mark;
    if (trim && hasPoint) {
        char* q = mark;
        while (q[-1] == '0') --q;
        if (q[-1] == '.') --q;
        std::memmove(q, mark, static_cast<size_t>(buf + n - mark));
        n -= static_cast<int>(mark - q);
    } else if (alt && !hasPoint) {
        std::memmove(mark + 1, mark, static_cast<size_t>(buf + n - mark));
        *mark = '.';
        ++n;
    }
    return n;
}

template <typename Ch>
void putFloat(Out<Ch>& out, const Conversion& s, double v) {
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
    char buf[kFloatBuffer];
    int n = 3;
    if (finite)
        n = floatDigits(buf, std::fabs(v), conv, s.precision, s.alt);
    else
        std::memcpy(buf, std::isnan(v) ? "nan" : "inf", 3);
    if (s.conv != conv)
        for (int i = 0; i < n; ++i)
            if (buf[i] >= 'a' && buf[i] <= 'z') buf[i] = static_cast<char>(buf[i] - 0x20);
    putPadded(out, s, prefix, prefixLen, 0, buf, n, s.zero && finite);
}

// Calls emit(bytes, n) for each character of `text` as UTF-8, stopping at the terminator,
// before a character that would take the total past maxBytes, or when emit returns false.
// Lone surrogates are dropped, as utf16ToUtf8 does. Returns the bytes emitted.
template <typename Emit>
int eachUtf8Char(const WCHAR* text, int maxBytes, Emit emit) {
    int total = 0;
    for (int i = 0; text[i];) {
        uint32_t c = static_cast<uint16_t>(text[i++]);
        if (c >= 0xD800 && c <= 0xDFFF) {
            const uint32_t low = static_cast<uint16_t>(text[i]);  // the terminator at worst
            if (c > 0xDBFF || low < 0xDC00 || low > 0xDFFF) continue;
            c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
            ++i;
        }
        char bytes[4];
        const int n = utf32ToUtf8(c, bytes);
        if (n > maxBytes - total || !emit(bytes, n)) break;
        total += n;
    }
    return total;
}

// Decodes the UTF-8 character at `s` into 1 or 2 UTF-16 units and returns the bytes used.
// A byte that starts no valid character becomes the unit of its value; a valid character
// longer than `avail` bytes returns 0 (precision never splits a character).
int decodeUtf8(const unsigned char* s, int avail, uint16_t* units, int& unitCount) {
    const unsigned lead = s[0];
    unitCount = 1;
    units[0] = static_cast<uint16_t>(lead);
    int need = 0;
    uint32_t c = 0;
    unsigned lo = 0x80, hi = 0xBF;  // the range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        need = 2;
        c = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        need = 3;
        c = lead & 0x0F;
        if (lead == 0xE0) lo = 0xA0;  // overlong
        if (lead == 0xED) hi = 0x9F;  // surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        need = 4;
        c = lead & 0x07;
        if (lead == 0xF0) lo = 0x90;  // overlong
        if (lead == 0xF4) hi = 0x8F;  // above U+10FFFF
    }
    for (int k = 1; k < need; ++k) {
        if (k >= avail) return 0;
        if (s[k] < lo || s[k] > hi) return 1;  // the terminator fails here too
        c = (c << 6) | (s[k] & 0x3F);
        lo = 0x80;
        hi = 0xBF;
    }
    if (need == 0) return 1;
    if (c < 0x10000) {
        units[0] = static_cast<uint16_t>(c);
    } else {
        units[0] = static_cast<uint16_t>(0xD800 + ((c - 0x10000) >> 10));
        units[1] = static_cast<uint16_t>(0xDC00 + (c & 0x3FF));
        unitCount = 2;
    }
    return need;
}

// Calls emit(units, n) for each character of the UTF-8 `text`, taking at most maxBytes
// bytes, until the terminator or emit returns false. Returns the units emitted.
template <typename Emit>
int eachUtf16Char(const char* text, int maxBytes, Emit emit) {
    const auto* s = reinterpret_cast<const unsigned char*>(text);
    int total = 0;
    for (int i = 0; i < maxBytes && s[i];) {
        uint16_t units[2];
        int n = 1;
        const int used = decodeUtf8(s + i, maxBytes - i, units, n);
        if (used == 0 || !emit(units, n)) break;
        i += used;
        total += n;
    }
    return total;
}

template <typename Ch>
void putString(Out<Ch>& out, const Conversion& s, bool wideArg, const void* arg) {
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
    // The same unit type: no need to look past what could fit or pad.
    const auto* text = static_cast<const Ch*>(arg);
    const int bound = std::min(limit, std::max(s.width, out.space() + 1));
    int n = 0;
    while (n < bound && text[n]) ++n;
    padBefore(out, s, n);
    out.copy(text, n);
    padAfter(out, s, n);
}

template <typename Ch>
void putCharacter(Out<Ch>& out, const Conversion& s, bool wideArg, int32_t v) {
    Ch units[4];
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

// Whether a string or character conversion takes a UTF-16 argument.
bool takesWide(const Conversion& s, bool wideFormat) {
    if (s.size == Size::Short) return false;
    if (s.size == Size::Long || s.size == Size::Wide) return true;
    const bool upper = s.conv == 'S' || s.conv == 'C';
    return upper != wideFormat;
}

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
constexpr KindTable kKinds;

bool accepts(Kind kind, const Conversion& s) {
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

// Performs one parsed conversion; false when the conversion is not one this engine honours,
// in which case no argument has been read.
template <typename Ch, typename Args>
bool convert(Out<Ch>& out, Conversion& s, Args& args) {
    const Kind kind = s.conv < 0x80 ? kKinds.of[s.conv] : Kind::Invalid;
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
            putCharacter(out, s, takesWide(s, wideFormat), args.nextInt32());
            break;
        default:
            putString(out, s, takesWide(s, wideFormat), args.nextPointer());
            break;
    }
    return true;
}

// Parses and performs the conversion at p (its '%'); one the engine does not honour is
// copied as it stands. Returns the position after it. Kept out of line, so that the loop
// over a format with plain conversions only stays small.
template <typename Ch, typename Args>
QP_NOINLINE const Ch* formatConversion(Out<Ch>& out, const Ch* p, Args& args) {
    Conversion conversion;
    const Ch* next = parseConversion(p + 1, conversion);
    if (!convert(out, conversion, args)) out.copy(p, static_cast<int>(next - p));
    return next;
}

// The conversions of nearly every message, table row and dump cell, printed as convert
// would print them but without the general parse: "%s" and, with an optional '0' flag, an
// optional one-digit width and an optional 'l', "d", "i", "u", "x" and "X". Returns the
// position after the conversion, or nullptr, having read no argument, for any other.
template <typename Ch, typename Sink, typename Args>
const Ch* convertPlain(Sink& out, const Ch* p, Args& args) {
    if (unit(*p) == 's') {  // the format's own unit type, as in convert
        const auto* text = static_cast<const Ch*>(args.nextPointer());
        if (!text) {
            out.copy("(null)", 6);
        } else {
            out.copyString(text);
        }
        return p + 1;
    }
    const bool zero = unit(*p) == '0';
    if (zero) ++p;
    int width = 0;
    if (unit(*p) >= '1' && unit(*p) <= '9') width = unit(*p++) - '0';
    if (unit(*p) == 'l' && unit(p[1]) != 'l') ++p;  // %ld is 32-bit like %d
    const int conv = unit(*p);
    const bool isSigned = conv == 'd' || conv == 'i';
    if (!isSigned && conv != 'u' && conv != 'x' && conv != 'X') return nullptr;

    const uint32_t raw = static_cast<uint32_t>(args.nextInt32());
    const bool negative = isSigned && static_cast<int32_t>(raw) < 0;
    uint32_t v = negative ? 0u - raw : raw;
    char text[24];  // at most nine pad characters, a sign and ten digits
    char* const end = text + sizeof text;
    char* q = end;
    if (conv == 'x' || conv == 'X') {
        const char* set = conv == 'X' ? kUpperHex : kLowerHex;
        do {
            *--q = set[v & 15];
            v >>= 4;
        } while (v);
    } else {
        for (; v >= 100; v /= 100) {
            q -= 2;
            std::memcpy(q, kDigitPairs + 2 * (v % 100), 2);
        }
        if (v >= 10) {
            q -= 2;
            std::memcpy(q, kDigitPairs + 2 * v, 2);
        } else {
            *--q = static_cast<char>('0' + v);
        }
    }
    const int pad = width - static_cast<int>(end - q) - (negative ? 1 : 0);
    if (zero)
        for (int k = 0; k < pad; ++k) *--q = '0';
    if (negative) *--q = '-';
    if (!zero)
        for (int k = 0; k < pad; ++k) *--q = ' ';
    out.copy(q, static_cast<int>(end - q));
    return p + 1;
}

// Args is the caller's concrete source: for a va_list the calls that read the caller's
// arguments are direct (and inlined) rather than virtual.
template <typename Ch, typename Args>
QP_HOT int formatAny(Ch* dst, int count, const Ch* format, Args& args) {
    if (!dst || count < 1) return -1;
    if (!format) {
        dst[0] = 0;
        return -1;
    }
    Out<Ch> out(dst, count);
    const Ch* p = format;
    while (*p && !out.cut()) {
        p = out.copyRun(p);
        if (!*p || out.cut()) break;
        if (const Ch* after = convertPlain(out, p + 1, args)) {
            p = after;
            continue;
        }
        p = formatConversion(out, p, args);
    }
    return out.finish();
}

// The arguments of a va_list read in place. A variadic formatter reads its own list
// through it: a va_copy right after va_start would wait on the stores va_start just made.
class ListArgs final {
   public:
    explicit ListArgs(va_list& list) : list_(list) {}
    int32_t nextInt32() { return va_arg(list_, int32_t); }
    int64_t nextInt64() { return va_arg(list_, int64_t); }
    double nextDouble() { return va_arg(list_, double); }
    const void* nextPointer() { return va_arg(list_, const void*); }

   private:
    va_list& list_;
};

}  // namespace

int formatNarrowArgs(char* dst, int count, const char* format, FormatArgs& args) {
    return formatAny(dst, count, format, args);
}

int formatWideArgs(WCHAR* dst, int count, const WCHAR* format, FormatArgs& args) {
    return formatAny(dst, count, format, args);
}

int formatNarrow(char* dst, int count, const char* format, ...) {
    va_list list;
    va_start(list, format);
    ListArgs args(list);
    const int result = formatAny(dst, count, format, args);
    va_end(list);
    return result;
}

int formatWide(WCHAR* dst, int count, const WCHAR* format, ...) {
    va_list list;
    va_start(list, format);
    ListArgs args(list);
    const int result = formatAny(dst, count, format, args);
    va_end(list);
    return result;
}

QP_HOT int formatPlainUtf8(char* dst, int room, const WCHAR* format, va_list list, int& touched) {
    va_list copy;
    va_copy(copy, list);
    ListArgs args(copy);
    Utf8Out out(dst, room);
    const WCHAR* p = format;
    while (*p && !out.cut()) {
        p = out.copyRun(p);
        if (!*p || out.cut()) break;
        p = convertPlain(out, p + 1, args);
        if (!p) break;
    }
    va_end(copy);
    touched = std::min(out.length() + Utf8Out::kSlack, room);
    return p && !out.cut() ? out.length() : -1;
}

QP_HOT int vformatWide(WCHAR* dst, int count, const WCHAR* format, va_list list) {
    va_list copy;
    va_copy(copy, list);
    ListArgs args(copy);
    const int result = formatAny(dst, count, format, args);
    va_end(copy);
    return result;
}

}  // namespace quillpen
