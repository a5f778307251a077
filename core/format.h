// The library's printf engine: the same format gives the same bytes on every platform.
//
// Conventions are the Windows runtime's: in a wide format %s is a UTF-16 string and %c a
// UTF-16 unit, %hs / %S a byte string (%ls / %ws / %S in a byte format: a UTF-16 string,
// written as UTF-8); %Ts a string of the format's own width. %d %i %u %x %X %o and the
// l size are 32-bit, ll / I64 are 64-bit, I / z / t pointer-sized. %f %F %e %E %g %G and
// %lf take doubles. %p prints 16 uppercase hex digits. Flags "-+ #0", width, precision
// and * are supported. A null string prints "(null)". %n is never honoured: like any
// unknown conversion it is copied to the output as it stands and consumes no argument.
//
// Every function writes at most `count` units including the terminating NUL, and returns
// the units written without the NUL, or -1 when the text was cut to fit (or count < 1,
// when nothing is written).
#pragma once

#include <cstdarg>
#include <cstdint>

#include "platform/platform.h"

namespace quillpen {

// Where conversions take their arguments from: the caller's va_list, or (for tests and
// fuzzing) a fixed list that yields zeros and nulls once exhausted.
class FormatArgs {
   public:
    virtual int32_t nextInt32() = 0;
    virtual int64_t nextInt64() = 0;
    virtual double nextDouble() = 0;
    virtual const void* nextPointer() = 0;

   protected:
    ~FormatArgs() = default;
};

class VaListArgs final : public FormatArgs {
   public:
    explicit VaListArgs(va_list args) { va_copy(args_, args); }
    ~VaListArgs() { va_end(args_); }
    VaListArgs(const VaListArgs&) = delete;
    VaListArgs& operator=(const VaListArgs&) = delete;

    int32_t nextInt32() override { return va_arg(args_, int32_t); }
    int64_t nextInt64() override { return va_arg(args_, int64_t); }
    double nextDouble() override { return va_arg(args_, double); }
    const void* nextPointer() override { return va_arg(args_, const void*); }

   private:
    va_list args_;
};

int formatNarrowArgs(char* dst, int count, const char* format, FormatArgs& args);
int formatWideArgs(WCHAR* dst, int count, const WCHAR* format, FormatArgs& args);

int formatNarrow(char* dst, int count, const char* format, ...);
int formatWide(WCHAR* dst, int count, const WCHAR* format, ...);
int vformatWide(WCHAR* dst, int count, const WCHAR* format, va_list args);

// A wide format of plain conversions only ("%s", and "%d" "%i" "%u" "%x" "%X" with an
// optional '0' flag, one-digit width and 'l') written straight as UTF-8: the bytes
// vformatWide then utf16ToUtf8 give. -1 for any other format or argument text holding a
// surrogate, or for a text of more than room - 8 bytes; `args` is left as it was. Writes
// no NUL and nothing past the first `touched` bytes (at most `room`), which a caller with
// a zero-filled buffer clears, success or not.
int formatPlainUtf8(char* dst, int room, const WCHAR* format, va_list args, int& touched);

}  // namespace quillpen
