// Memory the program asks the system for in a particular way.
#pragma once

#include <cstddef>

namespace sb {

// Memory for a large array about to be written end to end, backed by the
// system at once rather than with one page fault per page on first touch,
// and where the system allows in large pages: on a virtual machine every
// small page of megabytes written is costly (a fault, a page table entry
// to mirror). Throws std::bad_alloc when there is none. Its contents are
// unspecified. `release_backed` takes the same size.
void* allocate_backed(size_t bytes);
void release_backed(void* p, size_t bytes) noexcept;

}  // namespace sb
