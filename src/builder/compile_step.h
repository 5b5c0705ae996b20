// The compile step: reader, protection pass, stamping, compiled files.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "builder/error_codes.h"
#include "builder/build_observer.h"
#include "builder/scenario_model.h"
#include "platform/file_system.h"

namespace sb {

enum class write_policy {
  always,             // the plain run writes whatever the reader filled
  only_without_error  // authors' builds keep the last good files on error
};

struct compile_result {
  io_result io;                      // an input/output failure ended the step
  std::optional<build_error> error;  // the build's fault; a stop code wrote nothing
  bool files_written = false;
};

// `j` becomes `geometry_flag`. Clears `error_code` and the table, reads the
// texts from `folder`, completes and stamps the model, writes the files.
// With an observer, tells it what the reader and the protection pass did;
// the build is the same.
compile_result memorizza_percorso(scenario_model& model, int32_t j, file_system& fs,
                                  const std::string& folder, write_policy policy, build_observer* seen = nullptr);

}  // namespace sb
