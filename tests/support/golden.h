// Golden files: outputs kept in the tree next to the inputs that make
// them. A test compares an output with its golden file whole; with
// SB_REGENERATE=1 in the environment (`make golden`) it writes the file
// instead, to be looked at with `git diff` before it is committed.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace sb::test {

// A file under the tests' data folder (tests/ of the source tree).
std::string test_data(const std::string& relative);

bool regenerating();

// Passes when `actual` is the content of `path`; otherwise names the first
// line that differs and shows a few lines of both around it.
::testing::AssertionResult matches_golden(const std::string& path, const std::string& actual);

// What `inspect` prints of a compiled file named `name` (text format),
// every cell or row with `all` (of a plan file, its summary), followed by
// the digest and size of its bytes.
std::string compiled_dump(const std::string& name, const std::string& bytes, bool all);

// SHA-256 of `bytes`, as 64 lower-case hexadecimal digits.
std::string sha256_hex(std::string_view bytes);

}  // namespace sb::test
