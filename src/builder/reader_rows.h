// What the two phases of the reader share: the record of a row's fault,
// the bound test, and the loop over a text's body. Internal to the reader.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "builder/field_cursor.h"
#include "builder/reader_log.h"
#include "builder/recorders.h"
#include "builder/rounding.h"
#include "builder/scenario_model.h"
#include "builder/scenario_reader.h"

namespace sb::reader {

// How a row ended.
enum class row_end {
  done,
  beyond,  // an item lay beyond the cells: the pass over the text ends
  failed   // the reader ends
};

// One phase reading one text.
struct phase {
  phase(scenario_model& model, std::string_view text, const std::string& file_name, text_seen* seen)
      : m(model), file(file_name), in(text), log(seen) {
    if (log == nullptr) return;
    log->file = file_name;
    log->text = std::string(text);
    log->read = true;
    in.trace_into(&log->fields);
  }

  scenario_model& m;
  const std::string& file;  // the text being read, as messages name it
  field_cursor in;
  text_seen* log;    // null unless the check asked for one
  int row_line = 0;  // line of the row being read
  int row_column = 0;
  phase_outcome outcome;

  // Records a fault of the current row, in the model and in the outcome.
  void record(error code, std::optional<int32_t> chainage, std::string message = {}) {
    m.error_code = code_of(code);
    if (chainage) m.error_position = *chainage;
    outcome.error = build_error{code, chainage, file, row_line, {}, row_column, std::move(message)};
  }
  // A fault that ends the reader.
  row_end fail(error code, std::optional<int32_t> chainage = std::nullopt) {
    record(code, chainage);
    outcome.reader_ends = true;
    return row_end::failed;
  }
  // An item beyond the cells: only the pass over this text ends.
  row_end beyond(int32_t chainage, fit where = fit::beyond_end) {
    record(error::beyond_line, chainage,
           where == fit::before_origin ? "the item's cells would fall before the origin of the line" : "");
    return row_end::beyond;
  }

  // The field just read is the keyword field of what follows.
  void keyword_read() {
    row_line = in.line();
    row_column = in.column();
    if (log) log->keyword_fields.push_back(log->fields.size() - 1);
  }
  // A row opens on the keyword field just read, with `due` values.
  void open_row(const char* keyword, size_t due, bool general = false) {
    if (!log) return;
    row_open = true;
    row_seen r;
    r.keyword = keyword;
    r.keyword_field = log->keyword_fields.empty() ? 0 : log->keyword_fields.back();
    r.first_value = log->fields.size();
    r.values_due = due;
    r.in_general_block = general;
    log->rows.push_back(std::move(r));
    if (!m.cells.empty()) kinds_before.assign(m.cells.size(), 0);
    for (size_t i = 0; i < m.cells.size(); ++i) kinds_before[i] = m.cells[i].kind;
  }
  // The open row's values are read, or its reading stopped: what it read
  // and the cells it took.
  void close_row(bool complete = true) {
    if (!log || !row_open) return;
    row_open = false;
    row_seen& r = log->rows.back();
    r.values_read = log->fields.size() - r.first_value;
    r.complete = complete && r.values_read == r.values_due;
    if (kinds_before.size() != m.cells.size()) return;
    for (size_t i = 0; i < m.cells.size(); ++i)
      if (m.cells[i].kind != kinds_before[i]) r.placed.emplace_back(static_cast<int64_t>(i), m.cells[i].kind);
  }
  std::vector<uint8_t> kinds_before;
  bool row_open = false;
  // An unreadable text, with what made it so.
  [[noreturn]] void unreadable(std::string detail) const { throw read_failure{std::move(detail), row_line}; }

  // A cell the reader writes; one outside the array is an unreadable text
  // of no single row, never a write outside it.
  track_cell& cell(int64_t k) const {
    if (m.cells.empty()) throw read_failure{"no route length before the items of the line", 0};
    if (k < 0 || k > m.last_cell) throw read_failure{"cell " + std::to_string(k) + " lies outside the line", 0};
    return m.cells[static_cast<size_t>(k)];
  }

  // The bound test: (p + margin) / 50 above last_cell.
  bool beyond_line(int64_t p, int64_t margin) const { return p + margin > chainage_of_cell(m.last_cell); }
};

// A value that runs along the line from row to row (the gradient, the
// speed, the adhesion): each row fills the cells up to its own with the
// value in force, then puts its own in force; the end of the text fills
// the rest. No fill writes past its guard.
struct running_value {
  int64_t fill = 0;   // the next cell to fill
  int32_t value = 0;  // in force; nothing is before the first row

  // Cells from `fill` until `n`, at least one, through `store`.
  template <typename Store>
  void fill_until(int64_t n, int64_t guard, Store store) {
    do {
      if (fill >= guard) break;
      store(fill);
      ++fill;
    } while (fill < n);
  }
};

// A row of a chainage and a new running value: the bound test, then the
// fill up to round(chainage / 50).
template <typename Store>
row_end running_row(phase& p, running_value& v, int64_t guard, Store store) {
  const int32_t at = p.in.read_int32();
  const int32_t next = p.in.read_int32();
  if (p.beyond_line(at, 100)) return p.beyond(at);
  const int64_t n = round_div(at, metres_per_cell);
  if (n > 0) v.fill_until(n, guard, store);
  v.value = next;
  return row_end::done;
}

// Reads the next keyword field of a text's body into `field`, passing over
// up to two comment fields. False at the end of the text: its last field
// is never interpreted.
inline bool next_keyword_field(phase& p, std::string& field) {
  field_cursor& in = p.in;
  if (in.at_end()) return false;
  field = in.read_text();
  if (in.at_end()) return false;
  for (int i = 0; i < 2 && contains_exact(field, "-"); ++i) {
    field = in.read_text();
    if (in.at_end()) return false;
  }
  p.keyword_read();
  return true;
}

template <class Reader>
struct row_test {
  bool matches;
  row_end (Reader::*read)();
  const char* keyword;  // the row as the format names it
  size_t values;        // how many values it reads
};

// The body of either text: every keyword test is tried on each keyword
// field in order, each matching row reading its own fields. False when a
// row ended the reader.
template <class Reader>
bool read_body(Reader& reader) {
  phase& p = reader.p;
  for (;;) {
    if (!next_keyword_field(p, p.m.current_field)) return true;
    for (const row_test<Reader>& test : reader.tests_for(p.m.current_field)) {
      if (!test.matches) continue;
      p.open_row(test.keyword, test.values);
      const row_end r = (reader.*test.read)();
      p.close_row();
      if (r == row_end::beyond) return true;
      if (r == row_end::failed) return false;
    }
  }
}

// Runs a phase, turning an unreadable text into code 25 with its detail.
template <class Body>
phase_outcome run_guarded(phase& p, Body body) {
  try {
    body();
  } catch (const read_failure& f) {
    p.close_row(false);
    p.row_line = f.line;
    p.row_column = f.column;
    p.fail(error::unreadable_text);
    p.outcome.error->detail = f.detail;
  }
  if (p.log) p.log->fault = p.outcome.error;
  return p.outcome;
}

}  // namespace sb::reader
