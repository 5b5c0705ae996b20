#include "platform/memory.h"

#include <gtest/gtest.h>

#include <cstring>

namespace sb {
namespace {

// Every byte of a block is the caller's, on either side of the size where
// it stops coming from the heap, and two blocks never overlap.
TEST(BackedMemory, EveryByteOfABlockIsWritable) {
  constexpr size_t large = size_t{2} << 20;
  for (const size_t bytes : {size_t{1}, size_t{4096 * 3 + 5}, large - 1, large, large + 1, 3 * large + 123}) {
    SCOPED_TRACE(bytes);
    auto* a = static_cast<unsigned char*>(allocate_backed(bytes));
    auto* b = static_cast<unsigned char*>(allocate_backed(bytes));
    std::memset(a, 0xa5, bytes);
    std::memset(b, 0x5a, bytes);
    EXPECT_EQ(a[0], 0xa5);
    EXPECT_EQ(a[bytes - 1], 0xa5);
    EXPECT_EQ(a[bytes / 2], 0xa5);
    EXPECT_EQ(b[bytes - 1], 0x5a);
    release_backed(a, bytes);
    release_backed(b, bytes);
  }
  release_backed(nullptr, large);
}

}  // namespace
}  // namespace sb
