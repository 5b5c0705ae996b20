#include "platform/memory.h"

#include <new>

namespace sb {

// The Windows build takes its arrays from the heap and leaves their pages
// to come a fault at a time: large pages need a privilege a user's
// program does not have.
void* allocate_backed(size_t bytes) { return ::operator new(bytes); }
void release_backed(void* p, size_t) noexcept { ::operator delete(p); }

}  // namespace sb
