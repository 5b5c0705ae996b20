// A small hand-rolled SVG writer: elements, attributes and text, with numbers
// that read the same whatever the locale.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace sb::svg {

// Fixed-point text of `v` with at most `decimals` decimals, trailing zeros
// dropped ("12.5", "3", "-0.25"). Always a '.', never a locale's comma.
// Non-finite values come out as "0" so that a file never carries "nan".
std::string number(double v, int decimals = 1);

// Bytes made safe for XML text and attribute values. Bytes above 0x7F are
// taken as Latin-1 and written as character references; control bytes that
// XML forbids become '?'.
std::string escape(std::string_view bytes);

struct attr {
  attr(std::string_view n, std::string_view v) : name(n), value(v) {}
  attr(std::string_view n, const char* v) : name(n), value(v) {}
  attr(std::string_view n, const std::string& v) : name(n), value(v) {}
  attr(std::string_view n, double v, int decimals = 1) : name(n), value(number(v, decimals)) {}
  attr(std::string_view n, int v) : name(n), value(std::to_string(v)) {}
  std::string name;
  std::string value;  // raw text, escaped when written
};

// Builds a document top-down; every element opened is closed by `finish`
// at the latest, so the output is always balanced.
class writer {
 public:
  writer(double width, double height);

  void open(std::string_view name, const std::vector<attr>& attrs = {});
  void close();
  // <name .../>
  void leaf(std::string_view name, const std::vector<attr>& attrs);
  // <name ...>text</name>
  void text(std::string_view name, const std::vector<attr>& attrs, std::string_view content);
  void comment(std::string_view content);

  std::string finish();

 private:
  void start_tag(std::string_view name, const std::vector<attr>& attrs);
  void indent();

  std::string out_;
  std::vector<std::string> open_;
};

// "x1,y1 x2,y2 ..." for a polyline or polygon.
class points {
 public:
  void add(double x, double y);
  bool empty() const { return text_.empty(); }
  const std::string& str() const { return text_; }

 private:
  std::string text_;
};

}  // namespace sb::svg
