// The compile step: reader, protection pass, stamping, compiled files.
#pragma once

#include <cstdint>
#include <string>

#include "builder/scenario_model.h"
#include "builder/scenario_reader.h"
#include "platform/file_system.h"

namespace sb {

enum class write_policy {
  always,             // the plain run writes whatever the reader filled
  only_without_error  // authors' builds keep the last good files on error
};

struct compile_result {
  io_result io;             // an input/output failure ended the step
  error_site site;          // where `error_code` was raised, in a text
  int32_t stamp_error = 0;  // 1250 or 1251: nothing was written
  bool files_written = false;
};

// `j` becomes `geometry_flag`. Clears `error_code` and the table, reads the
// texts from `folder`, completes and stamps the model, writes the files.
compile_result memorizza_percorso(scenario_model& model, int32_t& j, file_system& fs,
                                  const std::string& folder, write_policy policy);

}  // namespace sb
