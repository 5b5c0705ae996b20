#include "platform/memory.h"

#include <gtest/gtest.h>

#include <numeric>
#include <vector>

namespace sb {
namespace {

// Prefaulting touches no byte: whatever was written before, at either end
// or in the whole pages between, is still there, in a block of a few pages
// that starts and ends inside a page.
TEST(Prefault, KeepsWhatTheMemoryHolds) {
  std::vector<unsigned char> block(5 * 4096 + 123);
  std::iota(block.begin(), block.end(), static_cast<unsigned char>(7));
  const std::vector<unsigned char> before = block;
  prefault(block.data() + 1, block.size() - 1);
  prefault(block.data(), 0);
  EXPECT_EQ(block, before);
}

}  // namespace
}  // namespace sb
