/* Writes one line through an installed quillpen and checks the log file it leaves in DIR,
 * which must be new: the start line, the line, the end line. Usage: consumer DIR. */
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
    if (argc != 2) {
        fprintf(stderr, "usage: consumer DIR\n");
        return 2;
    }
    qp_wchar dir[512];
    widen(argv[1], dir, sizeof dir / sizeof dir[0]);
    /* Stamp mode 0: the line is exactly "[text]" and CR LF, whatever the time. */
    if (!logInit(dir, QP_TEXT("consumer"), 0, 0, 0, 5, 0)) {
        fprintf(stderr, "logInit failed\n");
        return 1;
    }
    _log(QP_TEXT("consumer %d of %hs"), 1, "one");
    logTerm();

    /* The name carries the date of the opening; a run across midnight may see the next. */
    time_t now = time(NULL);
    const struct tm* local = localtime(&now);
    char path[1024];
    snprintf(path, sizeof path, "%s" SEP "consumer%04d%02d%02d.log", argv[1], local->tm_year + 1900,
             local->tm_mon + 1, local->tm_mday);
    FILE* in = fopen(path, "rb");
    if (!in) {
        fprintf(stderr, "no log file %s\n", path);
        return 1;
    }
    char text[4096];
    size_t n = fread(text, 1, sizeof text - 1, in);
    fclose(in);
    text[n] = 0;
    char expected[4096];
    snprintf(expected, sizeof expected,
             "[--- [consumer] start Log={%s} ---]\r\n"
             "[consumer 1 of one]\r\n"
             "[--- [consumer] end Log. ---]\r\n",
             path);
    if (strcmp(text, expected) != 0) {
        fprintf(stderr, "%s holds:\n%s\nexpected:\n%s", path, text, expected);
        return 1;
    }
    printf("%s:\n%s", path, text);
    return 0;
}
