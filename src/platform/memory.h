// Memory the program asks the system for in a particular way.
#pragma once

#include <cstddef>

namespace sb {

// Asks the system to back the whole pages of [p, p + bytes) now, in one
// call, rather than with one page fault per page on first touch: a large
// array about to be written end to end costs less so. The contents are
// left as they are. Does nothing where the system offers no such call or
// refuses it: the pages then come one fault at a time, as always.
void prefault(void* p, size_t bytes) noexcept;

}  // namespace sb
