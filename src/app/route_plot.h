// A picture of a compiled scenario: the track plan and the longitudinal
// profile (elevation, speed limit, stations, signals, slowdowns) in one
// self-contained SVG document.
#pragma once

#include <string>
#include <vector>

#include "builder/scenario_model.h"

namespace sb {

// Pure function of the decoded files. `plan` may be null (no plan file):
// the plan panel then says so and the profile is drawn alone.
std::string render_route_svg(const std::vector<track_cell>& cells, const scenario_table_t& table,
                             const track_plan_t* plan);

}  // namespace sb
