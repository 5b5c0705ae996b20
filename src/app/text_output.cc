#include "app/text_output.h"

#include <charconv>
#include <cmath>
#include <utility>

namespace sb {

namespace {

std::string hex_byte(unsigned char c) {
  static constexpr char digits[] = "0123456789abcdef";
  return {digits[c >> 4], digits[c & 15]};
}

std::string two_digits(int64_t v) { return v >= 0 && v < 10 ? "0" + num(v) : num(v); }

// Printable ASCII as it is, quotes and backslashes escaped, every other
// byte through `other`.
template <class Other>
std::string escaped(std::string_view bytes, Other other) {
  std::string s = "\"";
  for (const char ch : bytes) {
    const auto c = static_cast<unsigned char>(ch);
    if (c == '"' || c == '\\') {
      s += '\\';
      s += ch;
    } else if (c >= 0x20 && c < 0x7f) {
      s += ch;
    } else {
      s += other(c);
    }
  }
  return s + "\"";
}

}  // namespace

std::string num(int64_t v) {
  char buf[24];
  const auto r = std::to_chars(buf, buf + sizeof buf, v);
  return std::string(buf, r.ptr);
}

std::string real(double v) {
  char buf[40];
  const auto r = std::to_chars(buf, buf + sizeof buf, v);
  return std::string(buf, r.ptr);
}

std::string signed_num(int64_t v) { return v > 0 ? "+" + num(v) : num(v); }

std::string clock_of(int64_t h, int64_t m, int64_t s) {
  return two_digits(h) + ":" + two_digits(m) + ":" + two_digits(s);
}

std::string clock_of_seconds(int64_t seconds) {
  const std::string sign = seconds < 0 ? "-" : "";
  const int64_t a = seconds < 0 ? -seconds : seconds;
  return sign + clock_of(a / 3600, a / 60 % 60, a % 60);
}

std::string quoted(std::string_view bytes) {
  return escaped(bytes, [](unsigned char c) { return "\\x" + hex_byte(c); });
}

std::string csv_field(std::string_view s) {
  if (s.find_first_of(",\"\r\n") == std::string::npos) return std::string(s);
  std::string q = "\"";
  for (const char c : s) {
    if (c == '"') q += '"';
    q += c;
  }
  return q + "\"";
}

namespace {

// Windows-1252's characters for 0x80 to 0x9f; 0 where it has none. The
// other bytes are the code points of their values.
constexpr char16_t cp1252_high[32] = {
    0x20ac, 0,      0x201a, 0x0192, 0x201e, 0x2026, 0x2020, 0x2021, 0x02c6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017d, 0,      0,      0x2018, 0x2019, 0x201c, 0x201d, 0x2022,
    0x2013, 0x2014, 0x02dc, 0x2122, 0x0161, 0x203a, 0x0153, 0,      0x017e, 0x0178};

std::string json_escape(char32_t code) {
  return "\\u" + hex_byte(static_cast<unsigned char>(code >> 8)) + hex_byte(static_cast<unsigned char>(code & 0xff));
}

// How many bytes of `s` from `i` form one valid UTF-8 sequence of more than
// one byte; 0 when they do not (overlong forms and surrogates included).
size_t utf8_sequence(std::string_view s, size_t i) {
  const auto at = [&s](size_t k) { return static_cast<unsigned char>(s[k]); };
  const unsigned char c = at(i);
  size_t n;
  char32_t least;
  if (c >= 0xc2 && c <= 0xdf) {
    n = 2, least = 0x80;
  } else if (c >= 0xe0 && c <= 0xef) {
    n = 3, least = 0x800;
  } else if (c >= 0xf0 && c <= 0xf4) {
    n = 4, least = 0x10000;
  } else {
    return 0;
  }
  if (s.size() - i < n) return 0;
  char32_t code = c & (0x7f >> n);
  for (size_t k = 1; k < n; ++k) {
    if ((at(i + k) & 0xc0) != 0x80) return 0;
    code = (code << 6) | (at(i + k) & 0x3f);
  }
  if (code < least || code > 0x10ffff || (code >= 0xd800 && code <= 0xdfff)) return 0;
  return n;
}

}  // namespace

std::string json_string(std::string_view bytes) {
  return escaped(bytes, [](unsigned char c) -> std::string {
    if (c < 0x80 || c >= 0xa0) return json_escape(c);
    const char16_t code = cp1252_high[c - 0x80];
    return code != 0 ? json_escape(code) : "\\\\x" + hex_byte(c);
  });
}

std::string json_name(std::string_view bytes) {
  std::string s = "\"";
  for (size_t i = 0; i < bytes.size();) {
    const auto c = static_cast<unsigned char>(bytes[i]);
    if (c == '"' || c == '\\') {
      s += '\\';
      s += bytes[i++];
    } else if (c < 0x20 || c == 0x7f) {
      s += json_escape(c);
      ++i;
    } else if (c < 0x80) {
      s += bytes[i++];
    } else if (const size_t n = utf8_sequence(bytes, i); n > 0) {
      s.append(bytes.substr(i, n));
      i += n;
    } else {
      s += "\\\\x" + hex_byte(c);
      ++i;
    }
  }
  return s + "\"";
}

std::string json_real(double v) { return std::isfinite(v) ? real(v) : "null"; }

named_value number_value(std::string name, int64_t v) {
  return {std::move(name), named_value::type::number, v, {}};
}
named_value text_value(std::string name, std::string s) {
  return {std::move(name), named_value::type::text, 0, std::move(s)};
}
named_value word_value(std::string name, std::string s) {
  return {std::move(name), named_value::type::word, 0, std::move(s)};
}

std::string join_values(const std::vector<named_value>& values) {
  std::string s;
  for (const named_value& v : values) {
    if (!s.empty()) s += ' ';
    s += v.name + "=";
    switch (v.t) {
      case named_value::type::number: s += num(v.number); break;
      case named_value::type::text: s += quoted(v.text); break;
      case named_value::type::word: s += v.text; break;
    }
  }
  return s;
}

std::string json_object(const std::vector<named_value>& values) {
  std::string s = "{";
  for (const named_value& v : values) {
    if (s.size() > 1) s += ", ";
    s += json_string(v.name) + ": " + (v.t == named_value::type::number ? num(v.number) : json_string(v.text));
  }
  return s + "}";
}

std::string pad_right(std::string s, size_t width) {
  if (s.size() < width) s.append(width - s.size(), ' ');
  return s;
}

std::string pad_left(const std::string& s, size_t width) {
  return s.size() < width ? std::string(width - s.size(), ' ') + s : s;
}

}  // namespace sb
