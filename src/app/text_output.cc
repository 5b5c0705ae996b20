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

std::string json_string(std::string_view bytes) {
  return escaped(bytes, [](unsigned char c) { return "\\u00" + hex_byte(c); });
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
