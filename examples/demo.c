/* The demo host: opens a session in the directory given (default ./quillpen-demo-logs),
 * writes a few lines, closes it, then prints the log file's path and contents. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

#include "quillpen.h"

#if defined(_WIN32)
#define SEP "\\"
#else
#define SEP "/"
#endif

/* ASCII command-line text as UTF-16. */
static void widen(const char* text, qp_wchar* out, size_t room) {
    size_t i = 0;
    for (; text[i] && i + 1 < room; ++i) out[i] = (qp_wchar)(unsigned char)text[i];
    out[i] = 0;
}

int main(int argc, char** argv) {
    const char* dir = argc > 1 ? argv[1] : "quillpen-demo-logs";
    qp_wchar path[512];
    widen(dir, path, sizeof path / sizeof path[0]);

    if (!logInit(path, QP_TEXT("demo"), 8192, 0, 0, 5, 0)) {
        fprintf(stderr, "logInit failed\n");
        return 1;
    }
    _log(QP_TEXT("count=%d"), 5);
    _log(QP_TEXT("%s, %hs: %lf"), QP_TEXT("日本語 text"), "bytes", 1.5);
    logTerm();

    time_t now = time(NULL);
    struct tm* local = localtime(&now);
    char file[1024];
    snprintf(file, sizeof file, "%s" SEP "demo%04d%02d%02d.log", dir, local->tm_year + 1900,
             local->tm_mon + 1, local->tm_mday);
    printf("log file: %s\n", file);
    FILE* in = fopen(file, "rb");
    if (!in) {
        fprintf(stderr, "cannot read %s\n", file);
        return 1;
    }
    char chunk[4096];
    size_t n;
    while ((n = fread(chunk, 1, sizeof chunk, in)) > 0) fwrite(chunk, 1, n, stdout);
    fclose(in);
    return 0;
}
