#include "builder/error_codes.h"

#include <algorithm>

namespace sb {

namespace {

struct error_info {
  error code;
  std::string_view name;
  std::string_view meaning;
};

constexpr error_info error_table[] = {
    {error::route_length, "route-length", "route length outside -6950 to 1000000 m"},
    {error::progression_off_grid, "progression-off-grid", "a kilometric progression's start or value is not a multiple of 50"},
    {error::repetition_start_off_grid, "repetition-start-off-grid", "signal repetition start is not a multiple of 50"},
    {error::repetition_end_off_grid, "repetition-end-off-grid", "signal repetition end is not a multiple of 50"},
    {error::repetition_system, "repetition-system", "signal repetition keyword names neither the 4-code nor the 9-code system"},
    {error::board_cell_taken, "board-cell-taken", "the cell of an indication board is already taken"},
    {error::reduction_cell_taken, "reduction-cell-taken", "the cell of a speed-reduction point is already taken"},
    {error::station_off_grid, "station-off-grid", "station chainage is not a multiple of 50"},
    {error::station_length, "station-length", "station length is not a multiple of 100"},
    {error::too_many_stations, "too-many-stations", "too many stations and indication boards for the table's 80 rows"},
    {error::no_room_before_warning, "no-room-before-warning",
     "no room for a speed-reduction point in front of a signal before a slowdown warning point"},
    {error::no_room_before_start, "no-room-before-start", "no room for a speed-reduction point ahead of a slowdown start"},
    {error::no_room_along_slowdown, "no-room-along-slowdown", "no room for a speed-reduction point along or after a slowdown"},
    {error::beyond_line, "beyond-line", "item lies beyond the end of the line"},
    {error::signal_cell_taken, "signal-cell-taken", "the cell of a signal is already taken"},
    {error::warning_cell_taken, "warning-cell-taken",
     "the cell of a slowdown warning point (1200 m before its start) is already taken"},
    {error::start_cell_taken, "start-cell-taken", "the start cell of a slowdown is already taken"},
    {error::end_cell_taken, "end-cell-taken", "the end cell of a slowdown is already taken"},
    {error::approach_cell_taken, "approach-cell-taken", "one of the four approach cells of a slowdown is already taken"},
    {error::indicator_cell_taken, "indicator-cell-taken", "the cell of a maximum-speed indicator board is already taken"},
    {error::stations_too_close, "stations-too-close", "station begins less than 350 m after the end of the previous one"},
    {error::station_near_origin, "station-near-origin", "station ends too near the origin of the line (100 m or less)"},
    {error::unreadable_text, "unreadable-text", "unreadable scenario text"},
    {error::no_line_file, "no-line-file", "the line file does not exist"},
    {error::no_generale, "no-generale", "the line file has no [generale] section"},
    {error::curve_sharpness, "curve-sharpness", "curve keyword has no sharpness digit 1 to 6, or the track plan passed 1000000 m"},
    {error::marker_in_use, "marker-in-use", "a marker field is already in use (an item stands in cell 1)"},
    {error::code_field_in_use, "code-field-in-use", "a code field is already in use (an item stands in cell 1)"},
};

}  // namespace

std::string_view meaning_of(error e) {
  for (const error_info& info : error_table)
    if (info.code == e) return info.meaning;
  return {};
}

std::string_view name_of(error e) {
  for (const error_info& info : error_table)
    if (info.code == e) return info.name;
  return {};
}

std::string error_headline(std::string_view file, int line, int column, error code,
                           std::optional<int32_t> chainage, std::string_view message) {
  std::string s;
  if (!file.empty()) {
    s += file;
    if (line > 0) s += ":" + std::to_string(line);
    if (line > 0 && column > 0) s += ":" + std::to_string(column);
    s += ": ";
  }
  s += "error " + std::to_string(code_of(code));
  if (chainage) s += " at " + std::to_string(*chainage) + " m";
  s += ": ";
  s += message.empty() ? std::string_view("unknown error") : message;
  return s;
}

std::string describe(const build_error& e) {
  std::string message(!e.message.empty() ? std::string_view(e.message) : meaning_of(e.code));
  if (!e.detail.empty()) message += " (" + e.detail + ")";
  return error_headline(e.file, e.line, e.column, e.code, e.chainage, message);
}

std::string escaped_bytes(std::string_view bytes, bool keep_tabs) {
  static constexpr char digits[] = "0123456789ABCDEF";
  std::string s;
  for (const char ch : bytes) {
    const auto c = static_cast<unsigned char>(ch);
    if ((c >= 0x20 && c < 0x7f) || (keep_tabs && c == '\t')) {
      s += ch;
    } else {
      s += "\\x";
      s += digits[c >> 4];
      s += digits[c & 15];
    }
  }
  return s;
}

std::string quoted_for_message(std::string_view bytes, size_t most) {
  const size_t shown = std::min(bytes.size(), most);
  return "\"" + escaped_bytes(bytes.substr(0, shown)) + (shown < bytes.size() ? "..." : "") + "\"";
}

}  // namespace sb
