#include "app/diagnostics_output.h"

#include <algorithm>
#include <ostream>

#include "app/text_output.h"

namespace sb {

namespace {

// A line of a scenario text made safe for a terminal, tabs kept so that
// the caret lines up.
std::string printable(std::string_view bytes) { return escaped_bytes(bytes, true); }

// Blanks as wide as the printable form of `bytes`, tabs kept.
std::string blanks_under(std::string_view bytes) {
  std::string s;
  for (const char c : printable(bytes)) s += c == '\t' ? '\t' : ' ';
  return s;
}

// A JSON string of a diagnostic's text: the names and messages are UTF-8
// where they are not ASCII, and a folder's name may hold any byte.
std::string json_text(std::string_view s) { return json_name(s); }

}  // namespace

std::string diagnostic_text(const diagnostic& d) {
  std::string s;
  if (d.level == severity::error) {
    s = error_headline(d.file, d.line, d.column, d.code.value_or(error::none), d.chainage, d.message);
  } else {
    if (!d.file.empty()) {
      s += d.file;
      if (d.line > 0) s += ":" + num(d.line);
      if (d.line > 0 && d.column > 0) s += ":" + num(d.column);
      s += ": ";
    }
    s += "warning: " + d.message + " [" + d.name + "]";
  }
  s += "\n";
  if (d.line > 0 && d.column > 0 && !d.source.empty()) {
    const std::string number = num(d.line);
    const std::string gutter(number.size() < 5 ? 5 - number.size() : 0, ' ');
    // A long line shows a window around the place, each cut marked "...".
    constexpr size_t most_shown = 120, shown_before = 40;
    std::string_view source = d.source;
    size_t before = std::min(static_cast<size_t>(d.column - 1), source.size());
    std::string lead, tail;
    if (source.size() > most_shown) {
      const size_t from = before > shown_before ? before - shown_before : 0;
      if (from > 0) lead = "...";
      if (from + most_shown < source.size()) tail = "...";
      source = source.substr(from, most_shown);
      before -= from;
    }
    s += gutter + number + " | " + lead + printable(source) + tail + "\n";
    const size_t under = std::max<size_t>(1, printable(source.substr(before, static_cast<size_t>(d.width))).size());
    s += std::string(gutter.size() + number.size(), ' ') + " | " + std::string(lead.size(), ' ') +
         blanks_under(source.substr(0, before)) + "^" + std::string(under - 1, '~') + "\n";
  }
  return s;
}

void print_text(const std::vector<diagnostic>& diagnostics, std::ostream& out) {
  for (const diagnostic& d : diagnostics) out << diagnostic_text(d);
}

void print_json(const std::vector<diagnostic>& diagnostics, std::ostream& out) {
  out << "{\"diagnostics\": [";
  bool first = true;
  for (const diagnostic& d : diagnostics) {
    out << (first ? "" : ", ") << "{\"file\": " << (d.file.empty() ? "null" : json_text(d.file))
        << ", \"line\": " << d.line << ", \"column\": " << d.column
        << ", \"severity\": " << (d.level == severity::error ? "\"error\"" : "\"warning\"")
        << ", \"code\": " << (d.code ? num(code_of(*d.code)) : "null") << ", \"name\": " << json_text(d.name)
        << ", \"chainage\": " << (d.chainage ? num(*d.chainage) : "null")
        << ", \"message\": " << json_text(d.message) << "}";
    first = false;
  }
  const diagnostic_counts c = count(diagnostics);
  out << "], \"errors\": " << c.errors << ", \"warnings\": " << c.warnings << "}\n";
}

std::string counts_text(const diagnostic_counts& c) {
  return num(c.errors) + (c.errors == 1 ? " error, " : " errors, ") + num(c.warnings) +
         (c.warnings == 1 ? " warning" : " warnings");
}

}  // namespace sb
