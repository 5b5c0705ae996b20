// The three compiled files the simulator loads: little-endian, packed, no
// header. Each is encoded whole into one buffer, then written at once.
#pragma once

#include <string>
#include <vector>

#include "builder/scenario_model.h"
#include "platform/file_system.h"

namespace sb {

std::string encode_plan_file(const track_plan_t& plan);
std::string encode_table_file(const scenario_table_t& table);
std::string encode_cell_file(const std::vector<track_cell>& cells);

// Writes the plan file (only with `geometry_flag`), the table file and the
// cell file, in that order, into `folder`. Stops at the first failure.
io_result write_compiled_files(const scenario_model& model, file_system& fs,
                               const std::string& folder);

}  // namespace sb
