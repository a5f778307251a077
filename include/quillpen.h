/* quillpen: a dated UTF-8 log file for any host that can call a DLL.
 *
 * Every function takes integers and NUL-terminated UTF-16 strings only. Wide text is
 * wchar_t on Windows and char16_t elsewhere; QP_TEXT("...") spells a literal of it.
 * One session per process: logInit opens it, logTerm closes it. Writers called without
 * an open session, or with LOG_SLEEP on, write nothing and report nothing.
 *
 * This header is the function reference; docs/api.md sums it up in a table and
 * docs/log-format.md shows every line and block the file can hold.
 *
 * Limits count UTF-16 units without the terminator; a text at its limit passes. A refused
 * argument (too long, or a null text) stops the call. It is reported in a message box
 * while no log file is open, otherwise as an ERROR [SYSLOG] line naming the function and
 * argument, e.g. "func={_log() format} buf size over max=8190  user data size=8192".
 * [SYSLOG] lines are written only while logLevel is 0 or more. On Linux a message box is
 * one line "<title>: <text>" on standard error, answered OK at once.
 *
 * Calls may come from any thread: one process-wide lock keeps each call's lines whole.
 * A message box is shown after the lock is released, so it never holds up other calls.
 */
#ifndef QUILLPEN_H
#define QUILLPEN_H

#ifdef __cplusplus
#include <cstdint>
#else
#include <stdint.h>
#endif

#if defined(_WIN32)
typedef wchar_t qp_wchar;
#define QP_TEXT(s) L##s
#if defined(QUILLPEN_BUILD)
#define QP_API
#else
#define QP_API __declspec(dllimport)
#endif
#else
#ifndef __cplusplus
#include <uchar.h>
#endif
typedef char16_t qp_wchar;
#define QP_TEXT(s) u##s
#if defined(QUILLPEN_BUILD)
#define QP_API __attribute__((visibility("default")))
#else
#define QP_API
#endif
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Opens the session: creates `path` (its last component only) and opens or appends to
 * path\prefixYYYYMMDD.log, named after the local date. path: 1 to 512 units; prefix: at
 * most 255 units; the whole file name: at most 519 units.
 * stampMode: the line stamp layout (0, 1, 2..9, 16, 32, 64, 128, 256, 512, 1024, 2048,
 * 4096, 8192, 16384, 32768; any other writes no lines). newlineMode: 0 CR LF, 1 LF, 2 CR
 * for time-stamped lines (1 and 2 give dumps and tables the other one).
 * logSleep: non-zero silences every writer (1 also writes a notice). logLevel: the level
 * threshold (negative also silences the library's own [SYSLOG] lines). bom: 1 puts a
 * UTF-8 byte-order mark at the start of a new file.
 * Returns 1 when the session runs, 0 after showing a message box that says why: a session
 * already runs, a text is refused, the directory cannot be made, or the file of the day
 * cannot be opened (another session holds it). */
QP_API int32_t logInit(const qp_wchar* path, const qp_wchar* prefix, int32_t stampMode,
                       int32_t newlineMode, int32_t logSleep, int32_t logLevel, int32_t bom);

/* Writes the end line (not with LOG_SLEEP on), closes the file and frees the session; a
 * new logInit may follow. */
QP_API void logTerm(void);

/* One time-stamped line whatever logLevel is. format: printf-style, at most 4095 units;
 * %s takes a UTF-16 string, %hs a byte string, %d/%ld 32-bit, %lld 64-bit, %lf a double;
 * %n is never honoured. A refused format is reported as an ERROR [SYSLOG] line, and a
 * message or stamped line over 4223 units, or a line over 8190 UTF-8 bytes, as a CRETICAL
 * one, instead of the line. */
QP_API void _log(const qp_wchar* format, ...);

/* The same line as _log, written only when logLevel is at least 5, 4, 3, 2 or 1; a call
 * filtered out by its level does not even measure its format. */
QP_API void log_debug(const qp_wchar* format, ...);
QP_API void log_info(const qp_wchar* format, ...);
QP_API void log_warning(const qp_wchar* format, ...);
QP_API void log_error(const qp_wchar* format, ...);
QP_API void log_critical(const qp_wchar* format, ...);

/* A line "<file_fnc> line=<line> Win32 ErrCode=<code> :<system text>" for the calling
 * thread's last-error code as it was on entry, which it leaves unchanged. The code prints
 * signed; the system text loses its closing CR LF. file_fnc: at most 260 units. */
QP_API void w32_err_log(const qp_wchar* file_fnc, int32_t line);
/* The calling thread's last-error code; needs no session. */
QP_API uint32_t GetLastErr(void);
/* Sets the calling thread's last-error code to 0; needs no session. */
QP_API void w32_reset_errCode(void);

/* The text's UTF-8 bytes as raw lines of newLineCnt (10 to 80) bytes that never split a
 * character, framed by start and end lines (withMarkers non-zero) or bare terminators.
 * cnt is printed in the start line; above 8190 the call is refused. A newLineCnt outside
 * 10 to 80, or a text whose UTF-8 form exceeds 9215 bytes, is refused with an ERROR
 * [SYSLOG] line and nothing of the block is written. */
QP_API void logPut(const qp_wchar* data, int32_t cnt, uint8_t withMarkers, int32_t newLineCnt);
/* The same text as lines of newLineCnt lowercase hex pairs, with the same limits. */
QP_API void logPutHex(const qp_wchar* data, int32_t cnt, uint8_t withMarkers, int32_t newLineCnt);
/* A decode table of the text's UTF-8 bytes, sixteen to a row, with the characters beside
 * them. data: at most 4095 units; prefix: at most 255 units; n is not read. A UTF-8 form
 * over 8438 bytes gets an ERROR [SYSLOG] line instead, and each control character one
 * before the table. In stamp mode 1 an INFO line with the seconds taken follows. */
QP_API void logDumpUTF8(const qp_wchar* data, intptr_t n, const qp_wchar* prefix);

/* Boxed tables of a value's bytes in memory order, in hex and in bits, under a label of at
 * most 255 units, written whatever logLevel is. */
QP_API void makeBitStringUSHORT16(uint16_t value, const qp_wchar* prefix);
QP_API void makeBitStringUINT32(uint32_t value, const qp_wchar* prefix);
/* A Unicode scalar (0 to 0x10FFFF) beside its UTF-8 encoding; a larger value gets an ERROR
 * [SYSLOG] line instead of a table. */
QP_API void makeBitStringUnicodeScalarValue(uint32_t scalar, const qp_wchar* prefix);

/* Message boxes with or without a session; msg and ttl at most 255 units each.
 * msgBoxOkCancel returns 1 (OK), 2 (Cancel), or 0 when a text was refused or the box failed. */
QP_API void msgBox(const qp_wchar* msg, const qp_wchar* ttl);
QP_API int32_t msgBoxOkCancel(const qp_wchar* msg, const qp_wchar* ttl);

/* A process-wide stopwatch: start with a label of at most 128 units (a label of 128 keeps
 * its first 127; a longer one gets an INFO [SYSLOG] line, an empty label and the earlier
 * start); each stop writes an INFO [SYSLOG] line with the seconds since the start (whole
 * milliseconds). The stopwatch outlives sessions; a stop with no start counts from 1970. */
QP_API void profileTimeStart(const qp_wchar* prefix);
QP_API void profileTimeStop(void);

#ifdef __cplusplus
}
#endif

#endif /* QUILLPEN_H */
