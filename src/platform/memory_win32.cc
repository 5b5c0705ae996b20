#include "platform/memory.h"

namespace sb {

// The Windows build leaves its pages to come a fault at a time: its heap
// offers no call for backing fresh pages ahead of their first touch.
void prefault(void*, size_t) noexcept {}

}  // namespace sb
