#include "core/format_float.h"

#include <algorithm>
#include <charconv>
#include <cstring>

namespace quillpen {
namespace {
int exponentOf(const char* first, const char* last) {
    const char* e = std::find(first, last, 'e');
    int x = 0;
    for (const char* d = e + 2; d < last; ++d) x = x * 10 + (*d - '0');
    return e[1] == '-' ? -x : x;
}
}  // namespace

int floatText(char* buf, double v, int conv, int precision, bool alt) {
    char* const end = buf + kFloatTextBytes;
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

}  // namespace quillpen
