// The plan file: its size, extent and total turning, or every point.
#include <algorithm>
#include <cmath>
#include <numbers>
#include <optional>
#include <ostream>

#include "app/compiled_dumps.h"

namespace sb {

namespace {

struct plan_summary {
  int64_t points = 0;  // per column
  int64_t filled = 0;  // points with both coordinates
  bool has_box = false;
  double x_min = 0, x_max = 0, y_min = 0, y_max = 0;
  double turning = 0;  // radians, left positive
};

bool filled_at(const track_plan_t& plan, size_t m) {
  return plan.x.kind(m) != plan_number::tag::empty && plan.y.kind(m) != plan_number::tag::empty;
}

void widen_box(plan_summary& s, double px, double py) {
  if (!s.has_box) {
    s.x_min = s.x_max = px;
    s.y_min = s.y_max = py;
    s.has_box = true;
  }
  s.x_min = std::min(s.x_min, px);
  s.x_max = std::max(s.x_max, px);
  s.y_min = std::min(s.y_min, py);
  s.y_max = std::max(s.y_max, py);
}

plan_summary summarize(const track_plan_t& plan) {
  plan_summary s;
  s.points = plan.size();
  std::optional<double> last_heading;
  const size_t n = std::min(plan.x.size(), plan.y.size());
  for (size_t m = 0; m < n; ++m) {
    if (!filled_at(plan, m)) continue;
    ++s.filled;
    const double px = plan.x.value(m), py = plan.y.value(m);
    if (!std::isfinite(px) || !std::isfinite(py)) continue;
    widen_box(s, px, py);
    // A step counts only between two neighbouring filled points.
    if (m + 1 >= n || !filled_at(plan, m + 1)) continue;
    const double dx = plan.x.value(m + 1) - px, dy = plan.y.value(m + 1) - py;
    if (!std::isfinite(dx) || !std::isfinite(dy) || (dx == 0 && dy == 0)) continue;
    const double heading = std::atan2(dy, dx);
    if (last_heading) s.turning += std::remainder(heading - *last_heading, 2 * std::numbers::pi);
    last_heading = heading;
  }
  return s;
}

std::string plan_value(const plan_number& n) {
  switch (n.kind) {
    case plan_number::tag::int16: return num(static_cast<int64_t>(n.value));
    case plan_number::tag::real: return real(n.value);
    case plan_number::tag::empty: break;
  }
  return {};
}

std::string json_plan_value(const plan_number& n) {
  return n.kind == plan_number::tag::empty ? std::string("null")
         : n.kind == plan_number::tag::int16 ? num(static_cast<int64_t>(n.value))
                                             : json_real(n.value);
}

void plan_csv(const track_plan_t& plan, std::ostream& out) {
  out << "metre,x,y\n";
  for (size_t m = 0; m < plan.x.size(); ++m)
    out << num(static_cast<int64_t>(m)) << ',' << plan_value(plan.x[m]) << ',' << plan_value(plan.y[m]) << '\n';
}

void plan_json(const track_plan_t& plan, const dump_options& o, std::ostream& out) {
  const plan_summary s = summarize(plan);
  out << "{\"file\": " << json_name(o.path) << ", \"kind\": \"plan\", \"points\": " << num(s.points)
      << ", \"length\": " << num(std::max<int64_t>(s.points - 1, 0)) << ", \"filled\": " << num(s.filled)
      << ", \"bounding_box\": ";
  if (s.has_box)
    out << "{\"x_min\": " << json_real(s.x_min) << ", \"x_max\": " << json_real(s.x_max)
        << ", \"y_min\": " << json_real(s.y_min) << ", \"y_max\": " << json_real(s.y_max) << "}";
  else
    out << "null";
  out << ", \"turning_rad\": " << json_real(s.turning)
      << ", \"turning_deg\": " << json_real(s.turning * 180 / std::numbers::pi);
  if (o.all) {
    out << ", \"points_list\": [";
    for (size_t m = 0; m < plan.x.size(); ++m)
      out << (m == 0 ? "\n" : ",\n") << "  [" << num(static_cast<int64_t>(m)) << ", " << json_plan_value(plan.x[m])
          << ", " << json_plan_value(plan.y[m]) << "]";
    out << (plan.x.empty() ? "]" : "\n]");
  }
  out << "}\n";
}

void plan_text(const track_plan_t& plan, const dump_options& o, std::ostream& out) {
  const plan_summary s = summarize(plan);
  out << "plan file " << o.path << "\n";
  out << "points: " << num(s.points) << " per column";
  if (s.points > 0) out << " (metres 0 to " << num(s.points - 1) << ")";
  out << "\nlength: " << num(std::max<int64_t>(s.points - 1, 0)) << " m\n";
  out << "filled: " << num(s.filled) << " points, " << num(s.points - s.filled) << " empty\n";
  if (s.has_box)
    out << "bounding box: x " << real(s.x_min) << " to " << real(s.x_max) << ", y " << real(s.y_min) << " to "
        << real(s.y_max) << "\n";
  else
    out << "bounding box: none\n";
  out << "total turning: " << real(s.turning) << " rad (" << real(s.turning * 180 / std::numbers::pi) << " deg)\n";
  if (!o.all) return;
  out << "\n metre  x  y\n";
  const auto shown = [](const plan_number& n) {
    return n.kind == plan_number::tag::empty ? std::string("-") : plan_value(n);
  };
  for (size_t m = 0; m < plan.x.size(); ++m)
    out << num(static_cast<int64_t>(m)) << "  " << shown(plan.x[m]) << "  " << shown(plan.y[m]) << "\n";
}

}  // namespace

void dump_plan(const track_plan_t& plan, const dump_options& o, std::ostream& out) {
  switch (o.format) {
    case output_format::csv: return plan_csv(plan, out);
    case output_format::json: return plan_json(plan, o, out);
    case output_format::text: break;
  }
  plan_text(plan, o, out);
}

}  // namespace sb
