// Cuts a scenario text into fields, one at a time, the way the reader asks
// for them: as text (up to a comma or a line end) or as a number (which also
// ends at a blank).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace sb {

// Thrown inside the reader when a text cannot be read as it must: the
// reader turns it into code 25. It never leaves the reader.
struct read_failure {
  std::string detail;
  int line = 0;
};

class field_cursor {
 public:
  explicit field_cursor(std::string_view bytes) : bytes_(bytes) {}

  // No byte remains.
  bool at_end() const { return pos_ >= bytes_.size(); }
  // Line (from 1) on which the last field read began.
  int line() const { return field_line_; }
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
  [[noreturn]] void fail(std::string detail) const;

  std::string_view bytes_;
  size_t pos_ = 0;
  int line_ = 1;
  int field_line_ = 1;
};

// Keyword tests: substring, ASCII case folded or exact.
bool contains_folded(std::string_view field, std::string_view word);
bool contains_exact(std::string_view field, std::string_view word);

}  // namespace sb
