// The track's course in plan, one point per metre, built from the curves.
#pragma once

#include <cstdint>
#include <string_view>

#include "builder/scenario_model.h"

namespace sb {

// Creates the plan for metres 0 .. total_metres, every element empty.
void create_track_plan(track_plan_t& plan, int32_t total_metres);
// Point 0 = (0, 0) and point 1 = (0, 1): the track leaves the origin
// heading along +y.
void seed_track_plan(track_plan_t& plan);

// Points `from` to `to` (from >= 2), each computed from the two before it:
// a straight step continues the step from j - 2 to j - 1 unchanged, a
// curve step turns it by the small angle k, positive towards +x.
void straight_steps(track_plan_t& plan, int64_t from, int64_t to);
void curve_steps(track_plan_t& plan, int64_t from, int64_t to, double k);

// Curvature per metre named by a curve keyword: the first of the digits
// 1 to 6 it holds; negative (left) when it holds an "s". 0 when it holds
// no such digit.
double curve_curvature(std::string_view keyword);

}  // namespace sb
