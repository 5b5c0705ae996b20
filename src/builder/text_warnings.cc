#include "builder/text_warnings.h"

#include <algorithm>
#include <map>
#include <set>

#include "builder/check_support.h"
#include "builder/field_cursor.h"
#include "builder/recorders.h"
#include "builder/rounding.h"

namespace sb {

namespace {

using check::at_field;
using check::closest;
using check::line_text;
using check::number_of;
using check::quoted;
using check::token;

const std::vector<std::string> line_sections{"[generale]", "[curve]", "[pendenze]", "[montagne]",
                                             "[cartelli]", "[indicazioni]", "[fine]"};
const std::vector<std::string> train_sections{"[generale]", "[aderenze]", "[vel_limite]", "[stazioni]",
                                              "[rallentamenti]", "[segnali]", "[codici]", "[fine]"};
const std::vector<std::string> general_words{"lunghezza", "percorso", "progressiva", "sfondo", "ripetizione"};

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

bool holds_any(std::string_view field, const std::vector<std::string>& words) {
  for (const std::string& w : words)
    if (contains_folded(field, w)) return true;
  return false;
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

  void check_generale() {
    if (t.generale_field != SIZE_MAX) {
      for (size_t i = 0; i < t.generale_field; ++i)
        if (holds_any(token(t, t.fields[i]), known_keywords())) {
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

  void unmatched(size_t index, const row_seen* previous) {
    const field_seen& f = t.fields[index];
    const std::string_view text = token(t, f);
    if (text.empty()) return;
    // Fields left after a row's last value, on that value's line.
    if (previous && previous->values_read > 0 &&
        t.fields[previous->first_value + previous->values_read - 1].line == f.line)
      return;
    const bool in_general = line_text_file && t.generale_field != SIZE_MAX && index > t.generale_field &&
                            (t.general_block_end == SIZE_MAX || index < t.general_block_end);
    if (is_header(text)) {
      const auto& sections = line_text_file ? line_sections : train_sections;
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
           quoted(text) + " is read as a keyword field: only " + (in_general ? "ten" : "two") +
               " comment fields in a row are passed over");
      return;
    }
    if (looks_commented(line_text(t, f.line))) return;  // prose
    if (line_text_file && m.geometry_flag == 0 && contains_folded(line_text(t, f.line), "curva")) return;
    if (!warned_lines.insert(f.line).second) return;
    if (in_general && holds_any(text, known_keywords()) && !holds_any(text, general_words)) {
      warn(f, "row-not-read-here",
           quoted(text) + " stands in the general block, which reads only general rows: it ends at the first "
                          "section header");
      return;
    }
    if (!in_general && holds_any(text, general_words)) {
      warn(f, "row-not-read-here",
           quoted(text) + " is a general row, read only between \"[generale]\" and the first section header");
      return;
    }
    for (const char* word : {"progressiva", "ripetizione", "segnali", "sfondo", "uno", "due", "tre"})
      if (contains_folded(text, word) && !contains_exact(text, word) && holds_any(text, general_words)) {
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

  void check_place(const row_seen& r, int64_t at, const char* what) {
    if (at > route_length() && route_length() >= 0)
      warn(value(r, 0), "beyond-route",
           num(at) + " m lies beyond the route length (" + num(route_length()) + " m), in the 7000 m of cells " +
               "the line keeps after it");
    if (at % 50 == 0) return;
    std::string where;
    if (r.keyword == "pendenza" || r.keyword == "velocita" || r.keyword == "aderenza") {
      const int64_t n = round_div(at, 50);
      where = std::string(what) + " takes effect from cell " + num(n) + ", at " + num(n * 50) + " m";
    } else if (r.keyword == "abbattimento") {
      const int64_t k = round_div(at, 50);
      where = std::string(what) + " lands in cell " + num(k) + ", at " + num(k * 50) + " m";
    } else {
      const int64_t k = item_cell(at);
      where = std::string(what) + " lands in cell " + num(k) + ", the cell of one at " + num((k - 1) * 50) + " m";
    }
    warn(value(r, 0), "off-grid", num(at) + " m is not on the 50 m grid: the " + where);
  }

  void narrowed(const field_seen& f, const std::string& what, int64_t value, int64_t stored, const char* name) {
    warn(f, name, what + " " + num(value) + " does not fit its compiled field: it is stored as " + num(stored));
  }
  void check_int16(const row_seen& r, size_t i, const std::string& what, int64_t value) {
    if (value < INT16_MIN || value > INT16_MAX) narrowed(this->value(r, i), what, value, low16(value), "value-narrowed");
  }
  void check_byte(const row_seen& r, size_t i, const std::string& what, int64_t value) {
    if (value < 0 || value > 255) narrowed(this->value(r, i), what, value, low8(value), "byte-wraps");
  }
  void check_speed(const row_seen& r, size_t i, const char* what) {
    const int64_t s = v(r, i);
    if (s % 5 != 0)
      warn(value(r, i), "speed-rounded",
           std::string(what) + " " + num(s) + " km/h is not a multiple of 5: it is stored as " +
               num(round_div(s, 5) * 5) + " km/h");
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
    const int64_t time = h * 3600 + mi * 60 + se;
    if (time == 0) return;  // no scheduled time
    if (h < 0 || mi < 0 || se < 0 || mi > 59 || se > 59 || time > 86399) {
      warn(value(r, 13), "time-range", "a time of day of " + num(h) + ":" + num(mi) + ":" + num(se) +
                                           " lies outside 00:00:00 to 23:59:59");
      return;
    }
    // A time much earlier than the one before is taken as the next day.
    if (last_time >= 0 && time < last_time && last_time - time < 12 * 3600)
      warn(value(r, 13), "time-order",
           "this station's time comes before the time of the station at line " + num(last_time_line));
    last_time = time;
    last_time_line = keyword(r).line;
  }

  void check_values(const row_seen& r) {
    const std::string& k = r.keyword;
    if (k == "pendenza") {
      check_order(r, v(r, 0));
      check_place(r, v(r, 0), "gradient");
      const int64_t g = v(r, 1);
      if (g < -100 || g > 155)
        warn(value(r, 1), "gradient-range",
             "a gradient of " + num(g) + " per mille is stored as " + num(int64_t{low8(g + 100)} - 100) +
                 ": a cell holds -100 to 155 per mille");
    } else if (k == "curva") {
      check_order(r, v(r, 0));
      if (v(r, 0) < last_curve_end)
        warn(value(r, 0), "curves-overlap",
             "this curve begins at " + num(v(r, 0)) + " m, inside the curve at line " + num(last_curve_line) +
                 ", which runs to " + num(last_curve_end) + " m");
      last_curve_end = v(r, 0) + v(r, 1);
      last_curve_line = keyword(r).line;
      if (v(r, 0) > route_length() && route_length() >= 0) check_place(r, v(r, 0), "curve");
    } else if (k == "montagna") {
      check_order(r, v(r, 0));
      check_place(r, v(r, 0), "mountain zone");
      const int64_t tipo = v(r, 2) > 10 ? v(r, 2) - 10 : v(r, 2);
      check_byte(r, 2, "a mountain kind of", tipo);
    } else if (k == "indicatori_vmax") {
      check_place(r, v(r, 0), "board");
      for (size_t i : {1, 2, 3, 5, 6, 7}) check_speed(r, i, "a board speed of");
      check_int16(r, 4, "the stripes, packed as", v(r, 4) * 10 + v(r, 8));
    } else if (k == "cartello_indicatore") {
      check_place(r, v(r, 0), "board");
      check_text(r, 1, "the board text");
    } else if (k == "velocita") {
      check_order(r, v(r, 0));
      check_place(r, v(r, 0), "speed");
      check_speed(r, 1, "a speed of");
    } else if (k == "aderenza") {
      check_order(r, v(r, 0));
      check_place(r, v(r, 0), "adhesion");
      check_byte(r, 1, "an adhesion of", v(r, 1));
    } else if (k == "orologio") {
      if (v(r, 0) < 0 || v(r, 0) > 23 || v(r, 1) < 0 || v(r, 1) > 59 || v(r, 2) < 0 || v(r, 2) > 59)
        warn(value(r, 0), "clock-range",
             "a start clock of " + num(v(r, 0)) + ":" + num(v(r, 1)) + ":" + num(v(r, 2)) +
                 " lies outside 00:00:00 to 23:59:59");
    } else if (k == "segnale") {
      check_values_of_signal(r);
    } else if (k == "rallentamento") {
      check_place(r, v(r, 0), "slowdown");
      if ((v(r, 0) + v(r, 2)) % 50 != 0 && v(r, 0) % 50 == 0)
        warn(value(r, 2), "off-grid",
             "the slowdown ends at " + num(v(r, 0) + v(r, 2)) + " m, off the 50 m grid: its end lands in cell " +
                 num(cells_of_slowdown(v(r, 0), v(r, 2)).end));
      check_int16(r, 1, "a speed of", v(r, 1));
      check_int16(r, 3, "an f_tt of", v(r, 3));
      check_int16(r, 5, "a d_v of", v(r, 5));
    } else if (k == "abbattimento") {
      check_place(r, v(r, 0), "speed-reduction point");
      if (v(r, 1) >= 1) check_int16(r, 1, "a reduction value of", v(r, 1));
    } else if (k == "stazione") {
      check_order(r, v(r, 0));
      if (v(r, 0) > route_length() && route_length() >= 0) check_place(r, v(r, 0), "station");
      check_station_time(r);
      check_text(r, 16, "the station name");
    }
  }

  void check_values_of_signal(const row_seen& r) {
    check_place(r, v(r, 0), "signal");
    const int64_t sx = v(r, 1), dx = v(r, 6);
    for (size_t i = 0; i < 3; ++i)
      check_int16(r, 2 + i, "s" + num(int64_t(i) + 1) + " × 10 + d" + num(int64_t(i) + 1) + ", that is",
                  v(r, 2 + i) * 10 + v(r, 7 + i));
    check_int16(r, 5, "rapp × 10 + sx × 3 + dx, that is", v(r, 5) * 10 + sx * 3 + dx);
    const int64_t approach = (sx * 3 + dx) * 10 + 4;
    if (approach < 0 || approach > 255)
      warn(value(r, 1), "byte-wraps",
           "the approach codes (sx × 3 + dx) × 10 + 1 to 4 reach " + num(approach) + ", past one byte");
    int64_t tempo = v(r, 10);
    if (tempo >= 1 && tempo <= 100) tempo = 101;
    if (sx == 2) check_byte(r, 10, "a signal time of", tempo);
  }

  void run() {
    if (!t.read) return;
    if (!check_encoding()) return;
    check_generale();
    std::map<size_t, std::vector<const row_seen*>> rows_on;
    for (const row_seen& r : t.rows) rows_on[r.keyword_field].push_back(&r);
    const row_seen* previous = nullptr;
    for (const size_t k : t.keyword_fields) {
      const auto it = rows_on.find(k);
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

const std::vector<std::string>& known_keywords() {
  static const std::vector<std::string> words{
      "pendenza", "curva",    "montagna", "indicatori_vmax", "cartello_indicatore", "lunghezza",  "percorso",
      "progressiva", "sfondo", "ripetizione", "segnali",     "velocita",            "aderenza",   "orologio",
      "sabbia",   "segnale",  "rallentamento", "abbattimento", "stazione",           "vetture",    "frenata",
      "massa"};
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
  text_warner{log.line, names.line, model, true, out, {}, {}, -1, 0, -1, 0}.run();
  text_warner{log.train, names.train, model, false, out, {}, {}, -1, 0, -1, 0}.run();
}

}  // namespace sb
