#include "app/svg_writer.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace sb::svg {

std::string number(double v, int decimals) {
  if (!std::isfinite(v)) return "0";
  if (decimals < 0) decimals = 0;
  if (decimals > 6) decimals = 6;
  char buf[64];
  const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, decimals);
  if (r.ec != std::errc{}) return "0";
  std::string s(buf, r.ptr);
  if (s.find('.') != std::string::npos) {
    while (s.back() == '0') s.pop_back();
    if (s.back() == '.') s.pop_back();
  }
  // A tiny negative value rounds to "-0", which reads oddly.
  if (s == "-0") s = "0";
  return s;
}

std::string escape(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (const char ch : bytes) {
    const auto c = static_cast<unsigned char>(ch);
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&apos;"; break;
      default:
        if (c >= 0x80) {
          char ref[12];
          std::snprintf(ref, sizeof ref, "&#x%X;", static_cast<unsigned>(c));
          out += ref;
        } else if (c < 0x20 && c != '\t' && c != '\n' && c != '\r') {
          out += '?';
        } else {
          out += ch;
        }
    }
  }
  return out;
}

writer::writer(double width, double height) {
  out_ = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  open("svg", {{"xmlns", "http://www.w3.org/2000/svg"},
               {"width", width},
               {"height", height},
               {"viewBox", "0 0 " + number(width) + " " + number(height)}});
}

void writer::indent() { out_.append(open_.size() * 1, ' '); }

void writer::start_tag(std::string_view name, const std::vector<attr>& attrs) {
  indent();
  out_ += '<';
  out_ += name;
  for (const attr& a : attrs) {
    out_ += ' ';
    out_ += a.name;
    out_ += "=\"";
    out_ += escape(a.value);
    out_ += '"';
  }
}

void writer::open(std::string_view name, const std::vector<attr>& attrs) {
  start_tag(name, attrs);
  out_ += ">\n";
  open_.emplace_back(name);
}

void writer::close() {
  if (open_.empty()) return;
  const std::string name = std::move(open_.back());
  open_.pop_back();
  indent();
  out_ += "</" + name + ">\n";
}

void writer::leaf(std::string_view name, const std::vector<attr>& attrs) {
  start_tag(name, attrs);
  out_ += "/>\n";
}

void writer::text(std::string_view name, const std::vector<attr>& attrs, std::string_view content) {
  start_tag(name, attrs);
  out_ += '>';
  out_ += escape(content);
  out_ += "</";
  out_ += name;
  out_ += ">\n";
}

void writer::comment(std::string_view content) {
  indent();
  std::string safe(content);
  // "--" may not appear inside a comment.
  for (size_t p; (p = safe.find("--")) != std::string::npos;) safe[p + 1] = ' ';
  out_ += "<!-- " + escape(safe) + " -->\n";
}

std::string writer::finish() {
  while (!open_.empty()) close();
  return std::move(out_);
}

void points::add(double x, double y) {
  if (!text_.empty()) text_ += ' ';
  text_ += number(x);
  text_ += ',';
  text_ += number(y);
}

}  // namespace sb::svg
