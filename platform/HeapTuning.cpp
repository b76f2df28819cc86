#include "platform/HeapTuning.h"

#include <malloc.h>

namespace HeapTuning {

void KeepLargeBuffers()
{
    constexpr int kLargestKept = 32 << 20;
    mallopt(M_MMAP_THRESHOLD, kLargestKept);
    // Twice that stays free at the heap's top before any is handed back,
    // the ratio the C library keeps when it moves the threshold itself.
    mallopt(M_TRIM_THRESHOLD, 2 * kLargestKept);
}

} // namespace HeapTuning
