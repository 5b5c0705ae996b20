#pragma once

#include <string>

#include "builder/scenario_model.h"
#include "platform/file_system.h"

namespace sb {

// The whole job of the program: writes the five texts into `folder`, builds
// the scenario from them and leaves the papers and the compiled files.
// Returns the exit status: 0 done, 1 the build recorded an error, 2 an
// input/output failure.
int run_plain(const std::string& folder);

// The run's second half, once the texts are in `folder`: compiles them and
// tells the person about the outcome. Returns the exit status as above.
int compile_and_report(scenario_model& model, file_system& fs, const std::string& folder);

}  // namespace sb
