#include "check/scenario_check.h"

#include <algorithm>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <tuple>
#include <unordered_set>

#include "builder/scenario_reader.h"
#include "check/check_support.h"
#include "check/text_warnings.h"

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
  build_view(const reader_log& log, const scenario_model& m, const shown_names& shown)
      : log_(log), m_(m), shown_(shown), owners_(m.cells.size()) {
    for (const text_seen* t : {&log.line, &log.train})
      for (const row_seen& r : t->rows)
        for (const auto& [cell, kind] : r.placed)
          if (cell >= 0 && static_cast<size_t>(cell) < owners_.size()) owners_[static_cast<size_t>(cell)] = {t, &r};
  }

  const std::string& shown(const text_seen* t) const { return t == &log_.line ? shown_.line : shown_.train; }

  located row_of(const build_error& e) const {
    const text_seen* t = log_.text_named(e.file);
    if (t == nullptr || e.line == 0) return {};
    const auto field = t->field_at(e.line, e.column);
    if (!field) return {};
    const row_seen* r = t->row_holding(*field);
    return r ? located{t, r} : located{};
  }

  std::optional<int64_t> chainage_of(const located& l) const {
    if (!l || l.row->values_read == 0) return std::nullopt;
    return number_of(*l.text, l.text->fields[l.row->first_value]);
  }
  // "the slowdown at line 21, 12850 m"
  std::string named(const located& l, uint8_t kind) const {
    std::string s = part_of(kind, std::string(l.row->info->noun)) + " at line " +
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

  const reader_log& log() const { return log_; }

 private:
  const reader_log& log_;
  const scenario_model& m_;
  const shown_names& shown_;
  std::vector<located> owners_;
};

diagnostic error_at(const build_view& v, const located& row, const build_error& e) {
  const field_seen& k = row.text->fields[row.row->keyword_field];
  diagnostic d = at_field(*row.text, k, v.shown(row.text), severity::error, std::string(name_of(e.code)), "");
  d.code = e.code;
  d.chainage = e.chainage;
  return d;
}

diagnostic unplaced(const build_error& e) {
  diagnostic d;
  d.level = severity::error;
  d.code = e.code;
  d.name = std::string(name_of(e.code));
  d.chainage = e.chainage;
  return d;
}

// A fault found in one build: what to tell, the row at fault (to leave out
// in the next build) and the last line the row's reading took.
struct fault_found {
  diagnostic d;
  located row;
  int failed_line = 0;
};

// A fault the reader recorded, at the row it belongs to.
fault_found reader_fault(const build_view& v, const build_error& e) {
  std::string message(e.message.empty() ? meaning_of(e.code) : std::string_view(e.message));
  const text_seen* t = v.log().text_named(e.file);
  fault_found out;
  out.row = v.row_of(e);
  diagnostic& d = out.d;
  if (const located row = out.row) {
    d = error_at(v, row, e);
    const field_seen& k = row.text->fields[row.row->keyword_field];
    const auto failed = t->field_at(e.line, e.column);
    if (failed) out.failed_line = t->fields[*failed].line;
    if (e.code == error::unreadable_text && failed && t->fields[*failed].line > k.line) {
      // A missing field: the reader took the next line's field in its place.
      const size_t had = *failed - row.row->first_value;
      message += ": row `" + row.row->keyword + "` at line " + std::to_string(k.line) + " has " + std::to_string(had) +
                 " of its " + std::to_string(row.row->values_due) + " values; the next field, at line " +
                 std::to_string(t->fields[*failed].line) + ", is read in their place";
    } else if (failed && *failed != row.row->keyword_field) {
      d = at_field(*t, t->fields[*failed], v.shown(t), severity::error, std::string(name_of(e.code)), "");
      d.code = e.code;
      d.chainage = e.chainage;
    }
    if (!row.row->refused.empty())
      if (const located holder = v.owner(row.row->refused.back()))
        message += ": taken by " + v.named(holder, v.kind_at(row.row->refused.back()));
  } else {
    // A fault of the text as a whole: its message names the file.
    d = unplaced(e);
    d.file = t ? v.shown(t) : e.file;
    if (t && t->read) {
      d.line = 1;
      d.column = 1;
      d.source = std::string(t->line(1));
    }
  }
  if (!e.detail.empty()) message += " (" + e.detail + ")";
  if (t && t->read && (e.code == error::unreadable_text || e.code == error::no_generale)) {
    if (const std::string trouble = encoding_trouble(t->text); !trouble.empty()) message += "; " + trouble;
  }
  d.message = message;
  return out;
}

// A fault of the protection pass, at the slowdown it belongs to.
diagnostic pass_fault(const build_view& v, const pass_fault_seen& p) {
  const build_error& e = p.fault;
  const located slowdown = v.owner(p.slowdown_cell);
  const located signal = p.signal_cell ? v.owner(*p.signal_cell) : located{};
  std::string message(meaning_of(e.code));
  switch (e.code) {
    case error::no_room_before_warning:
      if (signal) message += ": in front of " + v.named(signal, cell_kind::signal);
      if (slowdown) message += ", which stands before " + v.named(slowdown, cell_kind::slowdown_warning);
      break;
    case error::no_room_before_start:
      if (slowdown) message += ": " + v.named(slowdown, 0);
      break;
    default:
      if (slowdown) message = "no room for a speed-reduction point along or after " + v.named(slowdown, 0);
      if (signal) message += " (before " + v.named(signal, cell_kind::signal) + ")";
      break;
  }
  diagnostic d = slowdown ? error_at(v, slowdown, e) : unplaced(e);
  d.message = message;
  return d;
}

// The stamping step refuses a scenario whose cell 1 holds an item.
fault_found stamp_fault(const build_view& v, const build_error& e) {
  fault_found out;
  out.row = v.owner(1);
  if (out.row) {
    out.d = error_at(v, out.row, e);
    out.d.message = std::string(meaning_of(e.code)) + ": " + v.named(out.row, v.kind_at(1)) + " stands in cell 1";
  } else {
    out.d = reader_fault(v, e).d;
  }
  return out;
}

std::string place_key(const diagnostic& d) {
  return d.file + '\n' + std::to_string(d.line) + '\n' + std::to_string(d.column) + '\n';
}
std::string fault_key(const diagnostic& d) {
  return place_key(d) + std::to_string(d.code ? code_of(*d.code) : 0) + '\n' +
         (d.chainage ? std::to_string(*d.chainage) : std::string("-"));
}
std::string warning_key(const diagnostic& d) { return place_key(d) + d.name + '\n' + d.message; }

// Every fault of one build. The reader's own fault comes first: it is the
// first one the author must mend. When the protection pass or the stamping
// recorded a code after it, that code, the one the build keeps, is told
// too. With `every_pass_fault`, each fault of the pass is told, not only
// the last.
std::vector<fault_found> faults_of(const build_view& v, const compile_result& result, bool every_pass_fault) {
  std::vector<fault_found> found;
  const reader_log& log = v.log();
  // An item the line text left beyond the cells ends the reader at the
  // train text's first signal or slowdown: the line text's row is at fault.
  std::optional<build_error> reader_end = log.ended_with;
  for (const build_error& e : log.reader_faults)
    if (e.code == error::beyond_line && e.file == log.line.file && log.ended_with &&
        log.ended_with->file == log.train.file && log.ended_with->code == error::beyond_line) {
      reader_end = e;
      break;
    }
  if (reader_end) {
    if (reader_end->code == error::progression_off_grid) {
      for (const build_error& e : log.reader_faults)
        if (e.code == error::progression_off_grid) found.push_back(reader_fault(v, e));
    } else {
      found.push_back(reader_fault(v, *reader_end));
    }
  }
  std::unordered_set<std::string> keys;
  for (const fault_found& f : found) keys.insert(fault_key(f.d));
  const auto told = [&](const diagnostic& d) { return !keys.insert(fault_key(d)).second; };
  const std::string first_to_mend =
      found.empty() || found.front().d.line == 0
          ? std::string()
          : " (the code the build records; mend the error at line " + std::to_string(found.front().d.line) + " first)";
  if (result.error && stops_the_build(result.error->code)) {
    fault_found stop = stamp_fault(v, *result.error);
    if (!told(stop.d)) found.push_back(std::move(stop));
    return found;
  }
  const bool pass_recorded = result.error && !log.pass_faults.empty() && result.error == log.pass_faults.back().fault;
  if (pass_recorded) {
    diagnostic d = pass_fault(v, log.pass_faults.back());
    told(d);
    d.message += first_to_mend;
    found.push_back({d, {}, 0});
  }
  if (every_pass_fault && !reader_end)
    for (const pass_fault_seen& p : log.pass_faults) {
      const diagnostic d = pass_fault(v, p);
      if (!told(d)) found.push_back({d, {}, 0});
    }
  return found;
}

// Blanks the lines of a row in the held text, keeping every line and
// column where it was: an empty field matches no keyword.
void leave_out(std::string& text, const std::vector<size_t>& line_starts, const located& l, int failed_line) {
  const int first = l.text->fields[l.row->keyword_field].line;
  int last = first;
  if (l.row->values_read > 0) last = l.text->fields[l.row->first_value + l.row->values_read - 1].line;
  if (failed_line > first) last = std::max(first, failed_line - 1);
  for (int line = first; line <= last && static_cast<size_t>(line) <= line_starts.size(); ++line) {
    for (size_t i = line_starts[static_cast<size_t>(line) - 1]; i < text.size() && text[i] != '\n'; ++i)
      if (text[i] != '\r') text[i] = ' ';
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

// One build and its record.
struct one_build {
  explicit one_build(const text_names& names) : log(names) {}
  scenario_model model;
  reader_log log;
  compile_result result;
};

std::unique_ptr<one_build> build_with(scenario_model* into, file_system& fs, const check_options& o,
                                      const scenario_names& n, write_policy policy) {
  auto b = std::make_unique<one_build>(n.names);
  scenario_model& m = into ? *into : b->model;
  m.route_name = o.id.route_name;
  m.train_number = o.id.train_number;
  b->result = memorizza_percorso(m, o.geometry, fs, o.folder, policy, &b->log);
  return b;
}

// What compile tells of a build: the warnings of its texts and its faults,
// in the order of the texts.
std::vector<diagnostic> told_of(const one_build& b, const scenario_model& m, const scenario_names& n,
                                std::vector<fault_found>* faults) {
  const build_view v(b.log, m, n.shown);
  std::vector<diagnostic> out;
  text_warnings(b.log, m, n.shown, out);
  std::vector<fault_found> found = faults_of(v, b.result, !b.log.ended_with.has_value());
  for (const fault_found& f : found) out.push_back(f.d);
  sort_diagnostics(out, n.shown);
  if (faults) *faults = std::move(found);
  return out;
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
  // The first build is the compile's, and the check begins with what the
  // compile tells. Each build after it leaves out the rows of the faults
  // found before; a build costs milliseconds, and their number is bounded
  // all the same.
  constexpr int most_builds = 200;
  std::vector<diagnostic> more;
  // What is told already, looked up in constant time: a text may give a
  // warning on each of a million rows.
  std::unordered_set<std::string> warnings_told, faults_told;
  const auto told_already = [&](const diagnostic& d) { return warnings_told.count(warning_key(d)) != 0; };
  const auto fault_told = [&](const diagnostic& d) { return faults_told.count(fault_key(d)) != 0; };
  const auto remember = [&](const diagnostic& d) {
    if (d.level == severity::error)
      faults_told.insert(fault_key(d));
    else
      warnings_told.insert(warning_key(d));
  };
  std::map<std::string, std::vector<size_t>> line_starts;
  std::unique_ptr<one_build> b;
  int builds = 0;
  for (int round = 0; round < most_builds; ++round) {
    ++builds;
    held_texts copy = held;
    b = build_with(nullptr, copy, o, n, write_policy::always);
    std::vector<fault_found> faults;
    std::vector<diagnostic> told = told_of(*b, b->model, n, &faults);
    if (round == 0) {
      report.diagnostics = std::move(told);
      for (const diagnostic& d : report.diagnostics) remember(d);
    } else {
      for (fault_found& f : faults) {
        if (fault_told(f.d)) continue;
        remember(f.d);
        f.d.message += " (found with the rows of the errors before it left out)";
        more.push_back(f.d);
      }
    }
    bool go_on = false;
    for (const fault_found& f : faults) {
      if (!f.row) continue;
      const std::string path = join_path(o.folder, f.row.text == &b->log.line ? n.names.line : n.names.train);
      const auto it = held.texts.find(path);
      if (it == held.texts.end()) continue;
      auto [starts, fresh] = line_starts.try_emplace(path);
      if (fresh) starts->second = f.row.text->line_starts;
      leave_out(it->second, starts->second, f.row, f.failed_line);
      go_on = true;
    }
    if (!go_on) break;
  }
  // The warnings of the text the faults hid from the first build.
  if (builds > 1) {
    std::vector<diagnostic> last_warnings;
    text_warnings(b->log, b->model, n.shown, last_warnings);
    for (diagnostic& d : last_warnings)
      if (!told_already(d)) more.push_back(std::move(d));
  }
  sort_diagnostics(more, n.shown);
  report.diagnostics.insert(report.diagnostics.end(), more.begin(), more.end());
  return report;
}

observed_compile compile_with_warnings(scenario_model& model, int32_t j, file_system& fs, const check_options& o,
                                       write_policy policy) {
  const scenario_names n = names_of(o);
  check_options as_asked = o;
  as_asked.geometry = j;
  const std::unique_ptr<one_build> b = build_with(&model, fs, as_asked, n, policy);
  return {b->result, told_of(*b, model, n, nullptr)};
}

}  // namespace sb
