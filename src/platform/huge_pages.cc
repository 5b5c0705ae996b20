#include "platform/huge_pages.h"

#include <cstdint>
#include <new>

#if defined(__linux__) && !defined(__SANITIZE_ADDRESS__)
#include <sys/mman.h>
#define SB_MAP_LARGE 1
#endif

namespace sb {

namespace {
constexpr std::size_t huge_page = std::size_t{2} << 20;
constexpr std::size_t whole_pages(std::size_t bytes) { return (bytes + huge_page - 1) / huge_page * huge_page; }
}  // namespace

// Mapped straight from the system rather than through malloc, whose reuse of
// freed blocks depends on its own thresholds: every large buffer then starts
// as fresh huge pages and goes back to the system when freed. Sanitizer
// builds keep ordinary allocations, which they can watch.
void* allocate_large(std::size_t bytes) {
  if (bytes < huge_page) return ::operator new(bytes);
  const std::size_t whole = whole_pages(bytes);
#ifdef SB_MAP_LARGE
  // Map one huge page more than needed and cut the slack on both sides so
  // that the buffer starts on a huge-page boundary.
  const std::size_t mapped = whole + huge_page;
  void* map = ::mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (map == MAP_FAILED) throw std::bad_alloc();
  const auto base = reinterpret_cast<std::uintptr_t>(map);
  const std::uintptr_t start = (base + huge_page - 1) & ~(std::uintptr_t{huge_page} - 1);
  if (start > base) ::munmap(map, start - base);
  if (const std::size_t tail = base + mapped - (start + whole); tail > 0)
    ::munmap(reinterpret_cast<void*>(start + whole), tail);
  void* p = reinterpret_cast<void*>(start);
  // Only a hint: where it is refused the pages are ordinary ones.
  ::madvise(p, whole, MADV_HUGEPAGE);
  return p;
#else
  return ::operator new(whole, std::align_val_t{huge_page});
#endif
}

void free_large(void* p, std::size_t bytes) noexcept {
  if (p == nullptr) return;
  if (bytes < huge_page) {
    ::operator delete(p);
    return;
  }
#ifdef SB_MAP_LARGE
  ::munmap(p, whole_pages(bytes));
#else
  ::operator delete(p, std::align_val_t{huge_page});
#endif
}

}  // namespace sb
