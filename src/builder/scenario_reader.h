// Reads the two source texts of a scenario back into the model: the line
// text, then the train text, one field at a time, calling the recorders.
// The two phases work on the texts' bytes; only the frame,
// `memorizza_dati`, reads and deletes the files.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "builder/error_codes.h"
#include "builder/reader_log.h"
#include "builder/scenario_model.h"
#include "platform/file_system.h"

namespace sb {

// How a phase ended. Its fault, if any, is recorded in the model's
// `error_code` and `error_position` as well.
struct phase_outcome {
  bool reader_ends = false;          // a failure ended the reader: no phase follows
  std::optional<build_error> error;  // the fault this phase recorded
};

// The two texts' names, as messages give them.
struct text_names {
  std::string line;
  std::string train;
};

// The line text. Sets `board_slot` to the next free board row, which the
// train phase needs.
phase_outcome read_line_text(scenario_model& model, std::string_view text, const text_names& names,
                             int& board_slot, text_seen* log = nullptr);
// The train text, after the line text; its end steps check the line text's
// kilometric progressions.
phase_outcome read_train_text(scenario_model& model, std::string_view text, const text_names& names,
                              int board_slot, text_seen* log = nullptr);

struct reader_result {
  io_result io;                      // an input/output failure that ended the run
  std::optional<build_error> error;  // the fault the reader leaves in the model
};

// Reads folder/R_linea.txt and folder/R_T-.txt into `model`, records the
// first failure, and deletes each text once read (when `fs` deletes). With
// a log, also records what it saw in each text.
reader_result memorizza_dati(scenario_model& model, file_system& fs, const std::string& folder,
                             reader_log* log = nullptr);

}  // namespace sb
