// What `inspect` prints of each kind of compiled file, in each format.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "app/text_output.h"
#include "builder/scenario_model.h"

namespace sb {

struct dump_options {
  std::string path;  // the file, as the person named it
  bool all = false;  // every cell, row or point, not only the used ones
  output_format format = output_format::text;
};

void dump_cells(const std::vector<track_cell>& cells, const dump_options& o, std::ostream& out);
void dump_table(const scenario_table_t& table, const dump_options& o, std::ostream& out);
void dump_plan(const track_plan_t& plan, const dump_options& o, std::ostream& out);

}  // namespace sb
