// What the reader saw in each text, recorded only when the check of
// authors' texts asks for it: every field with its place, which fields were
// tested as keywords, the rows they opened, and the cells each row took.
// The reader reads exactly the same with or without a log.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "builder/error_codes.h"
#include "builder/field_cursor.h"

namespace sb {

// One row the reader opened on a keyword field.
struct row_seen {
  std::string keyword;        // the row as the format names it: "segnale"
  size_t keyword_field = 0;   // index into the text's fields
  size_t first_value = 0;     // its values are fields [first_value, first_value + values_read)
  size_t values_read = 0;
  size_t values_due = 0;      // how many values the row has
  bool in_general_block = false;
  bool complete = false;      // every value read, none unreadable
  // Cells whose kind the row set: (cell, kind), in the order set.
  std::vector<std::pair<int64_t, uint8_t>> placed;
};

struct text_seen {
  std::string file;  // as messages name it
  std::string text;  // the bytes read
  bool read = false;
  std::vector<field_seen> fields;
  std::vector<size_t> keyword_fields;  // fields tested against the keywords
  std::vector<row_seen> rows;
  size_t generale_field = SIZE_MAX;    // the field holding "[generale]"
  size_t general_block_end = SIZE_MAX; // the line text's field that ended its general block
  std::optional<build_error> fault;    // what the phase over this text recorded
};

struct reader_log {
  text_seen line;
  text_seen train;
  // The reader's own fault, which a fault of the protection pass replaces
  // in the build's outcome.
  std::optional<build_error> reader_fault;
  // Every fault the protection pass recorded, not only the last.
  std::vector<build_error> pass_faults;
};

}  // namespace sb
