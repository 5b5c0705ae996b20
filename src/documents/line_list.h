// The fixed texts of the documents are held as a list of 1001 lines closed
// by an end marker that is never written.
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace sb {

inline constexpr std::string_view end_marker = "riferimento fine del file";

class line_list {
 public:
  static constexpr int capacity = 1001;  // entries 0 .. 1000

  // Sets entry `index`; out-of-range indices are ignored.
  void set(int index, std::string text);
  const std::string& at(int index) const { return entries_[static_cast<size_t>(index)]; }

  // The file's bytes: every entry before the end marker, each followed by
  // CR LF. Without a marker the list stops after its last entry.
  std::string render() const;

 private:
  std::array<std::string, capacity> entries_;
};

}  // namespace sb
