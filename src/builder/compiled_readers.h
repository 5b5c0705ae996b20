// Reads the three compiled files back into the model's own structures. The
// files carry no header or count, so each reader checks the bytes against
// the layout the writers use and stops at the first byte that does not fit.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "builder/scenario_model.h"

namespace sb {

// Where and why a compiled file stopped making sense.
struct decode_error {
  size_t offset = 0;  // byte offset from the start of the file
  std::string message;
};

// "PATH: bad KIND file at byte N: MESSAGE", as the tools report it.
std::string describe_decode_error(const std::string& path, const std::string& kind,
                                  const decode_error& e);

template <class T>
struct decode_result {
  T value{};                          // meaningful only without an error
  std::optional<decode_error> error;  // set on the first fault found

  explicit operator bool() const { return !error; }
};

// A whole number of 15-byte cells; an empty file is zero cells.
decode_result<std::vector<track_cell>> decode_cell_file(std::string_view bytes);
// Exactly 87 rows, with nothing after the last.
decode_result<scenario_table_t> decode_table_file(std::string_view bytes);
// Tagged values (0 empty, 2 int16, 5 double) forming two equal columns:
// every x, then every y.
decode_result<track_plan_t> decode_plan_file(std::string_view bytes);

enum class compiled_kind { unknown, cells, table, plan };

// Which compiled file a path names, as the writers form names: route +
// "_linea.dat" the plan, ".sim" the table, any other ".dat" the cells.
compiled_kind compiled_kind_of_name(std::string_view path);

}  // namespace sb
