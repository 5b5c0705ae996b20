// Small pieces of the tools' text output that must read the same whatever
// the locale: numbers, quoted texts, CSV and JSON fields, padding.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace sb {

enum class output_format { text, csv, json };

std::string num(int64_t v);
// The shortest text that reads back as the same double.
std::string real(double v);
std::string signed_num(int64_t v);  // "+4", "0", "-5"
// "hh:mm:ss"; hours may pass 23, a negative count gets a sign.
std::string clock_of(int64_t h, int64_t m, int64_t s);
std::string clock_of_seconds(int64_t seconds);

// A text of the files for a terminal, in double quotes: printable ASCII as
// it is, any other byte as \xNN, so that it shows the bytes the simulator
// gets.
std::string quoted(std::string_view bytes);
// A CSV field, quoted only when it must be.
std::string csv_field(std::string_view s);
// A JSON string of a text of the files, whose bytes are Windows-1252 (the
// simulator's character set): each character as \uXXXX, and the five bytes
// that code no character (0x81, 0x8D, 0x8F, 0x90, 0x9D) as the text \xNN.
// The output is ASCII, so always valid UTF-8.
std::string json_string(std::string_view bytes);
// A JSON string of a name of the system (a path, a file name), taken as
// UTF-8: valid sequences as they are, each byte that is not part of one as
// the text \xNN (so Latin-1 "Citt\xe0" reads "Citt\\xe0" in the JSON).
std::string json_name(std::string_view bytes);
// A JSON number; "null" for a value JSON cannot hold.
std::string json_real(double v);

// One decoded value of a dump: a number, a text of the file (quoted when
// shown) or a plain word.
struct named_value {
  enum class type { number, text, word };
  std::string name;
  type t = type::number;
  int64_t number = 0;
  std::string text;

  bool is_zero() const { return t == type::number ? number == 0 : text.empty(); }
};
named_value number_value(std::string name, int64_t v);
named_value text_value(std::string name, std::string s);
named_value word_value(std::string name, std::string s);

// "a=1 b=\"x\" c=word".
std::string join_values(const std::vector<named_value>& values);
// {"a": 1, "b": "x", "c": "word"}.
std::string json_object(const std::vector<named_value>& values);

std::string pad_right(std::string s, size_t width);
std::string pad_left(const std::string& s, size_t width);

}  // namespace sb
