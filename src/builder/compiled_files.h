// The three compiled files the simulator loads: little-endian, packed, no
// header and no count. Each layout is written here once, its encoder and
// its decoder side by side; the decoders check the bytes against the
// layout and stop at the first byte that does not fit.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "builder/byte_coder.h"
#include "builder/scenario_model.h"
#include "platform/file_system.h"

namespace sb {

inline constexpr size_t cell_bytes = 15;
// A table row without its text; the text adds its own length.
inline constexpr size_t row_bytes_without_text = 34;

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
