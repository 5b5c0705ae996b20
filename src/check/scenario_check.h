// The check of an author's scenario: every fault of its texts and every
// warning, each at its place; and the build `compile` does, with what it
// tells. The check's first build is the compile's, so what the check
// reports begins with what compile reports. Watching a build changes no
// byte of what it writes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "builder/compile_step.h"
#include "check/diagnostics.h"
#include "builder/scenario_files.h"
#include "platform/file_system.h"

namespace sb {

struct check_options {
  scenario_identity id;
  int32_t geometry = 1;      // 0: the curves are neither read nor drawn into a plan
  std::string folder;        // where the texts are
  std::string shown_folder;  // the folder as the author named it; empty for the current one
};

struct check_report {
  io_result io;  // an input/output failure that ended the check
  std::vector<diagnostic> diagnostics;  // in the order of the texts and their lines
};

// Builds the texts in memory as `compile` does, and again with each row at
// fault left out, until a build has no fault left that a row can be blamed
// for; reports each fault and the warnings of the last build. Writes
// nothing and deletes nothing.
check_report check_scenario(const check_options& options, file_system& fs);

struct observed_compile {
  compile_result result;
  std::vector<diagnostic> diagnostics;  // the warnings, and the fault when there is one
};

// One build as `compile` does it, writing as `policy` says, with the
// warnings of its texts and its fault told at their places.
observed_compile compile_with_warnings(scenario_model& model, int32_t j, file_system& fs,
                                       const check_options& options, write_policy policy);

}  // namespace sb
