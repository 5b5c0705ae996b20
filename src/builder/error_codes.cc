#include "builder/error_codes.h"

#include <array>
#include <utility>

namespace sb {

namespace {

constexpr std::array<std::pair<int32_t, std::string_view>, 28> kMeanings{{
    {1, "route length outside -6950 to 1000000 m"},
    {2, "a kilometric progression's start or value is not a multiple of 50"},
    {3, "signal repetition start is not a multiple of 50"},
    {4, "signal repetition end is not a multiple of 50"},
    {5, "signal repetition keyword names neither the 4-code nor the 9-code system"},
    {6, "the cell of an indication board is already taken"},
    {7, "the cell of a speed-reduction point is already taken"},
    {8, "station chainage is not a multiple of 50"},
    {9, "station length is not a multiple of 100"},
    {10, "too many stations and indication boards for the table's 80 rows"},
    {11, "no room for a speed-reduction point in front of a signal before a slowdown warning point"},
    {12, "no room for a speed-reduction point ahead of a slowdown start"},
    {13, "no room for a speed-reduction point along or after a slowdown"},
    {15, "item lies beyond the end of the line"},
    {16, "the cell of a signal is already taken"},
    {17, "the cell of a slowdown warning point (1200 m before its start) is already taken"},
    {18, "the start cell of a slowdown is already taken"},
    {19, "the end cell of a slowdown is already taken"},
    {20, "one of the four approach cells of a slowdown is already taken"},
    {21, "the cell of a maximum-speed indicator board is already taken"},
    {22, "station begins less than 350 m after the end of the previous one"},
    {24, "station ends too near the origin of the line (100 m or less)"},
    {25, "unreadable scenario text"},
    {101, "the line file does not exist"},
    {102, "the line file has no [generale] section"},
    {103, "curve keyword has no sharpness digit 1 to 6, or the track plan passed 1000000 m"},
    {1250, "a marker field is already in use (an item stands in cell 1)"},
    {1251, "a code field is already in use (an item stands in cell 1)"},
}};

}  // namespace

std::string_view error_meaning(int32_t code) {
  for (const auto& [c, meaning] : kMeanings)
    if (c == code) return meaning;
  return {};
}

std::string describe_error(int32_t code, int32_t position, const error_site& site) {
  std::string line;
  if (!site.file.empty()) {
    line += site.file;
    if (site.line > 0) line += ":" + std::to_string(site.line);
    line += ": ";
  }
  line += "error " + std::to_string(code);
  if (site.has_position) line += " at " + std::to_string(position) + " m";
  const std::string_view meaning = error_meaning(code);
  line += ": ";
  line += meaning.empty() ? std::string_view("unknown error") : meaning;
  if (!site.detail.empty()) line += " (" + site.detail + ")";
  return line;
}

}  // namespace sb
