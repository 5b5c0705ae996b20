// State shared by the two phases of the reader. Internal to the reader.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "builder/field_cursor.h"
#include "builder/scenario_model.h"
#include "builder/scenario_reader.h"
#include "platform/file_system.h"

namespace sb::reader {

// An input/output failure that ends the run; caught by the reader's frame.
struct io_stop {
  io_result io;
};

enum class phase_end {
  go_on,  // the file was read to its end, or an item lay beyond the cells
  stop    // a failure ended the reader
};

struct context {
  scenario_model& m;
  file_system& fs;
  std::string folder;
  std::string line_name;
  std::string train_name;
  error_site site;
  std::string reading;  // the file being read, for failures
  int board_slot = table_row::first_board;

  std::string path(const std::string& name) const { return join_path(folder, name); }

  // Deletes a source text when it is still there.
  void remove_text(const std::string& name) {
    const std::string p = path(name);
    if (!fs.exists(p)) return;
    if (io_result r = fs.remove_file(p); !r) throw io_stop{r};
  }

  void record(int32_t code, int line) {
    m.error_code = code;
    site = {reading, line, false, {}};
  }
  void record_at(int32_t code, int32_t position, int line) {
    m.error_code = code;
    m.error_position = position;
    site = {reading, line, true, {}};
  }

  // A cell the reader writes; one outside the array is a failure of the
  // text, never a write outside it.
  track_cell& cell(int64_t k) {
    if (m.cells.empty()) throw read_failure{"no route length before the items of the line", 0};
    if (k < 0 || k > m.last_cell) throw read_failure{"cell " + std::to_string(k) + " lies outside the line", 0};
    return m.cells[static_cast<size_t>(k)];
  }

  // The bound test: (p + margin) / 50 above last_cell.
  bool beyond_line(int64_t p, int64_t margin) const { return p + margin > int64_t{50} * m.last_cell; }
};

// How a row of a file's body ended.
enum class row_end {
  done,
  beyond,  // an item lay beyond the cells: the pass over the file ends
  failed   // the reader ends
};

// Reads the next keyword field of a file's body into `field`, passing over
// up to two comment fields. False at the end of the file: a file's last
// field is never interpreted.
inline bool next_keyword_field(field_cursor& in, std::string& field) {
  if (in.at_end()) return false;
  field = in.read_text();
  if (in.at_end()) return false;
  for (int i = 0; i < 2 && contains_exact(field, "-"); ++i) {
    field = in.read_text();
    if (in.at_end()) return false;
  }
  return true;
}

template <class Reader>
struct row_test {
  bool matches;
  row_end (Reader::*read)();
};

// The body of either file: every keyword test is tried on each keyword
// field in order, each matching row reading its own fields.
template <class Reader, class Tests>
phase_end read_body(Reader& reader, Tests tests_for) {
  for (;;) {
    if (!next_keyword_field(reader.in, reader.m.current_field)) return phase_end::go_on;
    reader.row_line = reader.in.line();
    for (const row_test<Reader>& test : tests_for(reader.m.current_field)) {
      if (!test.matches) continue;
      const row_end r = (reader.*test.read)();
      if (r == row_end::beyond) return phase_end::go_on;
      if (r == row_end::failed) return phase_end::stop;
    }
  }
}

// Both return go_on when the next phase (or the end) should follow.
phase_end read_line_file(context& c);
phase_end read_train_file(context& c);

}  // namespace sb::reader
