/* quillpen.h as a C11 host sees it: every declaration has the exact type hosts rely on,
 * and a second inclusion adds nothing. Compiled only, never run. */
#include "quillpen.h"

_Static_assert(sizeof(qp_wchar) == 2, "wide text is UTF-16");

int32_t (*const init)(const qp_wchar*, const qp_wchar*, int32_t, int32_t, int32_t, int32_t,
                      int32_t) = logInit;
void (*const term)(void) = logTerm;
void (*const lines[])(const qp_wchar*, ...) = {_log,        log_debug, log_info,
                                               log_warning, log_error, log_critical};
void (*const errLog)(const qp_wchar*, int32_t) = w32_err_log;
uint32_t (*const lastErr)(void) = GetLastErr;
void (*const resetErr)(void) = w32_reset_errCode;
void (*const dumps[])(const qp_wchar*, int32_t, uint8_t, int32_t) = {logPut, logPutHex};
void (*const decode)(const qp_wchar*, intptr_t, const qp_wchar*) = logDumpUTF8;
void (*const bits16)(uint16_t, const qp_wchar*) = makeBitStringUSHORT16;
void (*const bits32)(uint32_t, const qp_wchar*) = makeBitStringUINT32;
void (*const scalar)(uint32_t, const qp_wchar*) = makeBitStringUnicodeScalarValue;
void (*const box)(const qp_wchar*, const qp_wchar*) = msgBox;
int32_t (*const okCancel)(const qp_wchar*, const qp_wchar*) = msgBoxOkCancel;
void (*const timerStart)(const qp_wchar*) = profileTimeStart;
void (*const timerStop)(void) = profileTimeStop;

/* QP_TEXT spells UTF-16 literals, non-ASCII ones included. */
const qp_wchar* const sample = QP_TEXT("日本語 😀");
_Static_assert(sizeof QP_TEXT("😀") == 3 * sizeof(qp_wchar), "a surrogate pair and the NUL");
