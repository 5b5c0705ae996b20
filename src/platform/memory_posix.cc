#include "platform/memory.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>

namespace sb {

void prefault(void* p, size_t bytes) noexcept {
#ifdef MADV_POPULATE_WRITE
  static const uintptr_t page = static_cast<uintptr_t>(::sysconf(_SC_PAGESIZE));
  // madvise takes whole pages; the partial pages at either end belong to
  // neighbours the allocator may hand out, and are left to fault.
  const uintptr_t start = (reinterpret_cast<uintptr_t>(p) + page - 1) & ~(page - 1);
  const uintptr_t end = (reinterpret_cast<uintptr_t>(p) + bytes) & ~(page - 1);
  // A kernel before 5.14 answers EINVAL: the pages then fault one by one.
  if (end > start) ::madvise(reinterpret_cast<void*>(start), end - start, MADV_POPULATE_WRITE);
#else
  (void)p;
  (void)bytes;
#endif
}

}  // namespace sb
