// Storage for the few buffers of millions of bytes that a run fills once
// from end to end (the track plan, the plan file). With ordinary 4 KiB pages
// each page costs a fault, and on a virtual machine the faults cost more
// than filling the pages; these buffers ask for 2 MiB pages instead.
#pragma once

#include <cstddef>
#include <new>
#include <utility>

namespace sb {

// Buffers from 2 MiB up are aligned to 2 MiB, rounded up to whole 2 MiB
// pages and marked for huge pages where the system offers them; smaller
// ones are ordinary allocations. Freed with the size they were asked with.
void* allocate_large(std::size_t bytes);
void free_large(void* p, std::size_t bytes) noexcept;

template <typename T>
struct huge_page_allocator {
  using value_type = T;

  huge_page_allocator() = default;
  template <typename U>
  huge_page_allocator(const huge_page_allocator<U>&) noexcept {}

  T* allocate(std::size_t n) { return static_cast<T*>(allocate_large(n * sizeof(T))); }
  void deallocate(T* p, std::size_t n) noexcept { free_large(p, n * sizeof(T)); }

  // Growing a container default-initialises its new elements: bytes that
  // are about to be overwritten are not cleared first.
  template <typename U>
  void construct(U* p) noexcept(noexcept(U())) {
    ::new (static_cast<void*>(p)) U;
  }
  template <typename U, typename... Args>
  void construct(U* p, Args&&... args) {
    ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
  }

  template <typename U>
  bool operator==(const huge_page_allocator<U>&) const noexcept {
    return true;
  }
};

}  // namespace sb
