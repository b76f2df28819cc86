#include "platform/HeapTuning.h"

#include <malloc.h>

namespace HeapTuning {

void KeepLargeBuffers()
{
    constexpr int kLargestKept = 32 << 20;
    mallopt(M_MMAP_THRESHOLD, kLargestKept);
    mallopt(M_TRIM_THRESHOLD, 8 * kLargestKept);
}

} // namespace HeapTuning
