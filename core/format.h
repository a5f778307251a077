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
// The buffer functions write at most `count` units including the terminating NUL, and
// return the units written without the NUL, or -1 when the text was cut to fit (or
// count < 1, when nothing is written).
#pragma once

#include <cstdarg>
#include <cstdint>

#include "platform/platform.h"

namespace quillpen {

class Utf8Sink;

int formatNarrow(char* dst, int count, const char* format, ...);
int vformatNarrow(char* dst, int count, const char* format, va_list args);
int formatWide(WCHAR* dst, int count, const WCHAR* format, ...);

// Appends the text of a wide format to a UTF-8 text under composition (core/utf8_sink.h).
void formatUtf8(Utf8Sink& out, const WCHAR* format, ...);
void vformatUtf8(Utf8Sink& out, const WCHAR* format, va_list args);

// Arguments from a fixed list instead of a va_list, for tests and fuzzing.
class FormatArgs {
   public:
    virtual int32_t nextInt32() = 0;
    virtual int64_t nextInt64() = 0;
    virtual double nextDouble() = 0;
    virtual const void* nextPointer() = 0;

   protected:
    ~FormatArgs() = default;
};

int formatNarrowArgs(char* dst, int count, const char* format, FormatArgs& args);
int formatWideArgs(WCHAR* dst, int count, const WCHAR* format, FormatArgs& args);

}  // namespace quillpen
