// The three compiled files the simulator loads: little-endian, packed, no
// header and no count. Each layout is written here once, its encoder and
// its decoder side by side; the decoders check the bytes against the
// layout and stop at the first byte that does not fit.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

#include "builder/byte_coder.h"
#include "builder/scenario_model.h"
#include "platform/file_system.h"

namespace sb {

// The records' fields in file order, each at its type's width. The encoders
// and decoders walk these lists, and the records' sizes are summed from
// them, so a size cannot drift from what is written.
template <class Cell>
constexpr auto cell_fields(Cell& c) {
  return std::tie(c.kind, c.value_1, c.value_2, c.value_3, c.value_4, c.signal_time, c.approach_code,
                  c.mountain_kind, c.speed_code, c.gradient_code, c.adhesion);
}
// A table row is its head, the text's length and bytes, then its tail.
template <class Row>
constexpr auto row_head_fields(Row& r) {
  return std::tie(r.kind, r.range_start, r.range_end, r.position, r.flag_a);
}
using row_text_length = uint16_t;
template <class Row>
constexpr auto row_tail_fields(Row& r) {
  return std::tie(r.value_a, r.value_b, r.value_c, r.value_d, r.value_e, r.flag_d, r.stop_value, r.flag_c,
                  r.flag_b, r.time_of_day);
}

template <class Fields>
inline constexpr size_t bytes_of_fields = []<size_t... i>(std::index_sequence<i...>) {
  return (sizeof(std::remove_reference_t<std::tuple_element_t<i, Fields>>) + ... + 0);
}(std::make_index_sequence<std::tuple_size_v<Fields>>{});

inline constexpr size_t cell_bytes = bytes_of_fields<decltype(cell_fields(std::declval<track_cell&>()))>;
// A table row without its text; the text adds its own length.
inline constexpr size_t row_bytes_without_text =
    bytes_of_fields<decltype(row_head_fields(std::declval<table_entry&>()))> + sizeof(row_text_length) +
    bytes_of_fields<decltype(row_tail_fields(std::declval<table_entry&>()))>;
// The format's widths, which a simulator reads blind.
static_assert(cell_bytes == 15);
static_assert(row_bytes_without_text == 34);

// The plan file: every x, then every y, each a tagged value (0 empty,
// 2 int16, 5 double).
void encode_plan_file(const track_plan_t& plan, byte_sink& out);
// The table file: the 87 rows. No text may be longer than `longest_text`.
void encode_table_file(const scenario_table_t& table, byte_sink& out);
// The cell file: 15 bytes a cell.
void encode_cell_file(const std::vector<track_cell>& cells, byte_sink& out);

// The same, whole in one string.
std::string encode_plan_file(const track_plan_t& plan);
std::string encode_table_file(const scenario_table_t& table);
std::string encode_cell_file(const std::vector<track_cell>& cells);

template <class T>
struct decode_result {
  T value{};                          // meaningful only without an error
  std::optional<decode_error> error;  // set on the first fault found

  explicit operator bool() const { return !error; }
};

// Two equal columns of tagged values; an empty file is an empty plan.
decode_result<track_plan_t> decode_plan_file(std::string_view bytes);
// Exactly 87 rows, with nothing after the last.
decode_result<scenario_table_t> decode_table_file(std::string_view bytes);
// A whole number of cells; an empty file is zero cells.
decode_result<std::vector<track_cell>> decode_cell_file(std::string_view bytes);

enum class compiled_kind { unknown, cells, table, plan };

// Which compiled file a path names, as the writers form names: route +
// "_linea.dat" the plan, ".sim" the table, any other ".dat" the cells.
compiled_kind compiled_kind_of_name(std::string_view path);
// The most bytes a file of the kind can hold: the layout of the longest
// route the format allows (unknown: the largest of the three).
size_t largest_compiled_file(compiled_kind kind);
// "cell", "table", "plan".
const char* kind_name(compiled_kind kind);

// "PATH: bad KIND file at byte N: MESSAGE", as the tools report it.
std::string describe_decode_error(const std::string& path, compiled_kind kind, const decode_error& e);

// Writes the plan file (only with `geometry_flag`), the table file and the
// cell file into `folder` as one set: all of them or none.
io_result write_compiled_files(const scenario_model& model, file_system& fs, const std::string& folder);

}  // namespace sb
