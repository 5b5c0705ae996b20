#include "platform/huge_pages.h"

#include <new>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace sb {

namespace {
constexpr std::size_t huge_page = std::size_t{2} << 20;
constexpr std::size_t round_up(std::size_t bytes) { return (bytes + huge_page - 1) / huge_page * huge_page; }
}  // namespace

void* allocate_large(std::size_t bytes) {
  if (bytes < huge_page) return ::operator new(bytes);
  const std::size_t whole = round_up(bytes);
  void* p = ::operator new(whole, std::align_val_t{huge_page});
#if defined(__linux__) && defined(MADV_HUGEPAGE)
  // Only a hint: where it is refused the pages are ordinary ones.
  ::madvise(p, whole, MADV_HUGEPAGE);
#endif
  return p;
}

void free_large(void* p, std::size_t bytes) noexcept {
  if (bytes < huge_page)
    ::operator delete(p);
  else
    ::operator delete(p, std::align_val_t{huge_page});
}

}  // namespace sb
