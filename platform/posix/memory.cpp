// Global-heap and string calls over the C heap. Differs from Windows: GMEM_MOVEABLE is not
// provided; every block is fixed.
#include <cstdlib>

#include "platform/platform.h"

extern "C" {

HGLOBAL GlobalAlloc(UINT flags, SIZE_T bytes) {
    void* block = (flags & GMEM_ZEROINIT) ? std::calloc(1, bytes ? bytes : 1)
                                          : std::malloc(bytes ? bytes : 1);
    if (!block) SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return block;
}

HGLOBAL GlobalFree(HGLOBAL memory) {
    std::free(memory);
    return nullptr;
}

LPWSTR lstrcpyW(LPWSTR dst, LPCWSTR src) {
    if (!dst || !src) return nullptr;
    LPWSTR out = dst;
    while ((*out++ = *src++) != 0) {
    }
    return dst;
}

int lstrlenW(LPCWSTR text) {
    if (!text) return 0;
    int n = 0;
    while (text[n]) ++n;
    return n;
}

}  // extern "C"
