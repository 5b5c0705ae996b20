// What a build tells whoever watches it, as it goes: every field it reads
// and where, the rows it opens, the cells their items take or were refused,
// every value it stores otherwise than written (rounded, narrowed, wrapped,
// raised, moved to the grid) and every value it passes over, and each fault
// with the cells it concerns. The build reads and writes exactly the same
// whether it is watched or not; it knows nothing of who watches.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "builder/error_codes.h"
#include "builder/field_cursor.h"
#include "builder/keywords.h"

namespace sb {

// How a value reached its compiled field.
enum class stored_how {
  rounded,  // to the nearest unit of its field (a speed to 5 km/h)
  narrowed, // only its low 16 bits kept
  wrapped,  // only its low 8 bits kept
  raised,   // set to the field's least value (a signal time of 1 to 100 is 101)
  replaced, // a rule of the format stored another value (a mountain zone close to the one before is kind 3)
  landed,   // a chainage off the 50 m grid, placed in the cell the rounding gives
  dropped,  // not stored at all (a signal time when sx is not 2)
};

// One value of the open row, as it was stored.
struct stored_value {
  size_t value = 0;       // which of the row's values, from 0
  int64_t written = 0;    // as the text gives it
  int64_t stored = 0;     // what the field holds, read as the same quantity
  stored_how how = stored_how::rounded;
  int64_t cell = -1;      // the cell it went into, when one
  std::string_view what;  // what the value is, when it is not the field itself ("left speed a")
};

class build_observer : public field_trace {
 public:
  ~build_observer() override = default;

  // A text's reading begins; every field read from it follows.
  virtual void text_begun(text_role, const std::string& file, std::string_view bytes) = 0;
  // The field just read holds "[generale]".
  virtual void generale_found() = 0;
  // The field just read is tested against the keywords, after
  // `comments_passed` comment fields of the `comments_allowed` the reader
  // passes over.
  virtual void keyword_field(int comments_passed, int comments_allowed) = 0;
  // The field just read ended the line text's general block.
  virtual void general_block_ended() = 0;
  // A row opens on the last keyword field, with its values to follow.
  virtual void row_opened(const keyword_info&, bool in_general_block) = 0;
  // The keyword field names a row the build does not read now (curves
  // without a plan).
  virtual void row_passed_over(const keyword_info&) = 0;
  // The open row's values are read, or its reading stopped.
  virtual void row_closed(bool complete) = 0;
  // The open row's item took this cell, making it of this kind.
  virtual void cell_taken(int64_t cell, uint8_t kind) = 0;
  // The open row's item needed this cell, which another item holds.
  virtual void cell_refused(int64_t cell) = 0;
  virtual void value_stored(const stored_value&) = 0;
  // The open row's item went into this row of the table.
  virtual void table_row_filled(int row) = 0;
  // A fault a phase of the reader recorded; the model keeps the last.
  virtual void reader_fault(const build_error&) = 0;
  // The reader is done; its fault, if any, is the one the build keeps
  // unless the protection pass records one after it.
  virtual void reader_done(const std::optional<build_error>& fault) = 0;
  // The protection pass put a speed-reduction point into a cell, or
  // lowered the one there, for the slowdown that starts (or is warned) at
  // `slowdown_cell`.
  virtual void point_added(int64_t cell, int64_t slowdown_cell, bool lowered) = 0;
  // A fault of the protection pass: the slowdown's start or warning cell,
  // and the signal it concerns, when one.
  virtual void pass_fault(const build_error&, int64_t slowdown_cell, std::optional<int64_t> signal_cell) = 0;
};

}  // namespace sb
