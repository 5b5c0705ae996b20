// What the two phases of the reader share: the record of a row's fault,
// the bound test, and the loop over a text's body. Internal to the reader.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <tuple>

#include "builder/field_cursor.h"
#include "builder/build_observer.h"
#include "builder/keywords.h"
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
  phase(scenario_model& model, std::string_view text, const std::string& file_name, text_role role,
        build_observer* observer)
      : m(model), file(file_name), in(text), seen(observer) {
    if (seen == nullptr) return;
    seen->text_begun(role, file_name, text);
    in.trace_into(seen);
  }

  scenario_model& m;
  const std::string& file;  // the text being read, as messages name it
  field_cursor in;
  build_observer* seen;  // null unless someone watches the build
  int row_line = 0;      // place of the keyword field of the row being read
  int row_column = 0;
  bool row_open = false;
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

  // The field just read is the keyword field of what follows, found after
  // passing over `comments` of the `allowed` comment fields.
  void keyword_read(int comments, int allowed) {
    row_line = in.line();
    row_column = in.column();
    if (seen) seen->keyword_field(comments, allowed);
  }
  // A row opens on the keyword field just read.
  void open_row(const keyword_info& k, bool general = false) {
    row_open = true;
    if (seen) seen->row_opened(k, general);
  }
  // The open row's values are read, or its reading stopped.
  void close_row(bool complete = true) {
    if (!row_open) return;
    row_open = false;
    if (seen) seen->row_closed(complete);
  }
  // What the open row's item did with the cells and its values.
  void taken(int64_t cell, uint8_t kind) const {
    if (seen) seen->cell_taken(cell, kind);
  }
  void refused(int64_t cell) const {
    if (seen) seen->cell_refused(cell);
  }
  void stored(size_t value, int64_t written, int64_t kept, stored_how how, int64_t into = -1,
              std::string_view what = {}) const {
    if (seen && written != kept) seen->value_stored({value, written, kept, how, into, what});
  }
  // A chainage of the open row off the 50 m grid lands in this cell, the
  // cell of the chainage `grid` on the grid.
  void landed(size_t value, int64_t chainage, int64_t into, int64_t grid) const {
    if (seen && chainage % metres_per_cell != 0)
      seen->value_stored({value, chainage, grid, stored_how::landed, into, {}});
  }
  // The open row's item went into this row of the table.
  void table_row_filled(int row) const {
    if (seen) seen->table_row_filled(row);
  }

  // An unreadable text, with what made it so, at the open row.
  [[noreturn]] void unreadable(std::string detail) const {
    throw read_failure{std::move(detail), row_line, row_column};
  }

  // A cell the reader writes; one outside the array is an unreadable text
  // at the row that asked for it, never a write outside it.
  track_cell& cell(int64_t k) const {
    if (m.cells.empty()) {
      if (!row_open)
        throw read_failure{"the line text gives no route length: its general block must have a "
                           "`lunghezza percorso` row",
                           0, 0};
      throw read_failure{"no route length before this item: the line text's general block must give one",
                         row_line, row_column};
    }
    if (k < 0 || k > m.last_cell)
      throw read_failure{"cell " + std::to_string(k) + " lies outside the line", row_line, row_column};
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
  int line = 0;       // the keyword field of the row that put it in force
  int column = 0;

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
  p.landed(0, at, n, chainage_of_cell(n));
  if (n > 0) v.fill_until(n, guard, store);
  v.value = next;
  v.line = p.row_line;
  v.column = p.row_column;
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
  constexpr int comments_allowed = 2;
  int comments = 0;
  for (; comments < comments_allowed && contains_exact(field, "-"); ++comments) {
    field = in.read_text();
    if (in.at_end()) return false;
  }
  p.keyword_read(comments, comments_allowed);
  return true;
}

// A row of the keyword table and the function of its reader that reads it.
template <class Reader>
struct row_test {
  keyword_id id;
  row_end (Reader::*read)();
};

// The body of either text: every keyword of the text is tested on each
// keyword field in the table's order, each matching row reading its own
// fields. All tests look at the field as it was read, before any row.
// False when a row ended the reader.
template <class Reader>
bool read_body(Reader& reader) {
  phase& p = reader.p;
  constexpr size_t count = std::tuple_size_v<decltype(Reader::rows)>;
  for (;;) {
    if (!next_keyword_field(p, p.m.current_field)) return true;
    std::array<bool, count> matches{};
    for (size_t i = 0; i < count; ++i) matches[i] = field_names(keyword(Reader::rows[i].id), p.m.current_field);
    for (size_t i = 0; i < count; ++i) {
      if (!matches[i]) continue;
      const keyword_info& k = keyword(Reader::rows[i].id);
      if (k.needs_plan && p.m.geometry_flag == 0) {
        if (p.seen) p.seen->row_passed_over(k);
        continue;
      }
      p.open_row(k);
      const row_end r = (reader.*Reader::rows[i].read)();
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
  if (p.seen && p.outcome.error) p.seen->reader_fault(*p.outcome.error);
  return p.outcome;
}

}  // namespace sb::reader
