#include "documents/text_layout.h"

namespace sb {

std::string right_aligned(long value, int width) {
  std::string digits = std::to_string(value);
  if (static_cast<int>(digits.size()) >= width) return digits;
  return blanks(width - static_cast<int>(digits.size())) + digits;
}

std::string left_aligned(std::string_view text, int width) {
  std::string out(text);
  if (static_cast<int>(out.size()) < width) out.append(static_cast<size_t>(width) - out.size(), ' ');
  return out;
}

std::string blanks(int n) { return n > 0 ? std::string(static_cast<size_t>(n), ' ') : std::string(); }

}  // namespace sb
