/* The demo host: opens a session in the directory given (default ./quillpen-demo-logs),
 * writes a few lines, closes it, then prints the log file's path and contents. */
#include <stdio.h>
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

    profileTimeStart(QP_TEXT("demo lines"));
    log_debug(QP_TEXT("debug: written at logLevel 5"));
    log_info(QP_TEXT("info: %d of %hs"), 4, "five");
    log_warning(QP_TEXT("warning: %s"), QP_TEXT("日本語 text"));
    log_error(QP_TEXT("error: %lf"), 2.5);
    log_critical(QP_TEXT("critical: 100%%"));
    w32_reset_errCode();
    w32_err_log(QP_TEXT("demo.c main"), __LINE__);
    printf("last error: %u\n", (unsigned)GetLastErr());

    logPut(QP_TEXT("abcdefghijklmnopqrstuvwxyz"), 26, 1, 10);
    logPutHex(QP_TEXT("abcdefghi日本"), 15, 1, 10);
    logDumpUTF8(QP_TEXT("ABCDEFG日éZ A\tB 😀"), 0, QP_TEXT("demo"));

    makeBitStringUSHORT16(0x1234, QP_TEXT("UTF-16 unit"));
    makeBitStringUINT32(0x12345678u, QP_TEXT("UINT32"));
    makeBitStringUnicodeScalarValue(0x3042, QP_TEXT("あ"));
    makeBitStringUnicodeScalarValue(0x1F600, QP_TEXT("😀"));
    makeBitStringUnicodeScalarValue(0x110000, QP_TEXT("out of range"));

    /* On Windows each box waits for the user; on Linux it is a line on standard error. */
    int answer = msgBoxOkCancel(QP_TEXT("Continue the demo?"), QP_TEXT("quillpen demo"));
    msgBox(answer == 1 ? QP_TEXT("OK chosen") : QP_TEXT("Cancel chosen"), QP_TEXT("quillpen demo"));
    profileTimeStop();
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
