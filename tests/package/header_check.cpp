// quillpen.h as a C++17 host sees it: every declaration has the exact type hosts rely on,
// and a second inclusion adds nothing. Compiled only, never run.
#include <type_traits>

#include "quillpen.h"

static_assert(sizeof(qp_wchar) == 2, "wide text is UTF-16");

using Line = void(const qp_wchar*, ...);
static_assert(std::is_same_v<decltype(logInit), int32_t(const qp_wchar*, const qp_wchar*, int32_t,
                                                        int32_t, int32_t, int32_t, int32_t)>);
static_assert(std::is_same_v<decltype(logTerm), void()>);
static_assert(std::is_same_v<decltype(_log), Line>);
static_assert(std::is_same_v<decltype(log_debug), Line>);
static_assert(std::is_same_v<decltype(log_info), Line>);
static_assert(std::is_same_v<decltype(log_warning), Line>);
static_assert(std::is_same_v<decltype(log_error), Line>);
static_assert(std::is_same_v<decltype(log_critical), Line>);
static_assert(std::is_same_v<decltype(w32_err_log), void(const qp_wchar*, int32_t)>);
static_assert(std::is_same_v<decltype(GetLastErr), uint32_t()>);
static_assert(std::is_same_v<decltype(w32_reset_errCode), void()>);
static_assert(std::is_same_v<decltype(logPut), void(const qp_wchar*, int32_t, uint8_t, int32_t)>);
static_assert(
    std::is_same_v<decltype(logPutHex), void(const qp_wchar*, int32_t, uint8_t, int32_t)>);
static_assert(
    std::is_same_v<decltype(logDumpUTF8), void(const qp_wchar*, intptr_t, const qp_wchar*)>);
static_assert(std::is_same_v<decltype(makeBitStringUSHORT16), void(uint16_t, const qp_wchar*)>);
static_assert(std::is_same_v<decltype(makeBitStringUINT32), void(uint32_t, const qp_wchar*)>);
static_assert(
    std::is_same_v<decltype(makeBitStringUnicodeScalarValue), void(uint32_t, const qp_wchar*)>);
static_assert(std::is_same_v<decltype(msgBox), void(const qp_wchar*, const qp_wchar*)>);
static_assert(std::is_same_v<decltype(msgBoxOkCancel), int32_t(const qp_wchar*, const qp_wchar*)>);
static_assert(std::is_same_v<decltype(profileTimeStart), void(const qp_wchar*)>);
static_assert(std::is_same_v<decltype(profileTimeStop), void()>);

static_assert(sizeof QP_TEXT("😀") == 3 * sizeof(qp_wchar), "a surrogate pair and the NUL");
