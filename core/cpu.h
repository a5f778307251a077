// Instructions beyond the x86-64 baseline (SSE2), used by functions compiled for them alone
// and chosen at run time: the DLL must still load and run on any x86-64 processor.
#pragma once

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#define QP_HAS_RUNTIME_SIMD 1
#define QP_TARGET_AVX2 __attribute__((target("avx2")))

namespace quillpen {
// Asked once: the answer cannot change while the process runs. The check includes the
// operating system's support for the wide registers.
inline bool cpuHasAvx2() {
    static const bool has = (__builtin_cpu_init(), __builtin_cpu_supports("avx2"));
    return has;
}
}  // namespace quillpen
#else
#define QP_HAS_RUNTIME_SIMD 0
#endif
