"""quillpen for Python: ctypes bindings of the 21 functions of quillpen.

    from quillpen import Quillpen, int32, int64, double, wide

    qp = Quillpen()                    # the library named by QUILLPEN_LIBRARY, or found
    qp.logInit("logs", "app", stampMode=8192)
    qp._log("started")                                  # a format alone
    qp._log("count=%d of %lld", int32(5), int64(12))    # typed arguments
    qp._log("%s and %hs", wide("日本語"), b"bytes")      # %s: UTF-16, %hs: bytes
    qp.logTerm()                       # logs/app20261205.log

The library is loaded from the path given to Quillpen(), else from the environment variable
QUILLPEN_LIBRARY, else by the system's search for quillpen.dll (Windows) or libquillpen.so.

Text arguments are str, passed as NUL-terminated UTF-16; None passes a null pointer, which
the library refuses and reports. Integers are range-checked against their C types.

The formatted functions (_log, log_debug ... log_critical) are variadic, and ctypes cannot
know what a format expects: pass the format alone (write %% for a percent sign), or the
format with arguments whose C type is explicit:
    %d %ld %x   int32(n) or uint32(n)     %lld   int64(n) or uint64(n)
    %lf %f      double(x)                 %hs    bytes, NUL-terminated by ctypes
    %s          wide(text): a UTF-16 buffer, not a str (a str would go as wchar_t, which
                is 32-bit on Linux)
A bare int, float or str argument raises TypeError instead of being guessed.

Limits and the reports of refused arguments are described in include/quillpen.h.
"""
import ctypes
import ctypes.util
import os
import sys

int32 = ctypes.c_int32
uint32 = ctypes.c_uint32
int64 = ctypes.c_int64
uint64 = ctypes.c_uint64
double = ctypes.c_double

_TYPED = (int32, uint32, int64, uint64, double)
_WIDE_IS_UTF16 = ctypes.sizeof(ctypes.c_wchar) == 2  # Windows


def wide(text):
    """A NUL-terminated UTF-16 copy of `text` (None stays a null pointer)."""
    if text is None:
        return None
    if not isinstance(text, str):
        raise TypeError(f"text must be str, not {type(text).__name__}")
    if _WIDE_IS_UTF16:
        return ctypes.create_unicode_buffer(text)
    # surrogatepass: a lone surrogate reaches the library, which drops it.
    units = text.encode("utf-16-le", "surrogatepass") + b"\0\0"
    return (ctypes.c_uint16 * (len(units) // 2)).from_buffer_copy(units)


def _integer(value, bits, signed, name):
    if isinstance(value, bool) or not isinstance(value, int):
        raise TypeError(f"{name} must be int, not {type(value).__name__}")
    low, high = (-(1 << (bits - 1)), (1 << (bits - 1)) - 1) if signed else (0, (1 << bits) - 1)
    if not low <= value <= high:
        raise OverflowError(f"{name}={value} is outside {low}..{high}")
    return value


def _variadic_arg(value):
    if isinstance(value, (_TYPED, ctypes.Array, bytes)):
        return value
    if value is None:
        return ctypes.c_void_p(None)
    raise TypeError(
        f"format argument {value!r}: give its C type: int32(), int64(), double(), "
        "wide() for %s or bytes for %hs")


_WIDE = ctypes.c_void_p  # a UTF-16 buffer from wide(), or None
_I32, _U32, _U16, _U8 = ctypes.c_int32, ctypes.c_uint32, ctypes.c_uint16, ctypes.c_uint8

# name: (result, fixed argument types); the variadic ones declare their format only.
_SIGNATURES = {
    "logInit": (_I32, [_WIDE, _WIDE, _I32, _I32, _I32, _I32, _I32]),
    "logTerm": (None, []),
    "_log": (None, [_WIDE]),
    "log_debug": (None, [_WIDE]),
    "log_info": (None, [_WIDE]),
    "log_warning": (None, [_WIDE]),
    "log_error": (None, [_WIDE]),
    "log_critical": (None, [_WIDE]),
    "w32_err_log": (None, [_WIDE, _I32]),
    "GetLastErr": (_U32, []),
    "w32_reset_errCode": (None, []),
    "logPut": (None, [_WIDE, _I32, _U8, _I32]),
    "logPutHex": (None, [_WIDE, _I32, _U8, _I32]),
    "logDumpUTF8": (None, [_WIDE, ctypes.c_ssize_t, _WIDE]),
    "makeBitStringUSHORT16": (None, [_U16, _WIDE]),
    "makeBitStringUINT32": (None, [_U32, _WIDE]),
    "makeBitStringUnicodeScalarValue": (None, [_U32, _WIDE]),
    "msgBox": (None, [_WIDE, _WIDE]),
    "msgBoxOkCancel": (_I32, [_WIDE, _WIDE]),
    "profileTimeStart": (None, [_WIDE]),
    "profileTimeStop": (None, []),
}


def _default_library():
    name = "quillpen.dll" if sys.platform == "win32" else "libquillpen.so"
    return os.environ.get("QUILLPEN_LIBRARY") or ctypes.util.find_library("quillpen") or name


class Quillpen:
    """The library's 21 functions, under their exported names."""

    def __init__(self, library=None):
        self.library = library or _default_library()
        self._lib = ctypes.CDLL(self.library)
        self._fn = {}
        for name, (result, arguments) in _SIGNATURES.items():
            function = getattr(self._lib, name)
            function.restype = result
            function.argtypes = arguments
            self._fn[name] = function

    # Session.
    def logInit(self, path, prefix, stampMode=8192, newlineMode=0, logSleep=0, logLevel=5,
                bom=0):
        """Opens the session; 1 when it runs, 0 after a message box that says why."""
        switches = [_integer(v, 32, True, n) for v, n in (
            (stampMode, "stampMode"), (newlineMode, "newlineMode"), (logSleep, "logSleep"),
            (logLevel, "logLevel"), (bom, "bom"))]
        return self._fn["logInit"](wide(path), wide(prefix), *switches)

    def logTerm(self):
        self._fn["logTerm"]()

    # Time-stamped lines.
    def _formatted(self, name, format, args):
        # The buffers must outlive the call: keep them in locals until it returns.
        text = wide(format)
        converted = [_variadic_arg(a) for a in args]
        self._fn[name](text, *converted)

    def _log(self, format, *args):
        self._formatted("_log", format, args)

    def log_debug(self, format, *args):
        self._formatted("log_debug", format, args)

    def log_info(self, format, *args):
        self._formatted("log_info", format, args)

    def log_warning(self, format, *args):
        self._formatted("log_warning", format, args)

    def log_error(self, format, *args):
        self._formatted("log_error", format, args)

    def log_critical(self, format, *args):
        self._formatted("log_critical", format, args)

    # Win32 last-error code of the calling thread.
    def w32_err_log(self, file_fnc, line):
        self._fn["w32_err_log"](wide(file_fnc), _integer(line, 32, True, "line"))

    def GetLastErr(self):
        return self._fn["GetLastErr"]()

    def w32_reset_errCode(self):
        self._fn["w32_reset_errCode"]()

    # Dumps.
    def logPut(self, data, cnt, withMarkers, newLineCnt):
        self._dump("logPut", data, cnt, withMarkers, newLineCnt)

    def logPutHex(self, data, cnt, withMarkers, newLineCnt):
        self._dump("logPutHex", data, cnt, withMarkers, newLineCnt)

    def _dump(self, name, data, cnt, withMarkers, newLineCnt):
        markers = int(withMarkers) if isinstance(withMarkers, bool) else withMarkers
        self._fn[name](wide(data), _integer(cnt, 32, True, "cnt"),
                       _integer(markers, 8, False, "withMarkers"),
                       _integer(newLineCnt, 32, True, "newLineCnt"))

    def logDumpUTF8(self, data, n, prefix):
        """The decode table; n is passed on and never read by the library."""
        bits = 8 * ctypes.sizeof(ctypes.c_ssize_t)
        self._fn["logDumpUTF8"](wide(data), _integer(n, bits, True, "n"), wide(prefix))

    # Bit tables.
    def makeBitStringUSHORT16(self, value, prefix):
        self._fn["makeBitStringUSHORT16"](_integer(value, 16, False, "value"), wide(prefix))

    def makeBitStringUINT32(self, value, prefix):
        self._fn["makeBitStringUINT32"](_integer(value, 32, False, "value"), wide(prefix))

    def makeBitStringUnicodeScalarValue(self, scalar, prefix):
        self._fn["makeBitStringUnicodeScalarValue"](_integer(scalar, 32, False, "scalar"),
                                                    wide(prefix))

    # Message boxes.
    def msgBox(self, msg, ttl):
        self._fn["msgBox"](wide(msg), wide(ttl))

    def msgBoxOkCancel(self, msg, ttl):
        """1 for OK, 2 for Cancel, 0 when a text was refused or the box failed."""
        return self._fn["msgBoxOkCancel"](wide(msg), wide(ttl))

    # Stopwatch.
    def profileTimeStart(self, prefix):
        self._fn["profileTimeStart"](wide(prefix))

    def profileTimeStop(self):
        self._fn["profileTimeStop"]()
