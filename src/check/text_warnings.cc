#include "check/text_warnings.h"

#include <algorithm>
#include <map>
#include <set>

#include "check/check_support.h"
#include "builder/field_cursor.h"
#include "builder/keywords.h"

namespace sb {

namespace {

using check::at_field;
using check::closest;
using check::line_text;
using check::number_of;
using check::quoted;
using check::token;

std::vector<std::string> sections_of(text_role text) {
  std::vector<std::string> out;
  for (const std::string_view h : section_headers(text)) out.emplace_back(h);
  return out;
}

// Whether a field names a row of the keyword table that the line text's
// general block reads (or, with `general` false, a row of the body).
bool names_row(std::string_view field, text_role text, bool general) {
  for (const keyword_info& k : keyword_table())
    if (k.text == text && k.general == general && field_names(k, field)) return true;
  return false;
}

// The test words the reader takes only in lower case.
const std::vector<std::string>& exact_words() {
  static const std::vector<std::string> words = [] {
    std::vector<std::string> w;
    for (const keyword_info& k : keyword_table())
      for (const test_word& t : k.words)
        if (!t.any_case && std::find(w.begin(), w.end(), t.word) == w.end()) w.emplace_back(t.word);
    return w;
  }();
  return words;
}

std::string count_word(int n) {
  static const char* const words[] = {"no", "one", "two", "three", "four", "five", "six", "seven", "eight", "nine", "ten"};
  return n >= 0 && n <= 10 ? words[n] : std::to_string(n);
}

// Longer than this, a name or a board text hardly fits the simulator's
// displays.
constexpr size_t longest_shown_text = 40;

std::string num(int64_t v) { return std::to_string(v); }

bool is_header(std::string_view f) {
  const size_t first = f.find_first_not_of(" \t");
  if (first != std::string_view::npos && f[first] == '-') return false;
  return f.find('[') != std::string_view::npos && f.find(']') != std::string_view::npos;
}

// A line a person wrote as prose or meant as commented out.
bool looks_commented(std::string_view line) {
  const size_t first = line.find_first_not_of(" \t");
  if (first == std::string_view::npos) return false;
  const std::string_view rest = line.substr(first);
  return rest[0] == '#' || rest[0] == ';' || rest.substr(0, 2) == "//";
}


// Bytes that form UTF-8 sequences of two or more bytes, and nothing that
// is not UTF-8.
bool looks_like_utf8(std::string_view s) {
  bool any = false;
  for (size_t i = 0; i < s.size();) {
    const auto c = static_cast<unsigned char>(s[i]);
    if (c < 0x80) {
      ++i;
      continue;
    }
    const size_t length = (c & 0xE0) == 0xC0 ? 2 : (c & 0xF0) == 0xE0 ? 3 : (c & 0xF8) == 0xF0 ? 4 : 0;
    if (length == 0 || i + length > s.size()) return false;
    for (size_t k = 1; k < length; ++k)
      if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
    any = true;
    i += length;
  }
  return any;
}

struct text_warner {
  const text_seen& t;
  const std::string& shown;
  const scenario_model& m;
  bool line_text_file;
  std::vector<diagnostic>& out;
  std::set<int> warned_lines;  // lines that already carry a "nothing read" warning
  std::set<int> passed_over_lines;  // lines of rows the build named but did not read
  std::map<std::string, std::pair<int64_t, int>> last_chainage;  // keyword -> (chainage, line)
  int64_t last_curve_end = -1;
  int last_curve_line = 0;
  int64_t last_time = -1;
  int last_time_line = 0;

  void warn(const field_seen& f, const char* name, std::string message) {
    out.push_back(at_field(t, f, shown, severity::warning, name, std::move(message)));
  }
  const field_seen& value(const row_seen& r, size_t i) const { return t.fields[r.first_value + i]; }
  int64_t v(const row_seen& r, size_t i) const { return number_of(t, value(r, i)); }
  const field_seen& keyword(const row_seen& r) const { return t.fields[r.keyword_field]; }
  int64_t route_length() const { return m.scenario_table[table_row::train_and_route].range_end; }

  // ---- the text as a whole ----

  bool check_encoding() {
    const std::string trouble = encoding_trouble(t.text);
    if (trouble.empty()) return true;
    const bool utf16 = trouble.find("UTF-16") != std::string::npos;
    diagnostic d;
    d.file = shown;
    d.line = 1;
    d.column = 1;
    d.name = utf16 ? "utf16-file" : "cr-line-ends";
    d.message = trouble;
    out.push_back(d);
    return !utf16;
  }

  text_role role() const { return line_text_file ? text_role::line : text_role::train; }
  bool names_any_row(std::string_view field) const {
    return names_row(field, role(), false) || (line_text_file && names_row(field, role(), true));
  }

  void check_generale() {
    if (t.generale_field != SIZE_MAX) {
      for (size_t i = 0; i < t.generale_field; ++i)
        if (names_any_row(token(t, t.fields[i]))) {
          warn(t.fields[i], "passed-over",
               "everything before \"[generale]\" is passed over: this row is not read");
          return;
        }
      return;
    }
    if (line_text_file) return;  // error 102 says it
    for (const field_seen& f : t.fields)
      if (is_header(token(t, f))) {
        const auto near = closest(token(t, f), {"[generale]"});
        if (near) {
          warn(f, "passed-over",
               "the train file has no \"[generale]\", so nothing of it is used: did you mean \"[generale]\"?");
          return;
        }
      }
    diagnostic d;
    d.file = shown;
    d.line = 1;
    d.column = 1;
    d.name = "passed-over";
    d.message = t.text.empty() ? "the train file is empty: no train, station or signal is used"
                               : "the train file has no \"[generale]\", so nothing of it is used";
    out.push_back(d);
  }

  // ---- keyword fields that opened no row ----

  void unmatched(const keyword_field_seen& seen, const row_seen* previous) {
    const field_seen& f = t.fields[seen.field];
    const std::string_view text = token(t, f);
    if (seen.passed_over != nullptr) passed_over_lines.insert(f.line);
    // The fields of a row the build passed over are not read either.
    if (text.empty() || passed_over_lines.count(f.line) != 0) return;
    // Fields left after a row's last value, on that value's line.
    if (previous && previous->values_read > 0 &&
        t.fields[previous->first_value + previous->values_read - 1].line == f.line)
      return;
    const bool in_general = seen.in_general_block;
    if (is_header(text)) {
      const std::vector<std::string> sections = sections_of(role());
      std::string lower;
      for (const char c : text) lower += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
      if (std::find(sections.begin(), sections.end(), lower) != sections.end()) return;
      const auto near = closest(text, sections);
      warn(f, "unknown-section",
           quoted(text) + " is no section of this file" + (near ? ": did you mean \"" + *near + "\"?" : "") +
               " (section headers only help the reader of the text)");
      return;
    }
    if (contains_exact(text, "-")) {
      warn(f, "comment-not-skipped",
           quoted(text) + " is read as a keyword field: only " + count_word(seen.comments_allowed) +
               " comment fields in a row are passed over");
      return;
    }
    if (looks_commented(line_text(t, f.line))) return;  // prose
    if (!warned_lines.insert(f.line).second) return;
    if (in_general && names_row(text, role(), false)) {
      warn(f, "row-not-read-here",
           quoted(text) + " stands in the general block, which reads only general rows: it ends at the first "
                          "section header");
      return;
    }
    if (line_text_file && !in_general && names_row(text, role(), true)) {
      warn(f, "row-not-read-here",
           quoted(text) + " is a general row, read only between \"[generale]\" and the first section header");
      return;
    }
    for (const std::string& word : exact_words())
      if (contains_folded(text, word) && !contains_exact(text, word)) {
        warn(f, "unknown-keyword",
             "nothing is read on this line: in " + quoted(text) + " the word `" + word +
                 "` must be written in lower case");
        return;
      }
    const auto near = closest(text, known_keywords());
    warn(f, "unknown-keyword",
         "nothing is read on this line: " + quoted(text) + " holds no keyword" +
             (near ? "; did you mean `" + *near + "`?" : ""));
  }

  // ---- rows ----

  void check_row_shape(const row_seen& r, const row_seen* next_on_field) {
    const field_seen& k = keyword(r);
    const std::string_view line = line_text(t, k.line);
    if (looks_commented(line))
      warn(k, "commented-out-row",
           "this line looks commented out, but its `" + r.keyword +
               "` row is read: only a field holding \"-\" is a comment");
    if (!r.complete || r.values_read == 0) return;
    const field_seen& last = value(r, r.values_read - 1);
    if (last.line > k.line) {
      size_t on_line = 0;
      while (on_line < r.values_read && value(r, on_line).line == k.line) ++on_line;
      warn(k, "row-spans-lines",
           "row `" + r.keyword + "` at line " + num(k.line) + " has " + num(int64_t(on_line)) + " of its " +
               num(int64_t(r.values_due)) + " values on its line; the rest are taken from line " +
               num(value(r, on_line).line));
      return;
    }
    // Fields after the row's last value, on the same line.
    if (next_on_field != nullptr) return;
    size_t extra = 0;
    const size_t after = r.first_value + r.values_read;
    for (size_t i = after; i < t.fields.size() && t.fields[i].line == last.line; ++i)
      if (!token(t, t.fields[i]).empty()) ++extra;
    if (extra > 0 && after < t.fields.size() && t.fields[after].line == last.line)
      warn(t.fields[after], "unread-fields",
           num(int64_t(extra)) + (extra == 1 ? " field" : " fields") + " after the last value of row `" +
               r.keyword + "` " + (extra == 1 ? "is" : "are") +
               " not read (a number ends at a blank, a text at a comma)");
  }

  void check_order(const row_seen& r, int64_t chainage) {
    auto [it, first] = last_chainage.try_emplace(r.keyword, chainage, keyword(r).line);
    if (first) return;
    if (chainage < it->second.first)
      warn(value(r, 0), "out-of-order",
           "`" + r.keyword + "` rows must come in increasing chainage: " + num(chainage) + " m comes after " +
               num(it->second.first) + " m at line " + num(it->second.second));
    it->second = {chainage, keyword(r).line};
  }

  void check_beyond_route(const row_seen& r, int64_t at) {
    if (at > route_length() && route_length() >= 0)
      warn(value(r, 0), "beyond-route",
           num(at) + " m lies beyond the route length (" + num(route_length()) + " m), in the 7000 m of cells " +
               "the line keeps after it");
  }

  // How a message names a value the build stored otherwise than written:
  // "a speed of" 40000.
  static std::string phrase(const keyword_info& k, const stored_value& s) {
    switch (k.id) {
      case keyword_id::rallentamento:
        return s.value == 1 ? "a speed of" : s.value == 3 ? "an f_tt of" : "a d_v of";
      case keyword_id::abbattimento: return "a reduction value of";
      case keyword_id::montagna: return "a mountain kind of";
      case keyword_id::aderenza: return "an adhesion of";
      case keyword_id::indicatori_vmax: return s.value == 4 ? "the stripes, packed as" : "a board speed of";
      case keyword_id::segnale:
        if (s.value == 10) return "a signal time of";
        return std::string(s.what) + ", that is";
      default: break;
    }
    return s.what.empty() ? std::string(k.fields[s.value].name) : std::string(s.what);
  }

  // What the build told it stored otherwise than written.
  // The item a row places, as the off-grid warning names it.
  static std::string item_of(const keyword_info& k) {
    if (k.id == keyword_id::indicatori_vmax || k.id == keyword_id::cartello_indicatore) return "board";
    if (k.id == keyword_id::velocita) return "speed";
    return std::string(k.noun);
  }

  void told_stored(const row_seen& r, const stored_value& s) {
    if (s.value >= r.values_read) return;
    const field_seen& f = value(r, s.value);
    const keyword_info& k = *r.info;
    switch (s.how) {
      case stored_how::landed:
        if (s.value > 0) {
          // A start off the grid already says where the slowdown went.
          for (const stored_value& other : r.stored)
            if (other.how == stored_how::landed && other.value == 0) return;
          warn(f, "off-grid",
               "the " + item_of(k) + " ends at " + num(s.written) +
                   " m, off the 50 m grid: its end lands in cell " + num(s.cell));
        } else if (s.stored == chainage_of_cell(s.cell)) {
          const bool running = k.id == keyword_id::pendenza || k.id == keyword_id::velocita || k.id == keyword_id::aderenza;
          warn(f, "off-grid", num(s.written) + " m is not on the 50 m grid: the " + item_of(k) +
                                  (running ? " takes effect from cell " : " lands in cell ") + num(s.cell) + ", at " +
                                  num(s.stored) + " m");
        } else {
          warn(f, "off-grid", num(s.written) + " m is not on the 50 m grid: the " + item_of(k) +
                                  " lands in cell " + num(s.cell) + ", the cell of one at " + num(s.stored) + " m");
        }
        return;
      case stored_how::rounded:
        warn(f, "speed-rounded",
             (k.id == keyword_id::velocita ? "a speed of " : "a board speed of ") + num(s.written) + " km/h" +
                 (s.written % 5 != 0 ? " is not a multiple of 5: it is stored as "
                                     : " is stored as another speed, spilt from a speed of its board that is not a "
                                       "multiple of 5: ") +
                 num(s.stored) + " km/h");
        return;
      case stored_how::narrowed:
        warn(f, "value-narrowed",
             phrase(k, s) + " " + num(s.written) + " does not fit its compiled field: it is stored as " + num(s.stored));
        return;
      case stored_how::wrapped:
        if (k.id == keyword_id::pendenza) {
          warn(f, "gradient-range", "a gradient of " + num(s.written) + " per mille is stored as " + num(s.stored) +
                                        ": a cell holds -100 to 155 per mille");
        } else if (k.id == keyword_id::segnale && s.value == 1) {
          warn(f, "byte-wraps", std::string(s.what) + " reach " + num(s.written) + ", past one byte");
        } else {
          warn(f, "byte-wraps",
               phrase(k, s) + " " + num(s.written) + " does not fit its compiled field: it is stored as " +
                   num(s.stored));
        }
        return;
      case stored_how::raised:
      case stored_how::replaced:
      case stored_how::dropped:
        return;  // rules of the format that the reference states
    }
  }

  void check_text(const row_seen& r, size_t i, const char* what) {
    const field_seen& f = value(r, i);
    const std::string_view s = token(t, f);
    if (looks_like_utf8(s))
      warn(f, "utf8-text",
           std::string(what) + " " + quoted(s) + " looks like UTF-8; the simulator reads single-byte text " +
               "(Windows-1252) and shows \"" + check::as_windows_1252(s) + "\"");
    else if (std::any_of(s.begin(), s.end(), [](char c) { return (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) && c != '\t'; }))
      warn(f, "control-characters", std::string(what) + " " + quoted(s) + " holds control characters");
    if (s.size() > longest_shown_text)
      warn(f, "long-text",
           std::string(what) + " " + quoted(s) + " is " + num(int64_t(s.size())) + " bytes long; the simulator " +
               "shows texts of about " + num(int64_t(longest_shown_text)) + " at most");
  }

  void check_station_time(const row_seen& r) {
    const int64_t h = v(r, 13), mi = v(r, 14), se = v(r, 15);
    if (h == 0 && mi == 0 && se == 0) return;  // no scheduled time
    if (h < 0 || mi < 0 || se < 0 || mi > 59 || se > 59 || h > 23) {
      warn(value(r, 13), "time-range", "a time of day of " + num(h) + ":" + num(mi) + ":" + num(se) +
                                           " lies outside 00:00:00 to 23:59:59");
      return;
    }
    if (r.table_row == 0) return;
    // The time as the table holds it. One much earlier than the one
    // before is taken as the next day.
    const int64_t time = m.scenario_table[static_cast<size_t>(r.table_row)].time_of_day;
    if (last_time >= 0 && time < last_time && last_time - time < 12 * 3600)
      warn(value(r, 13), "time-order",
           "this station's time comes before the time of the station at line " + num(last_time_line));
    last_time = time;
    last_time_line = keyword(r).line;
  }

  void check_values(const row_seen& r) {
    for (const stored_value& s : r.stored) told_stored(r, s);
    switch (r.info->id) {
      case keyword_id::pendenza:
      case keyword_id::velocita:
      case keyword_id::aderenza:
      case keyword_id::montagna:
        check_order(r, v(r, 0));
        check_beyond_route(r, v(r, 0));
        break;
      case keyword_id::curva:
        check_order(r, v(r, 0));
        if (v(r, 0) < last_curve_end)
          warn(value(r, 0), "curves-overlap",
               "this curve begins at " + num(v(r, 0)) + " m, inside the curve at line " + num(last_curve_line) +
                   ", which runs to " + num(last_curve_end) + " m");
        last_curve_end = v(r, 0) + v(r, 1);
        last_curve_line = keyword(r).line;
        check_beyond_route(r, v(r, 0));
        break;
      case keyword_id::indicatori_vmax:
      case keyword_id::segnale:
      case keyword_id::rallentamento:
      case keyword_id::abbattimento:
        check_beyond_route(r, v(r, 0));
        break;
      case keyword_id::cartello_indicatore:
        check_beyond_route(r, v(r, 0));
        check_text(r, 1, "the board text");
        break;
      case keyword_id::orologio:
        if (v(r, 0) < 0 || v(r, 0) > 23 || v(r, 1) < 0 || v(r, 1) > 59 || v(r, 2) < 0 || v(r, 2) > 59)
          warn(value(r, 0), "clock-range",
               "a start clock of " + num(v(r, 0)) + ":" + num(v(r, 1)) + ":" + num(v(r, 2)) +
                   " lies outside 00:00:00 to 23:59:59");
        break;
      case keyword_id::stazione:
        check_order(r, v(r, 0));
        check_beyond_route(r, v(r, 0));
        check_station_time(r);
        check_text(r, 16, "the station name");
        break;
      default:
        break;
    }
  }

  void run() {
    if (!t.read) return;
    if (!check_encoding()) return;
    check_generale();
    std::map<size_t, std::vector<const row_seen*>> rows_on;
    for (const row_seen& r : t.rows) rows_on[r.keyword_field].push_back(&r);
    const row_seen* previous = nullptr;
    for (const keyword_field_seen& k : t.keyword_fields) {
      const auto it = rows_on.find(k.field);
      if (it == rows_on.end()) {
        unmatched(k, previous);
        continue;
      }
      for (size_t i = 0; i < it->second.size(); ++i) {
        const row_seen& r = *it->second[i];
        check_row_shape(r, i + 1 < it->second.size() ? it->second[i + 1] : nullptr);
        if (r.complete && !r.in_general_block) check_values(r);
        previous = &r;
      }
    }
  }
};

}  // namespace

std::span<const std::string_view> warning_names() {
  static constexpr std::string_view names[] = {
      "beyond-route",   "byte-wraps",     "clock-range",       "comment-not-skipped", "commented-out-row",
      "control-characters", "cr-line-ends", "curves-overlap", "gradient-range",   "long-text",
      "off-grid",       "out-of-order",   "passed-over",       "row-not-read-here", "row-spans-lines",
      "speed-rounded",  "time-order",     "time-range",        "unknown-keyword",   "unknown-section",
      "unread-fields",  "utf16-file",     "utf8-text",         "value-narrowed"};
  return names;
}

const std::vector<std::string>& known_keywords() {
  // Every word of five letters or more of the keywords as the format names
  // them: the short ones would be near to anything.
  static const std::vector<std::string> words = [] {
    std::vector<std::string> w;
    for (const keyword_info& k : keyword_table()) {
      size_t from = 0;
      const std::string_view name = k.keyword;
      while (from < name.size()) {
        size_t to = name.find(' ', from);
        if (to == std::string_view::npos) to = name.size();
        const std::string word(name.substr(from, to - from));
        if (word.size() >= 5 && std::find(w.begin(), w.end(), word) == w.end()) w.push_back(word);
        from = to + 1;
      }
    }
    return w;
  }();
  return words;
}

std::string encoding_trouble(const std::string& text) {
  const size_t probe = std::min<size_t>(text.size(), 400);
  size_t nuls = 0;
  for (size_t i = 0; i < probe; ++i) nuls += text[i] == '\0';
  const bool bom = text.size() >= 2 && ((text[0] == '\xFF' && text[1] == '\xFE') || (text[0] == '\xFE' && text[1] == '\xFF'));
  if (bom || (probe >= 8 && nuls * 4 >= probe))
    return "the file is UTF-16 text: the reader needs single-byte text (Windows-1252), so it finds no keyword; "
           "save it as such";
  const size_t lone_cr = [&] {
    for (size_t i = 0; i < text.size(); ++i)
      if (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n')) return i;
    return std::string::npos;
  }();
  if (lone_cr == std::string::npos) return {};
  if (text.find('\n') == std::string::npos)
    return "the file's lines end in CR alone, which the reader does not take as line ends: it reads the whole "
           "file as one line; save it with CR LF or LF line ends";
  return "some lines end in CR alone, which the reader does not take as a line end";
}

void text_warnings(const reader_log& log, const scenario_model& model, const shown_names& names,
                   std::vector<diagnostic>& out) {
  text_warner{log.line, names.line, model, true, out, {}, {}, {}, -1, 0, -1, 0}.run();
  text_warner{log.train, names.train, model, false, out, {}, {}, {}, -1, 0, -1, 0}.run();
}

}  // namespace sb
