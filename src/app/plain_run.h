#pragma once

#include <string>

namespace sb {

// The whole job of the program: writes the five texts into `folder`, builds
// the scenario from them and leaves the papers and the compiled files.
// Returns the exit status: 0 done, 1 the build recorded an error, 2 an
// input/output failure.
int run_plain(const std::string& folder);

}  // namespace sb
