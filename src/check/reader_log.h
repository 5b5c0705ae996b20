// The check's record of one build, kept by watching it: every field with
// its place, which fields were tested as keywords, the rows they opened,
// the cells each row took or was refused, the values stored otherwise than
// written, the faults, and the points the protection pass added. The build
// is the same with or without the record.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "builder/build_observer.h"
#include "builder/scenario_reader.h"

namespace sb {

// One row the reader opened on a keyword field.
struct row_seen {
  const keyword_info* info = nullptr;
  std::string keyword;        // the row as the format names it: "segnale"
  size_t keyword_field = 0;   // index into the text's fields
  size_t first_value = 0;     // its values are fields [first_value, first_value + values_read)
  size_t values_read = 0;
  size_t values_due = 0;      // how many values the row has
  bool in_general_block = false;
  bool complete = false;      // every value read, none unreadable
  // Cells whose kind the row set: (cell, kind), in the order set.
  std::vector<std::pair<int64_t, uint8_t>> placed;
  // Cells its item needed and found taken.
  std::vector<int64_t> refused;
  std::vector<stored_value> stored;
  int table_row = 0;  // the table row its item went into; 0 when none
};

// A field the reader tested against the keywords.
struct keyword_field_seen {
  size_t field = 0;
  int comments_passed = 0;   // comment fields passed over before it
  int comments_allowed = 0;  // how many the reader passes over there
  bool in_general_block = false;
  const keyword_info* passed_over = nullptr;  // a row named but not read now (curves without a plan)
};

struct text_seen {
  std::string file;  // as messages name it
  std::string text;  // the bytes read
  bool read = false;
  std::vector<size_t> line_starts;  // byte where each line begins: line n at [n - 1]
  std::vector<field_seen> fields;
  std::vector<keyword_field_seen> keyword_fields;
  std::vector<row_seen> rows;
  size_t generale_field = SIZE_MAX;     // the field holding "[generale]"
  size_t general_block_end = SIZE_MAX;  // the line text's field that ended its general block

  // The field that begins at a place, and the row that holds a field.
  std::optional<size_t> field_at(int line, int column) const;
  const row_seen* row_holding(size_t field) const;
  // The text of a line (from 1), without its end.
  std::string_view line(int number) const;

  std::vector<int32_t> row_of_field;  // filled once reading is done
};

// A fault of the protection pass and the cells it concerns.
struct pass_fault_seen {
  build_error fault;
  int64_t slowdown_cell = 0;
  std::optional<int64_t> signal_cell;
};

// A point the protection pass placed or lowered.
struct point_seen {
  int64_t cell = 0;
  int64_t slowdown_cell = 0;
  bool lowered = false;
};

class reader_log : public build_observer {
 public:
  explicit reader_log(const text_names& names);

  text_seen line;
  text_seen train;
  std::vector<build_error> reader_faults;  // every fault the reader recorded, in order
  std::optional<build_error> ended_with;   // the fault the reader ended with
  std::vector<pass_fault_seen> pass_faults;
  std::vector<point_seen> points_added;

  const text_seen* text_named(const std::string& file) const;

  void field_read(const field_seen&) override;
  void text_begun(text_role, const std::string& file, std::string_view bytes) override;
  void generale_found() override;
  void keyword_field(int comments_passed, int comments_allowed) override;
  void general_block_ended() override;
  void row_opened(const keyword_info&, bool in_general_block) override;
  void row_passed_over(const keyword_info&) override;
  void row_closed(bool complete) override;
  void cell_taken(int64_t cell, uint8_t kind) override;
  void cell_refused(int64_t cell) override;
  void value_stored(const stored_value&) override;
  void table_row_filled(int row) override;
  void reader_fault(const build_error&) override;
  void reader_done(const std::optional<build_error>& fault) override;
  void point_added(int64_t cell, int64_t slowdown_cell, bool lowered) override;
  void pass_fault(const build_error&, int64_t slowdown_cell, std::optional<int64_t> signal_cell) override;

 private:
  text_seen* current_ = nullptr;
  row_seen* open_row_ = nullptr;
  bool in_general_block_ = false;
};

}  // namespace sb
