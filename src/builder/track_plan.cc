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
// gives the same bits. The two points before j are carried from step to
// step as the values stored, so nothing is read back.
namespace {

template <typename Step>
void steps(track_plan_t& plan, int64_t from, int64_t to, Step step) {
  if (from > to) return;
  auto i = static_cast<size_t>(from);
  double x0 = plan.x.set_value(i - 2), y0 = plan.y.set_value(i - 2);
  double x1 = plan.x.set_value(i - 1), y1 = plan.y.set_value(i - 1);
  for (; i <= static_cast<size_t>(to); ++i) {
    const double dx = x1 - x0;
    const double dy = y1 - y0;
    double x2, y2;
    step(x1, y1, dx, dy, x2, y2);
    plan.x.set_real(i, x2);
    plan.y.set_real(i, y2);
    x0 = x1;
    y0 = y1;
    x1 = x2;
    y1 = y2;
  }
}

}  // namespace

void straight_steps(track_plan_t& plan, int64_t from, int64_t to) {
  steps(plan, from, to, [](double x1, double y1, double dx, double dy, double& x2, double& y2) {
    x2 = x1 + dx;
    y2 = y1 + dy;
  });
}

void curve_steps(track_plan_t& plan, int64_t from, int64_t to, double k) {
  steps(plan, from, to, [k](double x1, double y1, double dx, double dy, double& x2, double& y2) {
    x2 = (x1 + dx) + k * dy;
    y2 = (y1 + dy) - k * dx;
  });
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
