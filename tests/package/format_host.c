/* Writes the log files the demo host does not, for the log format check:
 *   DIR/newlines: one file per newline mode (prefix "nl<mode>"): a line "x" and a text
 *                 dump "ab" without markers;
 *   DIR/sleep:    a LOG_SLEEP session with a byte-order mark: the mark and the notice only;
 *   DIR/refused:  the report of a format of 4096 units (prefix "refused"), stamp mode 0;
 *   DIR/stamps:   one file per stamp mode (prefix "m<mode>"), each holding a line "x".
 * DIR must exist. Usage: format_host DIR */
#include <stdio.h>

#include "quillpen.h"

#if defined(_WIN32)
#define SEP "\\"
#else
#define SEP "/"
#endif

/* ASCII text as UTF-16. */
static void widen(const char* text, qp_wchar* out, size_t room) {
    size_t i = 0;
    for (; text[i] && i + 1 < room; ++i) out[i] = (qp_wchar)(unsigned char)text[i];
    out[i] = 0;
}

static int openSession(const char* dir, const char* sub, const char* prefix, int32_t stampMode,
                       int32_t newlineMode, int32_t logSleep, int32_t bom) {
    char path[600];
    qp_wchar wpath[600], wprefix[64];
    snprintf(path, sizeof path, "%s" SEP "%s", dir, sub);
    widen(path, wpath, sizeof wpath / sizeof wpath[0]);
    widen(prefix, wprefix, sizeof wprefix / sizeof wprefix[0]);
    if (logInit(wpath, wprefix, stampMode, newlineMode, logSleep, 5, bom)) return 1;
    fprintf(stderr, "logInit failed for %s %s\n", path, prefix);
    return 0;
}

int main(int argc, char** argv) {
    /* 7 comes first: an unknown mode keeps the dump terminator of the process, which is
     * empty before any other session has set one. */
    static const int32_t newlineModes[] = {7, 0, 1, 2};
    static const int32_t stampModes[] = {0,    1,    2,    3,    4,     5,     6,   7,
                                         8,    9,    16,   32,   64,    128,   256, 512,
                                         1024, 2048, 4096, 8192, 16384, 32768, 10};
    if (argc != 2) {
        fprintf(stderr, "usage: format_host DIR\n");
        return 2;
    }
    const char* dir = argv[1];
    char prefix[32];

    for (size_t i = 0; i < sizeof newlineModes / sizeof newlineModes[0]; ++i) {
        snprintf(prefix, sizeof prefix, "nl%d", (int)newlineModes[i]);
        if (!openSession(dir, "newlines", prefix, 0, newlineModes[i], 0, 0)) return 1;
        _log(QP_TEXT("x"));
        logPut(QP_TEXT("ab"), 2, 0, 10);
        logTerm();
    }

    if (!openSession(dir, "sleep", "sleep", 8192, 0, 1, 1)) return 1;
    _log(QP_TEXT("not written while LOG_SLEEP is on"));
    logTerm();

    static qp_wchar overlong[4097];
    for (size_t i = 0; i < 4096; ++i) overlong[i] = 'x';
    if (!openSession(dir, "refused", "refused", 0, 0, 0, 0)) return 1;
    _log(overlong);
    logTerm();

    for (size_t i = 0; i < sizeof stampModes / sizeof stampModes[0]; ++i) {
        snprintf(prefix, sizeof prefix, "m%d", (int)stampModes[i]);
        if (!openSession(dir, "stamps", prefix, stampModes[i], 0, 0, 0)) return 1;
        _log(QP_TEXT("x"));
        logTerm();
    }
    return 0;
}
