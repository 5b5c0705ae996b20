#include "builder/field_cursor.h"

#include "builder/error_codes.h"

namespace sb {

namespace {
bool is_blank(char c) { return c == ' ' || c == '\t'; }
bool is_digit(char c) { return c >= '0' && c <= '9'; }
char fold(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }
}  // namespace

void field_cursor::skip_blanks() {
  while (!at_end() && is_blank(bytes_[pos_])) ++pos_;
}

size_t field_cursor::line_end_length() const {
  if (at_end()) return 0;
  if (bytes_[pos_] == '\n') return 1;
  if (bytes_[pos_] == '\r' && pos_ + 1 < bytes_.size() && bytes_[pos_ + 1] == '\n') return 2;
  return 0;
}

void field_cursor::fail(std::string detail) const {
  throw read_failure{std::move(detail), field_line_, field_column_};
}

void field_cursor::begin_field(std::string_view what) {
  field_line_ = line_;
  field_column_ = static_cast<int>(pos_ - line_start_) + 1;
  if (at_end()) {
    seen(pos_, pos_);
    fail("the file ends where " + std::string(what) + " is due");
  }
}

void field_cursor::seen(size_t start, size_t end) {
  if (trace_ != nullptr) trace_->field_read({field_line_, field_column_, start, end, line_});
}

std::string field_cursor::read_text() {
  begin_field("a field");
  skip_blanks();
  const size_t start = pos_;
  field_column_ = static_cast<int>(start - line_start_) + 1;
  size_t end = pos_;
  while (!at_end()) {
    if (bytes_[pos_] == ',') {
      end = pos_++;
      break;
    }
    if (const size_t n = line_end_length()) {
      end = pos_;
      pos_ += n;
      ++line_;
      line_start_ = pos_;
      break;
    }
    end = ++pos_;
  }
  while (end > start && is_blank(bytes_[end - 1])) --end;
  seen(start, end);
  return std::string(bytes_.substr(start, end - start));
}

int64_t field_cursor::read_number(int64_t min, int64_t max, std::string_view type_name) {
  begin_field("a number");
  skip_blanks();
  const size_t start = pos_;
  field_column_ = static_cast<int>(start - line_start_) + 1;
  while (!at_end() && bytes_[pos_] != ',' && !is_blank(bytes_[pos_]) && line_end_length() == 0) ++pos_;
  const std::string_view token = bytes_.substr(start, pos_ - start);
  const size_t token_end = pos_;

  skip_blanks();
  if (!at_end() && bytes_[pos_] == ',') {
    ++pos_;
  } else if (const size_t n = line_end_length()) {
    pos_ += n;
    ++line_;
    line_start_ = pos_;
  }
  seen(start, token_end);

  size_t i = 0;
  const bool negative = !token.empty() && token[0] == '-';
  if (negative) i = 1;
  if (i == token.size()) fail(token.empty() ? "a number is missing" : quoted_for_message(token) + " is not a number");
  // Magnitudes beyond this are out of every field's range anyway.
  constexpr int64_t cap = int64_t{1} << 40;
  int64_t magnitude = 0;
  for (; i < token.size(); ++i) {
    if (!is_digit(token[i])) fail(quoted_for_message(token) + " is not a number");
    if (magnitude < cap) magnitude = magnitude * 10 + (token[i] - '0');
  }
  const int64_t value = negative ? -magnitude : magnitude;
  if (value < min || value > max)
    // Only digits here: safe to show, but a long run of them is cut.
    fail((token.size() <= 40 ? std::string(token) : std::string(token.substr(0, 40)) + "...") + " does not fit " +
         std::string(type_name));
  return value;
}

bool contains_exact(std::string_view field, std::string_view word) {
  return field.find(word) != std::string_view::npos;
}

bool contains_folded(std::string_view field, std::string_view word) {
  if (word.size() > field.size()) return false;
  for (size_t at = 0; at + word.size() <= field.size(); ++at) {
    size_t k = 0;
    while (k < word.size() && fold(field[at + k]) == fold(word[k])) ++k;
    if (k == word.size()) return true;
  }
  return false;
}

}  // namespace sb
