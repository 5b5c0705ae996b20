#include "check/check_support.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace sb {

diagnostic_counts count(const std::vector<diagnostic>& diagnostics) {
  diagnostic_counts c;
  for (const diagnostic& d : diagnostics) (d.level == severity::error ? c.errors : c.warnings) += 1;
  return c;
}

namespace check {

std::string_view token(const text_seen& t, const field_seen& f) {
  return std::string_view(t.text).substr(f.begin, f.end - f.begin);
}

std::string_view line_text(const text_seen& t, int line) { return t.line(line); }

std::string quoted(std::string_view bytes, size_t most) { return quoted_for_message(bytes, most); }

std::string as_windows_1252(std::string_view bytes) {
  // 0x80 to 0x9F; the rest of the upper half is Latin-1.
  static constexpr std::array<char16_t, 32> upper{
      0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
      0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD, 0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
      0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};
  std::string out;
  for (const char ch : bytes) {
    const auto c = static_cast<unsigned char>(ch);
    const char16_t u = c >= 0x80 && c < 0xA0 ? upper[c - 0x80] : char16_t{c};
    if (u < 0x20 || u == 0x7f) {
      out += '?';
    } else if (u < 0x80) {
      out += static_cast<char>(u);
    } else if (u < 0x800) {
      out += static_cast<char>(0xC0 | (u >> 6));
      out += static_cast<char>(0x80 | (u & 0x3F));
    } else {
      out += static_cast<char>(0xE0 | (u >> 12));
      out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (u & 0x3F));
    }
  }
  return out;
}

namespace {

size_t edits(std::string_view a, std::string_view b) {
  // Levenshtein distance with adjacent transpositions counted as one edit.
  std::vector<std::vector<size_t>> d(a.size() + 1, std::vector<size_t>(b.size() + 1));
  for (size_t i = 0; i <= a.size(); ++i) d[i][0] = i;
  for (size_t j = 0; j <= b.size(); ++j) d[0][j] = j;
  for (size_t i = 1; i <= a.size(); ++i)
    for (size_t j = 1; j <= b.size(); ++j) {
      d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + (a[i - 1] == b[j - 1] ? 0 : 1)});
      if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
        d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
    }
  return d[a.size()][b.size()];
}

}  // namespace

std::optional<std::string> closest(std::string_view field, const std::vector<std::string>& words) {
  std::string first;
  size_t i = 0;
  while (i < field.size() && (field[i] == ' ' || field[i] == '\t')) ++i;
  for (; i < field.size() && first.size() < 40; ++i) {
    const auto c = static_cast<unsigned char>(field[i]);
    if (!std::isalpha(c) && c != '_' && c != '[' && c != ']') break;
    first += static_cast<char>(std::tolower(c));
  }
  if (first.size() < 4) return std::nullopt;
  std::optional<std::string> best;
  size_t best_edits = 3;
  for (const std::string& w : words) {
    const size_t e = edits(first, w);
    if (e < best_edits) {
      best_edits = e;
      best = w;
    }
  }
  return best;
}

int64_t number_of(const text_seen& t, const field_seen& f) {
  const std::string_view s = token(t, f);
  size_t i = 0;
  const bool negative = !s.empty() && s[0] == '-';
  if (negative) i = 1;
  int64_t v = 0;
  for (; i < s.size() && v < (int64_t{1} << 40); ++i) v = v * 10 + (s[i] - '0');
  return negative ? -v : v;
}

diagnostic at_field(const text_seen& t, const field_seen& f, const std::string& shown_file, severity level,
                    std::string name, std::string message) {
  diagnostic d;
  d.file = shown_file;
  d.line = f.line;
  d.column = f.column;
  d.level = level;
  d.name = std::move(name);
  d.message = std::move(message);
  d.source = std::string(line_text(t, f.line));
  d.width = static_cast<int>(std::max<size_t>(1, f.end > f.begin ? f.end - f.begin : 1));
  return d;
}

}  // namespace check
}  // namespace sb
