#include "builder/scenario_check.h"

#include <algorithm>
#include <map>
#include <memory>
#include <tuple>
#include <optional>

#include "builder/check_support.h"
#include "builder/recorders.h"
#include "builder/rounding.h"
#include "builder/scenario_reader.h"
#include "builder/text_warnings.h"

namespace sb {

namespace {

using check::at_field;
using check::number_of;

// The texts of the check's builds, held in memory: read from there,
// written nowhere. Each build deletes its copy of them, as the reader does.
class held_texts : public file_system {
 public:
  io_result read_file(const std::string& path, std::string& contents, size_t) override {
    const auto it = texts.find(path);
    if (it == texts.end()) return io_result::missing(path, "No such file or directory");
    contents = it->second;
    return io_result::success();
  }
  io_result write_files(std::span<const file_to_write>) override { return io_result::success(); }
  io_result remove_file(const std::string& path) override {
    texts.erase(path);
    return io_result::success();
  }
  locked_folder lock_folder(const std::string&) override { return {}; }

  std::map<std::string, std::string> texts;
};

std::string shown_name(const std::string& shown_folder, const std::string& name) {
  return shown_folder.empty() ? name : join_path(shown_folder, name);
}

// Which item a cell's kind marks, as a person names it.
std::string part_of(uint8_t kind, const std::string& noun) {
  switch (kind) {
    case cell_kind::slowdown_end: return "the end of the " + noun;
    case cell_kind::slowdown_start: return "the start of the " + noun;
    case cell_kind::slowdown_warning: return "the warning point of the " + noun;
    case cell_kind::slowdown_approach: return "an approach cell of the " + noun;
    case cell_kind::station_end: return "the end marker of the " + noun;
    default: break;
  }
  return "the " + noun;
}

std::string noun_of(const std::string& keyword) {
  static const std::map<std::string, std::string> nouns{
      {"segnale", "signal"},
      {"rallentamento", "slowdown"},
      {"cartello_indicatore", "indication board"},
      {"indicatori_vmax", "maximum-speed indicator board"},
      {"abbattimento", "speed-reduction point"},
      {"stazione", "station"},
      {"montagna", "mountain zone"}};
  const auto it = nouns.find(keyword);
  return it == nouns.end() ? "`" + keyword + "` row" : it->second;
}

// A row of a text, and the text it stands in.
struct located {
  const text_seen* text = nullptr;
  const row_seen* row = nullptr;
  explicit operator bool() const { return row != nullptr; }
};

// What the check knows of one build: its record, its model, and which row
// put the item into each cell.
class build_view {
 public:
  build_view(const reader_log& log, const scenario_model& m, const shown_names& shown, const text_names& names)
      : log_(log), m_(m), shown_(shown), names_(names), owners_(m.cells.size()) {
    for (const text_seen* t : {&log.line, &log.train})
      for (const row_seen& r : t->rows)
        for (const auto& [cell, kind] : r.placed)
          if (cell >= 0 && static_cast<size_t>(cell) < owners_.size()) owners_[static_cast<size_t>(cell)] = {t, &r};
  }

  const text_seen* text_named(const std::string& file) const {
    if (file == names_.line) return &log_.line;
    if (file == names_.train) return &log_.train;
    return nullptr;
  }
  const std::string& shown(const text_seen* t) const { return t == &log_.line ? shown_.line : shown_.train; }

  // The field read at a place, and the row it belongs to.
  std::optional<size_t> field_at(const text_seen& t, int line, int column) const {
    for (size_t i = t.fields.size(); i-- > 0;)
      if (t.fields[i].line == line && t.fields[i].column == column) return i;
    return std::nullopt;
  }
  located row_holding(const text_seen& t, size_t field) const {
    for (size_t i = t.rows.size(); i-- > 0;) {
      const row_seen& r = t.rows[i];
      if (r.keyword_field == field || (field >= r.first_value && field < r.first_value + std::max<size_t>(r.values_read, 1)))
        return {&t, &r};
    }
    return {};
  }
  located row_of(const build_error& e) const {
    const text_seen* t = text_named(e.file);
    if (t == nullptr || e.line == 0) return {};
    const auto field = field_at(*t, e.line, e.column);
    return field ? row_holding(*t, *field) : located{};
  }

  std::optional<int64_t> chainage_of(const located& l) const {
    if (!l || l.row->values_read == 0) return std::nullopt;
    return number_of(*l.text, l.text->fields[l.row->first_value]);
  }
  // "the slowdown at line 21, 12850 m"
  std::string named(const located& l, uint8_t kind) const {
    std::string s = part_of(kind, noun_of(l.row->keyword)) + " at line " +
                    std::to_string(l.text->fields[l.row->keyword_field].line);
    if (const auto at = chainage_of(l)) s += ", " + std::to_string(*at) + " m";
    return s;
  }
  located owner(int64_t cell) const {
    if (cell < 0 || static_cast<size_t>(cell) >= owners_.size()) return {};
    return owners_[static_cast<size_t>(cell)];
  }
  uint8_t kind_at(int64_t cell) const {
    return cell >= 0 && cell <= m_.last_cell && static_cast<size_t>(cell) < m_.cells.size()
               ? m_.cells[static_cast<size_t>(cell)].kind
               : 0;
  }
  // The nearest cell at or before `from`, down to `to`, of this kind.
  std::optional<int64_t> find_back(int64_t from, int64_t to, uint8_t kind) const {
    for (int64_t c = from; c >= std::max<int64_t>(to, 0); --c)
      if (kind_at(c) == kind) return c;
    return std::nullopt;
  }
  std::optional<int64_t> find_ahead(int64_t from, int64_t to, uint8_t kind) const {
    for (int64_t c = std::max<int64_t>(from, 0); c <= to; ++c)
      if (kind_at(c) == kind) return c;
    return std::nullopt;
  }

  const scenario_model& model() const { return m_; }
  const reader_log& log() const { return log_; }

 private:
  const reader_log& log_;
  const scenario_model& m_;
  const shown_names& shown_;
  const text_names& names_;
  std::vector<located> owners_;
};

// The cell a row's item needed when its cell was taken.
std::optional<int64_t> needed_cell(const build_view& v, const build_error& e, const located& row) {
  if (!e.chainage) return std::nullopt;
  const int64_t at = *e.chainage;
  switch (e.code) {
    case error::board_cell_taken:
    case error::signal_cell_taken:
    case error::indicator_cell_taken: return item_cell(at);
    case error::reduction_cell_taken: return round_div(at, metres_per_cell);
    default: break;
  }
  if (!row || row.row->values_read < 3) return std::nullopt;
  const slowdown_cells c = cells_of_slowdown(at, number_of(*row.text, row.text->fields[row.row->first_value + 2]));
  switch (e.code) {
    case error::warning_cell_taken: return c.warning;
    case error::start_cell_taken: return c.start;
    case error::end_cell_taken: return c.end;
    case error::approach_cell_taken:
      for (int64_t i = 0; i <= 3; ++i) {
        const uint8_t kind = v.kind_at(c.approach - i);
        if (kind != cell_kind::empty && kind != cell_kind::mountain_marker) return c.approach - i;
      }
      break;
    default: break;
  }
  return std::nullopt;
}

diagnostic error_at(const build_view& v, const located& row, const build_error& e) {
  diagnostic d;
  const field_seen& k = row.text->fields[row.row->keyword_field];
  d = at_field(*row.text, k, v.shown(row.text), severity::error, std::string(name_of(e.code)), "");
  d.code = e.code;
  d.chainage = e.chainage;
  return d;
}

// The diagnostic of a fault the reader or the stamping recorded, at the
// row it belongs to, and the row.
std::pair<diagnostic, located> reader_fault(const build_view& v, const build_error& e) {
  std::string message(e.message.empty() ? meaning_of(e.code) : std::string_view(e.message));
  const text_seen* t = v.text_named(e.file);
  located row = v.row_of(e);
  diagnostic d;
  if (row) {
    d = error_at(v, row, e);
    const field_seen& k = row.text->fields[row.row->keyword_field];
    const auto failed = v.field_at(*t, e.line, e.column);
    if (e.code == error::unreadable_text && failed && t->fields[*failed].line > k.line) {
      // A missing field: the reader took the next line's field in its place.
      const size_t had = *failed - row.row->first_value;
      message += ": row `" + row.row->keyword + "` at line " + std::to_string(k.line) + " has " + std::to_string(had) +
                 " of its " + std::to_string(row.row->values_due) + " values; the next field, at line " +
                 std::to_string(t->fields[*failed].line) + ", is read in their place";
    } else if (failed) {
      d = at_field(*t, t->fields[*failed], v.shown(t), severity::error, std::string(name_of(e.code)), "");
      d.code = e.code;
      d.chainage = e.chainage;
    }
    if (const auto cell = needed_cell(v, e, row))
      if (const located holder = v.owner(*cell))
        message += ": taken by " + v.named(holder, v.kind_at(*cell));
  } else {
    d.level = severity::error;
    d.code = e.code;
    d.name = std::string(name_of(e.code));
    d.chainage = e.chainage;
    d.file = t ? v.shown(t) : e.file;
    if (t && t->read) {
      d.line = 1;
      d.column = 1;
      d.source = std::string(check::line_text(*t, 1));
    }
  }
  if (!e.detail.empty()) message += " (" + e.detail + ")";
  if (t && t->read && (e.code == error::unreadable_text || e.code == error::no_generale)) {
    if (const std::string trouble = encoding_trouble(t->text); !trouble.empty()) message += "; " + trouble;
  }
  d.message = message;
  return {d, row};
}

// A fault of the protection pass, at the slowdown it belongs to.
diagnostic pass_fault(const build_view& v, const build_error& e) {
  const int64_t cell = e.chainage ? *e.chainage / metres_per_cell : 0;
  located slowdown, signal;
  std::string message(meaning_of(e.code));
  switch (e.code) {
    case error::no_room_before_warning:
      signal = v.owner(cell);
      if (const auto w = v.find_ahead(cell + 1, cell + 20, cell_kind::slowdown_warning)) slowdown = v.owner(*w);
      if (signal) message += ": in front of " + v.named(signal, cell_kind::signal);
      if (slowdown) message += ", which stands before " + v.named(slowdown, cell_kind::slowdown_warning);
      break;
    case error::no_room_before_start:
      slowdown = v.owner(cell);
      if (slowdown) message += ": " + v.named(slowdown, 0);
      break;
    default:
      if (const auto s = v.find_back(cell, cell - 20000, cell_kind::slowdown_start)) slowdown = v.owner(*s);
      if (slowdown) message = "no room for a speed-reduction point along or after " + v.named(slowdown, 0);
      if (const auto s = v.find_ahead(cell, cell + 12, cell_kind::signal))
        if (const located after = v.owner(*s)) message += " (before " + v.named(after, cell_kind::signal) + ")";
      break;
  }
  diagnostic d;
  if (slowdown) {
    d = error_at(v, slowdown, e);
  } else {
    d.level = severity::error;
    d.name = std::string(name_of(e.code));
    d.code = e.code;
    d.chainage = e.chainage;
  }
  d.message = message;
  return d;
}

// The kilometric progression rows whose start or value is off the grid.
std::vector<located> progressions_off_grid(const build_view& v) {
  std::vector<located> rows;
  const text_seen& t = v.log().line;
  for (const row_seen& r : t.rows)
    if (r.keyword.rfind("progressiva", 0) == 0 && r.values_read >= 2 &&
        (number_of(t, t.fields[r.first_value]) % 50 != 0 || number_of(t, t.fields[r.first_value + 1]) % 50 != 0))
      rows.push_back({&t, &r});
  return rows;
}

// Blanks the lines of a row in the held text, keeping every line and
// column where it was: an empty field matches no keyword.
void leave_out(held_texts& held, const std::string& path, const located& l, int failed_line) {
  std::string& text = held.texts[path];
  const int first = l.text->fields[l.row->keyword_field].line;
  int last = first;
  if (l.row->values_read > 0) last = l.text->fields[l.row->first_value + l.row->values_read - 1].line;
  if (failed_line > first) last = std::max(first, failed_line - 1);
  int line = 1;
  for (char& c : text) {
    if (c == '\n') {
      ++line;
      continue;
    }
    if (line >= first && line <= last && c != '\r') c = ' ';
  }
}

bool ordered_before(const diagnostic& a, const diagnostic& b, const shown_names& shown) {
  const auto rank = [&](const std::string& f) { return f == shown.line ? 0 : f == shown.train ? 1 : 2; };
  return std::tuple(rank(a.file), a.line, a.column) < std::tuple(rank(b.file), b.line, b.column);
}

void sort_diagnostics(std::vector<diagnostic>& ds, const shown_names& shown) {
  std::stable_sort(ds.begin(), ds.end(), [&](const diagnostic& a, const diagnostic& b) { return ordered_before(a, b, shown); });
}

struct scenario_names {
  text_names names;
  shown_names shown;
};
scenario_names names_of(const check_options& o) {
  const text_names names{line_file_name(o.id), train_file_name(o.id)};
  return {names, {shown_name(o.shown_folder, names.line), shown_name(o.shown_folder, names.train)}};
}

// One build of the held texts, with its record.
struct one_build {
  scenario_model model;
  reader_log log;
  compile_result result;
};
std::unique_ptr<one_build> build_held(const held_texts& held, const check_options& o) {
  auto b = std::make_unique<one_build>();
  held_texts copy = held;
  b->model.route_name = o.id.route_name;
  b->model.train_number = o.id.train_number;
  b->result = memorizza_percorso(b->model, o.geometry, copy, o.folder, write_policy::always, &b->log);
  return b;
}

// What one build tells of its faults: their diagnostics, and whether rows
// could be left out to look further.
struct fault_step {
  std::vector<diagnostic> found;
  bool go_on = false;
};

fault_step faults_of(const one_build& b, const build_view& v, held_texts& held, const check_options& o,
                     const scenario_names& n) {
  fault_step step;
  const auto blame = [&](const located& row, diagnostic d, int failed_line) {
    step.found.push_back(std::move(d));
    if (!row) return;
    leave_out(held, join_path(o.folder, row.text == &b.log.line ? n.names.line : n.names.train), row, failed_line);
    step.go_on = true;
  };
  // An item the line text left beyond the cells ends the reader at the
  // train text's first signal or slowdown: the line text's row is at fault.
  const bool left_by_line = b.log.line.fault && b.log.line.fault->code == error::beyond_line;
  if (const std::optional<build_error>& e = left_by_line ? b.log.line.fault : b.log.reader_fault) {
    if (e->code == error::progression_off_grid) {
      for (const located& row : progressions_off_grid(v)) {
        build_error at = *e;
        diagnostic d = error_at(v, row, at);
        d.message = std::string(meaning_of(e->code));
        blame(row, d, 0);
      }
      if (!step.found.empty()) return step;
    }
    auto [d, row] = reader_fault(v, *e);
    const text_seen* t = v.text_named(e->file);
    const auto failed = t ? v.field_at(*t, e->line, e->column) : std::nullopt;
    blame(row, d, failed ? t->fields[*failed].line : 0);
    return step;
  }
  if (b.result.error && stops_the_build(b.result.error->code)) {
    build_error e = *b.result.error;
    const located holder = v.owner(1);
    diagnostic d;
    if (holder) {
      d = error_at(v, holder, e);
      d.message = std::string(meaning_of(e.code)) + ": " + v.named(holder, v.kind_at(1)) + " stands in cell 1";
    } else {
      d = reader_fault(v, e).first;
    }
    blame(holder, d, 0);
    return step;
  }
  for (const build_error& e : b.log.pass_faults) step.found.push_back(pass_fault(v, e));
  return step;
}

}  // namespace

check_report check_scenario(const check_options& o, file_system& fs) {
  check_report report;
  const scenario_names n = names_of(o);
  held_texts held;
  for (const std::string& name : {n.names.line, n.names.train}) {
    const std::string path = join_path(o.folder, name);
    std::string text;
    if (const io_result r = fs.read_file(path, text, largest_source_text); r) {
      held.texts[path] = std::move(text);
    } else if (!r.not_found()) {
      report.io = r;
      return report;
    }
  }
  // Each build leaves out the rows of the faults found before it; a build
  // costs milliseconds, and the number of builds is bounded all the same.
  constexpr int most_builds = 200;
  std::unique_ptr<one_build> b;
  for (int round = 0; round < most_builds; ++round) {
    b = build_held(held, o);
    const build_view v(b->log, b->model, n.shown, n.names);
    fault_step step = faults_of(*b, v, held, o, n);
    for (diagnostic& d : step.found) {
      if (round > 0) d.message += " (found with the rows of the errors before it left out)";
      report.diagnostics.push_back(std::move(d));
    }
    if (!step.go_on) break;
  }
  text_warnings(b->log, b->model, n.shown, report.diagnostics);
  sort_diagnostics(report.diagnostics, n.shown);
  return report;
}

observed_compile compile_with_warnings(scenario_model& model, int32_t j, file_system& fs, const check_options& o,
                                       write_policy policy) {
  observed_compile out;
  const scenario_names n = names_of(o);
  reader_log log;
  out.result = memorizza_percorso(model, j, fs, o.folder, policy, &log);
  text_warnings(log, model, n.shown, out.diagnostics);
  if (out.result.error) {
    const build_view v(log, model, n.shown, n.names);
    const build_error& e = *out.result.error;
    const bool of_pass = e.code == error::no_room_before_warning || e.code == error::no_room_before_start ||
                         e.code == error::no_room_along_slowdown;
    if (of_pass && !log.pass_faults.empty()) {
      out.diagnostics.push_back(pass_fault(v, e));
    } else if (stops_the_build(e.code) && v.owner(1)) {
      diagnostic d = error_at(v, v.owner(1), e);
      d.message = std::string(meaning_of(e.code)) + ": " + v.named(v.owner(1), v.kind_at(1)) + " stands in cell 1";
      out.diagnostics.push_back(d);
    } else {
      out.diagnostics.push_back(reader_fault(v, e).first);
    }
  }
  sort_diagnostics(out.diagnostics, n.shown);
  return out;
}

}  // namespace sb
