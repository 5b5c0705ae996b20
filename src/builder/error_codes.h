// Every code a build can end with, what it means, and the one value that
// carries a build's fault from where it is found to the person told of it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace sb {

// The numbers are fixed: they are what the person sees.
enum class error : int32_t {
  none = 0,
  route_length = 1,
  progression_off_grid = 2,
  repetition_start_off_grid = 3,
  repetition_end_off_grid = 4,
  repetition_system = 5,
  board_cell_taken = 6,
  reduction_cell_taken = 7,
  station_off_grid = 8,
  station_length = 9,
  too_many_stations = 10,
  no_room_before_warning = 11,
  no_room_before_start = 12,
  no_room_along_slowdown = 13,
  beyond_line = 15,
  signal_cell_taken = 16,
  warning_cell_taken = 17,
  start_cell_taken = 18,
  end_cell_taken = 19,
  approach_cell_taken = 20,
  indicator_cell_taken = 21,
  stations_too_close = 22,
  station_near_origin = 24,
  unreadable_text = 25,
  no_line_file = 101,
  no_generale = 102,
  curve_sharpness = 103,
  marker_in_use = 1250,
  code_field_in_use = 1251,
};

inline int32_t code_of(error e) { return static_cast<int32_t>(e); }
// A plain-language meaning, and a short name ("signal-cell-taken"); empty
// for `none`.
std::string_view meaning_of(error e);
std::string_view name_of(error e);
// The codes that stop the build before anything is compiled: the plain run
// shows them in the message box.
inline bool stops_the_build(error e) { return e == error::marker_in_use || e == error::code_field_in_use; }

// A build's fault, formed once where it is found.
struct build_error {
  error code = error::none;
  std::optional<int32_t> chainage;  // for the codes that have one
  std::string file;                 // the text at fault; empty when none
  int line = 0;                     // 1-based; 0 when none
  std::string detail = {};          // what exactly was wrong, when known
  int column = 0;                   // of the field at fault; 0 when none
  std::string message = {};         // said instead of the code's meaning, when set

  bool operator==(const build_error&) const = default;
};

// "FILE:LINE:COLUMN: error CODE at CHAINAGE m: MESSAGE", dropping the
// parts that are absent (a line or column of 0): the one way every
// command names an error.
std::string error_headline(std::string_view file, int line, int column, error code,
                           std::optional<int32_t> chainage, std::string_view message);
// The headline of a build's fault, its message its meaning and detail:
// "FILE:LINE: error CODE at CHAINAGE m: MEANING (DETAIL)".
std::string describe(const build_error& e);

// Scenario bytes made safe to print on any terminal: printable ASCII as it
// is, every other byte (NUL, escape, DEL, the upper half) as \xNN; tabs
// kept when asked, so that a caret under a line still lines up.
std::string escaped_bytes(std::string_view bytes, bool keep_tabs = false);
// The same in double quotes; longer than `most` bytes, cut with "...".
std::string quoted_for_message(std::string_view bytes, size_t most = 40);

}  // namespace sb
