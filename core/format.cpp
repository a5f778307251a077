// The printf engine's entry points: into a buffer of bytes or of UTF-16 units, or onto a
// UTF-8 text under composition; arguments from a va_list or, for tests, a FormatArgs.
#include "core/format.h"

#include <algorithm>
#include <cstdarg>

#include "core/format_engine.h"
#include "text/utf8_sink.h"

namespace quillpen {
namespace {

// A destination of `count` units: the text and its NUL, cut where the room runs out. The
// units of one transcoded character go in whole or not at all, so a cut text never ends
// in half a UTF-8 sequence or half a surrogate pair.
template <typename Ch>
class UnitSink {
   public:
    UnitSink(Ch* dst, int count) : dst_(dst), room_(count - 1) {}

    bool cut() const { return cut_; }
    int space() const { return room_ - len_; }

    template <typename T>
    void copy(const T* src, int n) {
        n = take(n);
        for (int i = 0; i < n; ++i) dst_[len_++] = static_cast<Ch>(src[i]);
    }
    void fill(int c, int n) {
        n = take(n);
        for (int i = 0; i < n; ++i) dst_[len_++] = static_cast<Ch>(c);
    }
    template <typename T>
    bool putChar(const T* units, int n) {
        if (cut_ || n > space()) {
            cut_ = true;
            return false;
        }
        for (int i = 0; i < n; ++i) dst_[len_++] = static_cast<Ch>(units[i]);
        return true;
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

// The arguments of a va_list, read in order.
class VaArgs {
   public:
    explicit VaArgs(va_list args) { va_copy(list_, args); }
    ~VaArgs() { va_end(list_); }
    VaArgs(const VaArgs&) = delete;
    VaArgs& operator=(const VaArgs&) = delete;

    int32_t nextInt32() { return va_arg(list_, int32_t); }
    int64_t nextInt64() { return va_arg(list_, int64_t); }
    double nextDouble() { return va_arg(list_, double); }
    const void* nextPointer() { return va_arg(list_, const void*); }

   private:
    va_list list_;
};

template <typename Ch, typename Args>
int formatUnits(Ch* dst, int count, const Ch* format, Args& args) {
    if (!dst || count < 1) return -1;
    if (!format) {
        dst[0] = 0;
        return -1;
    }
    UnitSink<Ch> out(dst, count);
    engine::formatTo(out, format, args);
    return out.finish();
}

template <typename Ch>
int vformatUnits(Ch* dst, int count, const Ch* format, va_list list) {
    VaArgs args(list);
    return formatUnits(dst, count, format, args);
}

}  // namespace

int formatNarrowArgs(char* dst, int count, const char* format, FormatArgs& args) {
    return formatUnits(dst, count, format, args);
}

int formatWideArgs(WCHAR* dst, int count, const WCHAR* format, FormatArgs& args) {
    return formatUnits(dst, count, format, args);
}

int vformatNarrow(char* dst, int count, const char* format, va_list args) {
    return vformatUnits(dst, count, format, args);
}

int formatNarrow(char* dst, int count, const char* format, ...) {
    va_list args;
    va_start(args, format);
    const int n = vformatUnits(dst, count, format, args);
    va_end(args);
    return n;
}

int formatWide(WCHAR* dst, int count, const WCHAR* format, ...) {
    va_list args;
    va_start(args, format);
    const int n = vformatUnits(dst, count, format, args);
    va_end(args);
    return n;
}

void vformatUtf8(Utf8Sink& out, const WCHAR* format, va_list list) {
    VaArgs args(list);
    engine::formatTo(out, format, args);
}

void formatUtf8(Utf8Sink& out, const WCHAR* format, ...) {
    va_list args;
    va_start(args, format);
    vformatUtf8(out, format, args);
    va_end(args);
}

}  // namespace quillpen
