/* quillpen: a dated UTF-8 log file for any host that can call a DLL.
 *
 * Every function takes integers and NUL-terminated UTF-16 strings only. Wide text is
 * wchar_t on Windows and char16_t elsewhere; QP_TEXT("...") spells a literal of it.
 * One session per process: logInit opens it, logTerm closes it. Writers called without
 * an open session, or with LOG_SLEEP on, write nothing and report nothing.
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
 * path\prefixYYYYMMDD.log. path: at most 512 units; prefix: at most 255 units.
 * stampMode: the line stamp layout (0, 1, 2..9, 16, 32, 64, 128, 256, 512, 1024, 2048,
 * 4096, 8192, 16384, 32768; any other writes no lines). newlineMode: 0 CR LF, 1 LF, 2 CR.
 * logSleep: non-zero silences every writer (1 also writes a notice). logLevel: the level
 * threshold (negative also silences the library's own [SYSLOG] lines). bom: 1 puts a
 * UTF-8 byte-order mark at the start of a new file.
 * Returns 1 when the session runs, 0 after showing a message box that says why. */
QP_API int32_t logInit(const qp_wchar* path, const qp_wchar* prefix, int32_t stampMode,
                       int32_t newlineMode, int32_t logSleep, int32_t logLevel, int32_t bom);

/* Writes the end line, closes the file and frees the session; a new logInit may follow. */
QP_API void logTerm(void);

/* One time-stamped line whatever logLevel is. format: printf-style, at most 4095 units;
 * %s takes a UTF-16 string, %hs a byte string, %d/%ld 32-bit, %lld 64-bit, %lf a double.
 * A refused format or a line over 8190 UTF-8 bytes is reported as a [SYSLOG] line. */
QP_API void _log(const qp_wchar* format, ...);

#ifdef __cplusplus
}
#endif

#endif /* QUILLPEN_H */
