// The one in-memory model of a scenario: what the reader fills, the
// protection pass and the stamping complete, and the compiled files carry;
// and what its codes mean, packed and unpacked side by side.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <memory>
#include <utility>
#include <vector>

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

// Station types (a station row's `kind`) whose extent is not the ordinary
// one, half the length either side of the position.
namespace station_kind {
// Reach back the whole length and end 150 m past the position; no approach codes.
inline constexpr uint8_t ends_past_position_first = 5;
inline constexpr uint8_t ends_past_position_last = 6;
// Reach the whole length either side of the position.
inline constexpr uint8_t spans_both_ways_first = 7;
inline constexpr uint8_t spans_both_ways_last = 8;
// From here on a station marks no cell: no end marker, no approach codes.
inline constexpr uint8_t first_unmarked = 25;
}  // namespace station_kind

inline bool ends_past_position(uint8_t kind) {
  return kind == station_kind::ends_past_position_first || kind == station_kind::ends_past_position_last;
}
inline bool spans_both_ways(uint8_t kind) {
  return kind == station_kind::spans_both_ways_first || kind == station_kind::spans_both_ways_last;
}
inline bool marks_cells(uint8_t kind) { return kind < station_kind::first_unmarked; }

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
// computed points are doubles, the last two points hold nothing. An int16
// number holds its integer exactly in `value`; an empty one holds 0.
struct plan_number {
  enum class tag : uint8_t { empty = 0, int16 = 2, real = 5 };
  tag kind = tag::empty;
  double value = 0.0;

  static plan_number of_int16(int16_t v) { return {tag::int16, double(v)}; }
  static plan_number of_real(double v) { return {tag::real, v}; }
  bool operator==(const plan_number&) const = default;
};

// Memory for the plan's columns, megabytes that are written end to end:
// taken from the system backed at once, not a page fault at a time.
void* allocate_plan_storage(size_t bytes);
void release_plan_storage(void* p, size_t bytes) noexcept;

// One coordinate for every metre, held as two parallel arrays (9 bytes a
// number rather than a padded 16-byte record). The value of an empty number
// is never stored: a new column's values are left unwritten until a number
// is set, so that creating the plan does not clear megabytes that are about
// to be written anyway.
class plan_column {
 public:
  plan_column() = default;
  plan_column(std::initializer_list<plan_number> numbers);

  // `n` empty numbers.
  void assign(size_t n) {
    values_.resize(0);
    values_.resize(n);
    tags_.assign(n, plan_number::tag::empty);
  }
  void push_back(plan_number n) {
    values_.push_back(n.value);
    tags_.push_back(n.kind);
  }
  size_t size() const { return tags_.size(); }
  bool empty() const { return tags_.empty(); }

  plan_number::tag kind(size_t i) const { return tags_[i]; }
  double value(size_t i) const { return tags_[i] == plan_number::tag::empty ? 0.0 : values_[i]; }
  // The value of a number known to be set: the plan steps read only those.
  double set_value(size_t i) const { return values_[i]; }
  // Every tag and every stored value, for the encoder's one pass; a value
  // whose tag is empty was never written.
  const plan_number::tag* tags() const { return tags_.data(); }
  const double* values() const { return values_.data(); }
  plan_number operator[](size_t i) const { return {kind(i), value(i)}; }
  void set(size_t i, plan_number n) {
    values_[i] = n.value;
    tags_[i] = n.kind;
  }
  void set_real(size_t i, double v) {
    values_[i] = v;
    tags_[i] = plan_number::tag::real;
  }

  bool operator==(const plan_column& other) const;

 private:
  // Takes the plan's storage, and leaves new elements unwritten instead of
  // clearing them.
  template <typename T>
  struct uncleared : std::allocator<T> {
    template <typename U>
    struct rebind {
      using other = uncleared<U>;
    };
    uncleared() = default;
    template <typename U>
    uncleared(const uncleared<U>&) noexcept {}
    T* allocate(size_t n) { return static_cast<T*>(allocate_plan_storage(n * sizeof(T))); }
    void deallocate(T* p, size_t n) noexcept { release_plan_storage(p, n * sizeof(T)); }
    template <typename U>
    void construct(U* p) noexcept {
      ::new (static_cast<void*>(p)) U;
    }
    template <typename U, typename... Args>
    void construct(U* p, Args&&... args) {
      ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
    }
  };

  std::vector<double, uncleared<double>> values_;
  std::vector<plan_number::tag, uncleared<plan_number::tag>> tags_;
};

// Plan x and y for every metre 0 .. total_metres; empty until created.
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

// ---- what the codes mean ----

inline constexpr int metres_per_cell = 50;
// A text field's length is an unsigned 16-bit number in the table file.
inline constexpr size_t longest_text = 65535;
// Stamped into row 85 and cell 1 before the integrity codes.
inline constexpr int16_t table_marker = 610;
inline constexpr int16_t cell_marker = 5121;

inline int64_t chainage_of_cell(int64_t index) { return index * metres_per_cell; }
// The speed limit is kept in units of 5 km/h, the gradient in per mille
// plus 100.
inline int64_t speed_kmh(uint8_t speed_code) { return int64_t{speed_code} * 5; }
inline int64_t gradient_per_mille(uint8_t gradient_code) { return int64_t{gradient_code} - 100; }

// Low bits, as a narrowing without rounding keeps them.
inline int16_t low16(int64_t v) { return static_cast<int16_t>(static_cast<uint16_t>(v)); }
inline uint8_t low8(int64_t v) { return static_cast<uint8_t>(v); }

// What a cell keeps of a speed limit: round(km/h / 5), before the test that
// it fits a byte. And of a gradient: per mille + 100, its low 8 bits.
int64_t speed_code_of(int64_t kmh);
inline uint8_t gradient_code_of(int64_t per_mille) { return low8(per_mille + 100); }

// A signal's four packed values: side value × 10 + other side's digit.
// The two side codes share one digit as sx × 3 + dx, so they are given
// back only as that sum.
struct signal_values {
  int64_t s1, d1, s2, d2, s3, d3, rapp, sides;
  bool operator==(const signal_values&) const = default;
};
struct packed_values {
  int16_t value_1, value_2, value_3, value_4;
  bool operator==(const packed_values&) const = default;
};
// The four sums, before each keeps its low 16 bits.
std::array<int64_t, 4> signal_sums(int32_t sx, int32_t s1, int32_t s2, int32_t s3, int32_t rapp, int32_t dx,
                                   int32_t d1, int32_t d2, int32_t d3);
packed_values pack_signal(int32_t sx, int32_t s1, int32_t s2, int32_t s3, int32_t rapp, int32_t dx,
                          int32_t d1, int32_t d2, int32_t d3);
signal_values unpack_signal(const track_cell& c);

// A maximum-speed indicator board: each value is left speed × 20 + right
// speed / 5, rounded (hundreds = left ÷ 5, last two digits = right ÷ 5);
// the fourth is the stripe counts as left × 10 + right.
struct indicator_values {
  int64_t vas, vad, vbs, vbd, vcs, vcd, strisces, strisced;
  bool operator==(const indicator_values&) const = default;
};
// round(vs × 20 + vd / 5) exactly; false when it passes 16 bits.
bool pack_indicator_speed(int32_t left, int32_t right, int16_t& packed);
indicator_values unpack_indicator(const track_cell& c);

// Stations take rows upward from 1 and boards downward from 80; a station
// row always holds a type or a position, a board row only its text.
bool is_station_row(const scenario_table_t& table, int row);
// Rows 1 .. n - 1 are the stations: n is the first row that is not one.
int station_rows_end(const scenario_table_t& table);
// The lowest row that holds a board text (81 when there is none).
int board_rows_begin(const scenario_table_t& table);

}  // namespace sb
