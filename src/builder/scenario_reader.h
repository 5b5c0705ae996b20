// Reads the two source texts of a scenario back into the model: the line
// file, then the train file, one field at a time, calling the recorders.
#pragma once

#include <string>

#include "builder/scenario_model.h"
#include "platform/file_system.h"

namespace sb {

// Where the recorded error was found, when it was found in a text.
struct error_site {
  std::string file;           // file name without folder; empty when none
  int line = 0;               // 1-based; 0 when none
  bool has_position = false;  // `error_position` belongs to this error
  std::string detail;         // what exactly was wrong, when known
};

struct reader_result {
  io_result io;  // an input/output failure that ended the run
  error_site site;
};

// Reads folder/R_linea.txt and folder/R_T-.txt into `model`, records the
// first failure in `error_code` / `error_position`, and deletes each text
// once read (through `fs`: a read-only view keeps them).
reader_result memorizza_dati(scenario_model& model, file_system& fs, const std::string& folder);

}  // namespace sb
