/* quillpen.h as hosts see it, compiled (never run) as C11 and as C++17: each pointer takes
 * its functions only if their declarations have exactly the types hosts rely on. */
#include <assert.h>

#include "quillpen.h"
#include "quillpen.h" /* a second inclusion adds nothing */

static_assert(sizeof(qp_wchar) == 2, "wide text is UTF-16");
static_assert(sizeof QP_TEXT("😀") == 3 * sizeof(qp_wchar), "QP_TEXT spells UTF-16");

int32_t (*init)(const qp_wchar*, const qp_wchar*, int32_t, int32_t, int32_t, int32_t,
                int32_t) = logInit;
void (*noArguments[])(void) = {logTerm, w32_reset_errCode, profileTimeStop};
void (*lines[])(const qp_wchar*, ...) = {_log,        log_debug, log_info,
                                         log_warning, log_error, log_critical};
void (*errLog)(const qp_wchar*, int32_t) = w32_err_log;
uint32_t (*lastErr)(void) = GetLastErr;
void (*dumps[])(const qp_wchar*, int32_t, uint8_t, int32_t) = {logPut, logPutHex};
void (*decode)(const qp_wchar*, intptr_t, const qp_wchar*) = logDumpUTF8;
void (*bits16)(uint16_t, const qp_wchar*) = makeBitStringUSHORT16;
void (*bits32[])(uint32_t, const qp_wchar*) = {makeBitStringUINT32,
                                               makeBitStringUnicodeScalarValue};
void (*box)(const qp_wchar*, const qp_wchar*) = msgBox;
int32_t (*okCancel)(const qp_wchar*, const qp_wchar*) = msgBoxOkCancel;
void (*timerStart)(const qp_wchar*) = profileTimeStart;
const qp_wchar* sample = QP_TEXT("日本語 😀");
