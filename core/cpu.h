// Instructions beyond the x86-64 baseline (SSE2), used by functions compiled for them alone
// and chosen at run time: the DLL must still load and run on any x86-64 processor.
#pragma once

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#define QP_HAS_SSSE3_PATH 1
#define QP_TARGET_SSSE3 __attribute__((target("ssse3")))

namespace quillpen {
// Asked once: the answer cannot change while the process runs.
inline bool cpuHasSsse3() {
    static const bool has = __builtin_cpu_supports("ssse3");
    return has;
}
}  // namespace quillpen
#else
#define QP_HAS_SSSE3_PATH 0
#endif
