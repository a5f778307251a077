#include "robust/export_tour.h"

#include "quillpen.h"

namespace robust {

void writeWithEveryExport() {
    _log(QP_TEXT("log %d %s"), 1, QP_TEXT("日本語😀"));
    log_debug(QP_TEXT("debug %d"), 5);
    log_info(QP_TEXT("info %d"), 4);
    log_warning(QP_TEXT("warning %d"), 3);
    log_error(QP_TEXT("error %d"), 2);
    log_critical(QP_TEXT("critical %d"), 1);
    w32_reset_errCode();
    w32_err_log(QP_TEXT("tour.c writeWithEveryExport"), static_cast<int32_t>(GetLastErr()));
    logPut(QP_TEXT("abcdefghijklmnopqrstuvwxyz日本語"), 29, 1, 10);
    logPutHex(QP_TEXT("abcé日😀"), 7, 0, 10);
    logDumpUTF8(QP_TEXT("ABCDEFG日éZ"), 0, QP_TEXT("tour"));
    makeBitStringUSHORT16(0x1234, QP_TEXT("u16"));
    makeBitStringUINT32(0x12345678, QP_TEXT("u32"));
    makeBitStringUnicodeScalarValue(0x1F600, QP_TEXT("scalar"));
    profileTimeStart(QP_TEXT("tour"));
    profileTimeStop();
}

}  // namespace robust
