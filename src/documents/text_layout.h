// Small helpers with which the document texts are laid out: fixed-width
// fields and a filler that places lines one after the other in a line list.
#pragma once

#include <string>
#include <string_view>

#include "documents/line_list.h"

namespace sb {

// `value` right-aligned in `width` characters; a wider value is kept whole.
std::string right_aligned(long value, int width);
// `text` padded with blanks on the right to `width`; a longer text is kept whole.
std::string left_aligned(std::string_view text, int width);
// `n` blanks.
std::string blanks(int n);

// Fills a line list from entry 0 upward and closes it with the end marker
// in the entry after the last line.
class line_filler {
 public:
  void add(std::string text) { list_.set(next_++, std::move(text)); }
  int count() const { return next_; }
  line_list finish() {
    list_.set(next_, std::string(end_marker));
    return list_;
  }

 private:
  line_list list_;
  int next_ = 0;
};

}  // namespace sb
