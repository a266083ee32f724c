#include "platform/memory.h"

#include <cstdlib>  // defines __GLIBC__ with glibc

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace platform {

void KeepLargeBlocksApart() {
#ifdef __GLIBC__
  mallopt(M_MMAP_THRESHOLD, 128 * 1024);
#endif
}

void ReleaseFreeMemory() {
#ifdef __GLIBC__
  malloc_trim(0);
#endif
}

}  // namespace platform
