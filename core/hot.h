// QP_HOT groups the functions every line runs in the binary: a line's code is cold after its
// write system call, and fewer pages and cache lines fetch faster. QP_NOINLINE keeps rarely
// taken paths out of the callers' frames; QP_ALWAYS_INLINE puts small vector steps into
// the loops that call them, whatever their instruction set.
#pragma once

#if defined(__GNUC__)
#define QP_HOT __attribute__((hot))
#define QP_NOINLINE __attribute__((noinline))
#define QP_ALWAYS_INLINE inline __attribute__((always_inline))
#else
#define QP_HOT
#define QP_NOINLINE
#define QP_ALWAYS_INLINE inline
#endif
