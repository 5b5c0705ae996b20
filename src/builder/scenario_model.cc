#include "builder/scenario_model.h"

#include "builder/rounding.h"
#include "platform/memory.h"

namespace sb {

void* allocate_plan_storage(size_t bytes) { return allocate_backed(bytes); }
void release_plan_storage(void* p, size_t bytes) noexcept { release_backed(p, bytes); }

plan_column::plan_column(std::initializer_list<plan_number> numbers) {
  for (const plan_number& n : numbers) push_back(n);
}

bool plan_column::operator==(const plan_column& other) const {
  if (size() != other.size()) return false;
  for (size_t i = 0; i < size(); ++i)
    if (!((*this)[i] == other[i])) return false;
  return true;
}

void clear_scenario_table(scenario_model& model) {
  for (table_entry& row : model.scenario_table) row = table_entry{};
}

namespace {

// a × 10 + b on the low 16 bits of both.
int64_t ten_times_plus(int32_t a, int32_t b) { return int64_t{low16(a)} * 10 + low16(b); }

// The packed value back as (value ÷ 10, value mod 10), as the packing
// would give it for digits 0 to 9.
void split_tens(int16_t packed, int64_t& tens, int64_t& units) {
  tens = packed / 10;
  units = packed % 10;
}

}  // namespace

int64_t speed_code_of(int64_t kmh) { return round_div(kmh, 5); }

std::array<int64_t, 4> signal_sums(int32_t sx, int32_t s1, int32_t s2, int32_t s3, int32_t rapp, int32_t dx,
                                   int32_t d1, int32_t d2, int32_t d3) {
  const int16_t sides = low16(int64_t{low16(sx)} * 3 + low16(dx));
  return {ten_times_plus(s1, d1), ten_times_plus(s2, d2), ten_times_plus(s3, d3), ten_times_plus(rapp, sides)};
}

packed_values pack_signal(int32_t sx, int32_t s1, int32_t s2, int32_t s3, int32_t rapp, int32_t dx,
                          int32_t d1, int32_t d2, int32_t d3) {
  const std::array<int64_t, 4> sums = signal_sums(sx, s1, s2, s3, rapp, dx, d1, d2, d3);
  return {low16(sums[0]), low16(sums[1]), low16(sums[2]), low16(sums[3])};
}

signal_values unpack_signal(const track_cell& c) {
  signal_values v{};
  split_tens(c.value_1, v.s1, v.d1);
  split_tens(c.value_2, v.s2, v.d2);
  split_tens(c.value_3, v.s3, v.d3);
  split_tens(c.value_4, v.rapp, v.sides);
  return v;
}

bool pack_indicator_speed(int32_t left, int32_t right, int16_t& packed) {
  // round(left × 20 + right / 5), exactly: (100 left + right) / 5.
  const int64_t v = round_div(int64_t{left} * 100 + right, 5);
  if (v < INT16_MIN || v > INT16_MAX) return false;
  packed = static_cast<int16_t>(v);
  return true;
}

indicator_values unpack_indicator(const track_cell& c) {
  indicator_values v{};
  const auto speeds = [](int16_t packed, int64_t& left, int64_t& right) {
    left = packed / 100 * 5;
    right = packed % 100 * 5;
  };
  speeds(c.value_1, v.vas, v.vad);
  speeds(c.value_2, v.vbs, v.vbd);
  speeds(c.value_3, v.vcs, v.vcd);
  split_tens(c.value_4, v.strisces, v.strisced);
  return v;
}

bool is_station_row(const scenario_table_t& table, int row) {
  if (row < table_row::first_station || row >= station_rows_end(table)) return false;
  return true;
}

int station_rows_end(const scenario_table_t& table) {
  int r = table_row::first_station;
  for (; r <= table_row::first_board; ++r) {
    table_entry numbers = table[static_cast<size_t>(r)];
    numbers.text.clear();
    if (numbers == table_entry{}) break;
  }
  return r;
}

int board_rows_begin(const scenario_table_t& table) {
  const int stations_end = station_rows_end(table);
  int b = table_row::first_board;
  for (; b >= stations_end; --b) {
    table_entry text_only{};
    text_only.text = table[static_cast<size_t>(b)].text;
    if (text_only.text.empty() || !(table[static_cast<size_t>(b)] == text_only)) break;
  }
  return b + 1;
}

}  // namespace sb
