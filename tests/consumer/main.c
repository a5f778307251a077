/* A host built against an installed quillpen: one line into the log directory DIR (ASCII),
 * which the test then reads. Usage: consumer DIR */
#include "quillpen.h"

int main(int argc, char** argv) {
    qp_wchar dir[256] = {0};
    for (int i = 0; argc == 2 && argv[1][i] && i < 255; ++i) dir[i] = (qp_wchar)argv[1][i];
    /* Stamp mode 0: the line is exactly "[text]" and CR LF, whatever the time. */
    if (argc != 2 || !logInit(dir, QP_TEXT("consumer"), 0, 0, 0, 5, 0)) return 1;
    _log(QP_TEXT("consumer %d of %hs"), 1, "one");
    logTerm();
    return 0;
}
