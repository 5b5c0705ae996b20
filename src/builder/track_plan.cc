#include "builder/track_plan.h"

#include "builder/field_cursor.h"

namespace sb {

void create_track_plan(track_plan_t& plan, int32_t total_metres) {
  const size_t n = static_cast<size_t>(total_metres) + 1;
  plan.x.assign(n);
  plan.y.assign(n);
}

void seed_track_plan(track_plan_t& plan) {
  plan.x.set(0, plan_number::of_int16(0));
  plan.y.set(0, plan_number::of_int16(0));
  plan.x.set(1, plan_number::of_int16(0));
  plan.y.set(1, plan_number::of_int16(1));
}

// Both steps take dx and dy before either coordinate of point j is set, and
// add in this order; the build forbids fused multiply-add so every build
// gives the same bits.
void straight_step(track_plan_t& plan, int64_t j) {
  const size_t i = static_cast<size_t>(j);
  const double x1 = plan.x.value(i - 1), y1 = plan.y.value(i - 1);
  const double dx = x1 - plan.x.value(i - 2);
  const double dy = y1 - plan.y.value(i - 2);
  plan.x.set(i, plan_number::of_real(x1 + dx));
  plan.y.set(i, plan_number::of_real(y1 + dy));
}

void curve_step(track_plan_t& plan, int64_t j, double k) {
  const size_t i = static_cast<size_t>(j);
  const double x1 = plan.x.value(i - 1), y1 = plan.y.value(i - 1);
  const double dx = x1 - plan.x.value(i - 2);
  const double dy = y1 - plan.y.value(i - 2);
  plan.x.set(i, plan_number::of_real((x1 + dx) + k * dy));
  plan.y.set(i, plan_number::of_real((y1 + dy) - k * dx));
}

double curve_curvature(std::string_view keyword) {
  constexpr struct {
    char digit;
    double k;
  } kSharpness[] = {{'1', 0.0001}, {'2', 0.0002}, {'3', 0.0004},
                    {'4', 0.001},  {'5', 0.002},  {'6', 0.003}};
  double k = 0.0;
  for (const auto& s : kSharpness)
    if (keyword.find(s.digit) != std::string_view::npos) {
      k = s.k;
      break;
    }
  if (contains_folded(keyword, "s")) k = -k;
  return k;
}

}  // namespace sb
