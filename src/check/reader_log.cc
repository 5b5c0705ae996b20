#include "check/reader_log.h"

#include <algorithm>
#include <tuple>

namespace sb {

std::optional<size_t> text_seen::field_at(int at_line, int column) const {
  // Fields are read in the order of the text; the last one that begins at
  // the place is the one meant.
  const auto after = std::upper_bound(fields.begin(), fields.end(), std::pair(at_line, column),
                                      [](const std::pair<int, int>& place, const field_seen& f) {
                                        return place < std::pair(f.line, f.column);
                                      });
  if (after == fields.begin()) return std::nullopt;
  const size_t i = static_cast<size_t>(after - fields.begin()) - 1;
  if (fields[i].line != at_line || fields[i].column != column) return std::nullopt;
  return i;
}

const row_seen* text_seen::row_holding(size_t field) const {
  if (field >= row_of_field.size() || row_of_field[field] < 0) return nullptr;
  return &rows[static_cast<size_t>(row_of_field[field])];
}

std::string_view text_seen::line(int number) const {
  if (number < 1 || static_cast<size_t>(number) > line_starts.size()) return {};
  const std::string_view all(text);
  const size_t start = line_starts[static_cast<size_t>(number) - 1];
  size_t end = static_cast<size_t>(number) < line_starts.size() ? line_starts[static_cast<size_t>(number)] - 1
                                                                : all.size();
  if (end > start && all[end - 1] == '\r') --end;
  return all.substr(start, end - start);
}

namespace {

// The lines of a text begin after each LF, as the reader counts them.
std::vector<size_t> line_starts_of(std::string_view text) {
  std::vector<size_t> starts{0};
  for (size_t i = 0; i < text.size(); ++i)
    if (text[i] == '\n') starts.push_back(i + 1);
  return starts;
}

// Which row holds each field: its keyword field and its values (the
// first value field even when none was read); a later row over an earlier.
void index_rows(text_seen& t) {
  t.row_of_field.assign(t.fields.size(), -1);
  for (size_t i = 0; i < t.rows.size(); ++i) {
    const row_seen& r = t.rows[i];
    const auto mark = [&](size_t f) {
      if (f < t.row_of_field.size()) t.row_of_field[f] = static_cast<int32_t>(i);
    };
    mark(r.keyword_field);
    const size_t last = r.first_value + std::max<size_t>(r.values_read, 1);
    for (size_t f = r.first_value; f < last; ++f) mark(f);
  }
}

}  // namespace

reader_log::reader_log(const text_names& names) {
  line.file = names.line;
  train.file = names.train;
}

const text_seen* reader_log::text_named(const std::string& file) const {
  if (file == line.file) return &line;
  if (file == train.file) return &train;
  return nullptr;
}

void reader_log::field_read(const field_seen& f) {
  if (current_) current_->fields.push_back(f);
}

void reader_log::text_begun(text_role role, const std::string& file, std::string_view bytes) {
  current_ = role == text_role::line ? &line : &train;
  current_->file = file;
  current_->text = std::string(bytes);
  current_->read = true;
  current_->line_starts = line_starts_of(bytes);
  in_general_block_ = false;
}

void reader_log::generale_found() {
  if (!current_) return;
  current_->generale_field = current_->fields.size() - 1;
  in_general_block_ = current_ == &line;
}

void reader_log::keyword_field(int comments_passed, int comments_allowed) {
  if (!current_) return;
  current_->keyword_fields.push_back(
      {current_->fields.size() - 1, comments_passed, comments_allowed, in_general_block_, nullptr});
}

void reader_log::general_block_ended() {
  if (!current_ || current_->keyword_fields.empty()) return;
  current_->general_block_end = current_->keyword_fields.back().field;
  in_general_block_ = false;
}

void reader_log::row_opened(const keyword_info& k, bool in_general_block) {
  if (!current_) return;
  row_seen r;
  r.info = &k;
  r.keyword = std::string(k.keyword);
  r.keyword_field = current_->keyword_fields.empty() ? 0 : current_->keyword_fields.back().field;
  r.first_value = current_->fields.size();
  r.values_due = k.fields.size();
  r.in_general_block = in_general_block;
  current_->rows.push_back(std::move(r));
  open_row_ = &current_->rows.back();
}

void reader_log::row_passed_over(const keyword_info& k) {
  if (current_ && !current_->keyword_fields.empty()) current_->keyword_fields.back().passed_over = &k;
}

void reader_log::row_closed(bool complete) {
  if (!current_ || !open_row_) return;
  row_seen& r = *open_row_;
  r.values_read = current_->fields.size() - r.first_value;
  r.complete = complete && r.values_read == r.values_due;
  open_row_ = nullptr;
}

void reader_log::cell_taken(int64_t cell, uint8_t kind) {
  if (open_row_) open_row_->placed.emplace_back(cell, kind);
}

void reader_log::cell_refused(int64_t cell) {
  if (open_row_) open_row_->refused.push_back(cell);
}

void reader_log::value_stored(const stored_value& v) {
  if (open_row_) open_row_->stored.push_back(v);
}

void reader_log::table_row_filled(int row) {
  if (open_row_) open_row_->table_row = row;
}

void reader_log::reader_fault(const build_error& e) { reader_faults.push_back(e); }

void reader_log::reader_done(const std::optional<build_error>& fault) {
  ended_with = fault;
  current_ = nullptr;
  open_row_ = nullptr;
  index_rows(line);
  index_rows(train);
}

void reader_log::point_added(int64_t cell, int64_t slowdown_cell, bool lowered) {
  points_added.push_back({cell, slowdown_cell, lowered});
}

void reader_log::pass_fault(const build_error& e, int64_t slowdown_cell, std::optional<int64_t> signal_cell) {
  pass_faults.push_back({e, slowdown_cell, signal_cell});
}

}  // namespace sb
