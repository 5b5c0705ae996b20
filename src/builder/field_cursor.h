// Cuts a scenario text into fields, one at a time, the way the reader asks
// for them: as text (up to a comma or a line end) or as a number (which also
// ends at a blank).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace sb {

// Thrown inside the reader when a text cannot be read as it must: the
// reader turns it into code 25. It never leaves the reader.
struct read_failure {
  std::string detail;
  int line = 0;
  int column = 0;  // 0 when the failure belongs to no field
};

// Where one field stood in its text, as the cursor read it.
struct field_seen {
  int line = 0;       // from 1
  int column = 0;     // from 1, of the field's first byte after its blanks
  size_t begin = 0;   // the field's bytes: [begin, end) of the text
  size_t end = 0;
  int next_line = 0;  // the line the next field begins on
};

// Told of every field a cursor reads.
class field_trace {
 public:
  virtual ~field_trace() = default;
  virtual void field_read(const field_seen&) = 0;
};

class field_cursor {
 public:
  explicit field_cursor(std::string_view bytes) : bytes_(bytes) {}

  // No byte remains.
  bool at_end() const { return pos_ >= bytes_.size(); }
  // Line (from 1) on which the last field read began, and its column.
  int line() const { return field_line_; }
  int column() const { return field_column_; }
  // Every field read from now on is also recorded here (for the check of
  // authors' texts); reading itself does not change.
  void trace_into(field_trace* trace) { trace_ = trace; }
  // Line the next field would begin on.
  int next_line() const { return line_; }

  // A text field: leading blanks skipped, up to a comma or a line end
  // (CR LF or a lone LF), which is consumed; trailing blanks dropped.
  std::string read_text();

  // A number field: an optional minus sign and decimal digits, ending at a
  // comma, a blank or a line end; blanks after it and one comma or line end
  // that follows are consumed with it. Outside [min, max] it fails.
  int64_t read_number(int64_t min, int64_t max, std::string_view type_name);

  int32_t read_int32() { return static_cast<int32_t>(read_number(INT32_MIN, INT32_MAX, "a 32-bit number")); }
  int16_t read_int16() { return static_cast<int16_t>(read_number(INT16_MIN, INT16_MAX, "a 16-bit number")); }
  uint8_t read_byte() { return static_cast<uint8_t>(read_number(0, 255, "a byte (0 to 255)")); }

 private:
  void skip_blanks();
  // Length of the line end at `pos_` (2 for CR LF, 1 for LF), else 0.
  size_t line_end_length() const;
  void begin_field(std::string_view what);
  // The field that began at `start` and ends at `end` (before its
  // separator).
  void seen(size_t start, size_t end);
  [[noreturn]] void fail(std::string detail) const;

  std::string_view bytes_;
  size_t pos_ = 0;
  int line_ = 1;
  size_t line_start_ = 0;
  int field_line_ = 1;
  int field_column_ = 1;
  field_trace* trace_ = nullptr;
};

// Keyword tests: substring, ASCII case folded or exact.
bool contains_folded(std::string_view field, std::string_view word);
bool contains_exact(std::string_view field, std::string_view word);

}  // namespace sb
