#include "documents/line_list.h"

namespace sb {

void line_list::set(int index, std::string text) {
  if (index < 0 || index >= capacity) return;
  entries_[static_cast<size_t>(index)] = std::move(text);
}

std::string line_list::render() const {
  std::string bytes;
  for (const std::string& entry : entries_) {
    if (entry == end_marker) break;
    bytes += entry;
    bytes += "\r\n";
  }
  return bytes;
}

}  // namespace sb
