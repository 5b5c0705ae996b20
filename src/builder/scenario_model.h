// The one in-memory model of a scenario: what the reader fills, the
// protection pass and the stamping complete, and the compiled files carry.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/huge_pages.h"

namespace sb {

// One 50-metre cell of the line. Field order is the cell file's byte order.
struct track_cell {
  uint8_t kind = 0;
  int16_t value_1 = 0;
  int16_t value_2 = 0;
  int16_t value_3 = 0;
  int16_t value_4 = 0;
  uint8_t signal_time = 0;
  uint8_t approach_code = 0;
  uint8_t mountain_kind = 0;
  uint8_t speed_code = 0;
  uint8_t gradient_code = 0;
  uint8_t adhesion = 0;

  bool operator==(const track_cell&) const = default;
};

// Cell kinds.
namespace cell_kind {
inline constexpr uint8_t empty = 0;
inline constexpr uint8_t signal = 1;
inline constexpr uint8_t slowdown_end = 2;
inline constexpr uint8_t slowdown_start = 3;
inline constexpr uint8_t slowdown_warning = 4;
inline constexpr uint8_t slowdown_approach = 5;
inline constexpr uint8_t speed_indicator = 6;
inline constexpr uint8_t station_end = 10;
inline constexpr uint8_t mountain_marker = 11;
inline constexpr uint8_t reduction_point = 12;
inline constexpr uint8_t reduction_point_no_value = 13;
inline constexpr uint8_t indication_board = 14;
}  // namespace cell_kind

// A cell that an item may take: empty, or only a mountain marker.
inline bool is_free(const track_cell& c) {
  return c.kind == cell_kind::empty || c.kind == cell_kind::mountain_marker;
}

// One row of the scenario table. Field order is the table file's order
// except `text`, which the file writes after `flag_a`.
struct table_entry {
  uint8_t kind = 0;
  int32_t range_start = 0;
  int32_t range_end = 0;
  int32_t position = 0;
  uint8_t flag_a = 0;
  std::string text;  // bytes, never transcoded
  int16_t value_a = 0;
  int16_t value_b = 0;
  int16_t value_c = 0;
  int16_t value_d = 0;
  int16_t value_e = 0;
  uint8_t flag_d = 0;
  uint8_t stop_value = 0;
  uint8_t flag_c = 0;
  uint8_t flag_b = 0;
  int32_t time_of_day = 0;

  bool operator==(const table_entry&) const = default;
};

inline constexpr int table_rows = 87;  // rows 0 to 86
using scenario_table_t = std::array<table_entry, table_rows>;

// Rows of the table with a fixed use.
namespace table_row {
inline constexpr int first_station = 1;
inline constexpr int first_board = 80;  // boards grow downward from here
inline constexpr int progression_largest = 81;
inline constexpr int progression_middle = 82;
inline constexpr int progression_smallest = 83;
inline constexpr int train_and_route = 84;
inline constexpr int scenery_and_identity = 85;
inline constexpr int repetition_and_clock = 86;
}  // namespace table_row

// A number of the track plan keeps its kind: the seeds are small integers,
// computed points are doubles, the last two points hold nothing.
struct plan_number {
  enum class tag : uint8_t { empty = 0, int16 = 2, real = 5 };
  tag kind = tag::empty;
  int16_t integer = 0;
  double real = 0.0;

  static plan_number of_int16(int16_t v) { return {tag::int16, v, 0.0}; }
  static plan_number of_real(double v) { return {tag::real, 0, v}; }
  // The numeric value whatever the kind (0 when empty).
  double value() const {
    return kind == tag::real ? real : kind == tag::int16 ? double(integer) : 0.0;
  }
  bool operator==(const plan_number&) const = default;
};

// Plan x and y for every metre 0 .. total_metres; empty until created.
// A column holds up to a million numbers: it lives on huge pages.
using plan_column = std::vector<plan_number, huge_page_allocator<plan_number>>;
struct track_plan_t {
  plan_column x;
  plan_column y;

  bool exists() const { return !x.empty(); }
  int64_t size() const { return static_cast<int64_t>(x.size()); }
};

inline constexpr int mountain_capacity = 80;  // indices 1..80 used

struct scenario_model {
  std::string route_name;
  std::string train_number;
  int32_t geometry_flag = 0;
  std::string current_field;
  int32_t total_metres = 0;
  int32_t last_cell = 0;
  int32_t mountain_count = 0;
  int32_t error_code = 0;
  int32_t error_position = 0;

  // Indices 0 .. last_cell once the reader has met the route length;
  // empty before.
  std::vector<track_cell> cells;
  scenario_table_t scenario_table{};
  track_plan_t track_plan;
  std::array<int32_t, mountain_capacity + 1> mountain_start{};
  std::array<int32_t, mountain_capacity + 1> mountain_end{};

  bool has_cells() const { return !cells.empty(); }
};

// Resets every row of the table: numbers and flags to 0, texts empty.
void clear_scenario_table(scenario_model& model);

}  // namespace sb
