#include "platform/memory.h"

#include <sys/mman.h>

#include <cstdint>
#include <new>

namespace sb {

namespace {

// A large page on x86-64 and most other systems; where it is another size
// the block is only aligned more than it needs.
constexpr size_t large_page = size_t{2} << 20;

size_t rounded_up(size_t bytes) { return (bytes + large_page - 1) & ~(large_page - 1); }

// Below a large page the allocator's own memory serves, its whole small
// pages backed at once.
bool is_large(size_t bytes) { return bytes >= large_page; }

void* from_the_heap(size_t bytes) {
  void* p = ::operator new(bytes);
#ifdef MADV_POPULATE_WRITE
  // Only whole pages: the partial ones at either end belong to neighbours
  // the allocator may hand out.
  constexpr uintptr_t page = 4096;
  const uintptr_t start = (reinterpret_cast<uintptr_t>(p) + page - 1) & ~(page - 1);
  const uintptr_t end = (reinterpret_cast<uintptr_t>(p) + bytes) & ~(page - 1);
  if (end > start) ::madvise(reinterpret_cast<void*>(start), end - start, MADV_POPULATE_WRITE);
#endif
  return p;
}

}  // namespace

void* allocate_backed(size_t bytes) {
  if (!is_large(bytes)) return from_the_heap(bytes);
  const size_t size = rounded_up(bytes);
  if (size < bytes) throw std::bad_alloc();
  // Mapped with room to spare, then trimmed to a block that starts and
  // ends on large-page boundaries, so that every page of it can be large.
  const size_t mapped = size + large_page;
  if (mapped < size) throw std::bad_alloc();
  void* raw = ::mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (raw == MAP_FAILED) throw std::bad_alloc();
  const uintptr_t start = (reinterpret_cast<uintptr_t>(raw) + large_page - 1) & ~(large_page - 1);
  const size_t head = start - reinterpret_cast<uintptr_t>(raw);
  if (head > 0) ::munmap(raw, head);
  if (mapped - head > size) ::munmap(reinterpret_cast<void*>(start + size), mapped - head - size);
  void* p = reinterpret_cast<void*>(start);
  // Both are advice: a kernel without large pages, or without
  // MADV_POPULATE_WRITE (before 5.14), refuses and the pages come small,
  // a fault at a time, as always.
#ifdef MADV_HUGEPAGE
  ::madvise(p, size, MADV_HUGEPAGE);
#endif
#ifdef MADV_POPULATE_WRITE
  ::madvise(p, size, MADV_POPULATE_WRITE);
#endif
  return p;
}

void release_backed(void* p, size_t bytes) noexcept {
  if (p == nullptr) return;
  if (!is_large(bytes)) {
    ::operator delete(p);
    return;
  }
  ::munmap(p, rounded_up(bytes));
}

}  // namespace sb
