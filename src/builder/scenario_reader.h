// Reads the two source texts of a scenario back into the model: the line
// text, then the train text, one field at a time, calling the recorders.
// The two phases work on the texts' bytes; only the frame,
// `memorizza_dati`, reads and deletes the files.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "builder/error_codes.h"
#include "builder/build_observer.h"
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

// A place in a text: line and column from 1, 0 when none.
struct source_place {
  int line = 0;
  int column = 0;
};

// What the line text hands on to the train text: the next free board row,
// and where each kilometric progression now in rows 81 to 83 was read
// (the train text's end steps check them).
struct line_carry {
  int board_slot = table_row::first_board;
  std::array<source_place, 3> progression_rows{};
};

phase_outcome read_line_text(scenario_model& model, std::string_view text, const text_names& names,
                             line_carry& carry, build_observer* seen = nullptr);
// The train text, after the line text.
phase_outcome read_train_text(scenario_model& model, std::string_view text, const text_names& names,
                              const line_carry& carry, build_observer* seen = nullptr);

struct reader_result {
  io_result io;                      // an input/output failure that ended the run
  std::optional<build_error> error;  // the fault the reader leaves in the model
};

// Reads folder/R_linea.txt and folder/R_T-.txt into `model`, records the
// first failure, and deletes each text once read (when `fs` deletes). With
// an observer, tells it what it sees in each text.
reader_result memorizza_dati(scenario_model& model, file_system& fs, const std::string& folder,
                             build_observer* seen = nullptr);

}  // namespace sb
