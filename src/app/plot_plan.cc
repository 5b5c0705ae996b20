// The plan: the track's course north up, at one scale on both axes, with
// kilometre posts and the stations named in a column beside it.
#include <algorithm>

#include "app/plot_parts.h"

namespace sb::plot {

namespace {

using svg::number;

constexpr double label_size = 11;

// The plan's filled points, thinned to some thousands, and always its
// last one.
std::vector<plan_point> sample_points(const track_plan_t& plan) {
  std::vector<plan_point> pts;
  const int64_t n = std::min<int64_t>(plan.size(), static_cast<int64_t>(plan.y.size()));
  const int64_t step = std::max<int64_t>(50, n / 4000 / 50 * 50);
  plan_point p;
  for (int64_t m = 0; m < n; m += step)
    if (plan_at(plan, m, p)) pts.push_back(p);
  for (int64_t m = n - 1; m >= 0 && m > (pts.empty() ? -1 : int64_t(pts.back().m)); --m)
    if (plan_at(plan, m, p)) {
      pts.push_back(p);
      break;
    }
  return pts;
}

void draw_north_arrow(svg::writer& w, box b) {
  const double ax = b.right() - 18, ay = b.y + 40;
  svg::points arrow;
  arrow.add(ax, ay);
  arrow.add(ax + 6, ay + 14);
  arrow.add(ax, ay + 10);
  arrow.add(ax - 6, ay + 14);
  w.leaf("polygon", {{"points", arrow.str()}, {"fill", ink}});
  text_at(w, ax, ay + 27, "N", 11, "middle", ink, "bold");
}

// Equal scale on both axes; the plan sits centred in its area, north up.
struct plan_view {
  double min_x, max_x, min_y, max_y, scale, off_x, off_y;
  double sx(double x) const { return off_x + (x - min_x) * scale; }
  double sy(double y) const { return off_y + (max_y - y) * scale; }
};

plan_view view_of(const std::vector<plan_point>& pts, box area) {
  plan_view v{pts[0].x, pts[0].x, pts[0].y, pts[0].y, 1, 0, 0};
  for (const plan_point& p : pts) {
    v.min_x = std::min(v.min_x, p.x);
    v.max_x = std::max(v.max_x, p.x);
    v.min_y = std::min(v.min_y, p.y);
    v.max_y = std::max(v.max_y, p.y);
  }
  const double span_x = v.max_x - v.min_x, span_y = v.max_y - v.min_y;
  if (span_x > 0 && span_y > 0)
    v.scale = std::min(area.w / span_x, area.h / span_y);
  else if (span_x > 0)
    v.scale = area.w / span_x;
  else if (span_y > 0)
    v.scale = area.h / span_y;
  v.off_x = area.x + (area.w - span_x * v.scale) / 2;
  v.off_y = area.y + (area.h - span_y * v.scale) / 2;
  return v;
}

// The points between `from` and `to` as polylines; a gap in the plan
// breaks the line.
void draw_track(svg::writer& w, const std::vector<plan_point>& pts, const plan_view& v, double from, double to,
                const char* colour, double width) {
  svg::points run;
  double last_m = -1;
  const double gap = 4 * std::max(50.0, pts.size() > 1 ? pts[1].m - pts[0].m : 50.0);
  auto flush = [&] {
    if (!run.empty())
      w.leaf("polyline", {{"points", run.str()},
                          {"fill", "none"},
                          {"stroke", colour},
                          {"stroke-width", width},
                          {"stroke-linejoin", "round"},
                          {"stroke-linecap", "round"}});
    run = {};
  };
  for (const plan_point& p : pts) {
    if (p.m < from || p.m > to) continue;
    if (last_m >= 0 && p.m - last_m > gap) flush();
    run.add(v.sx(p.x), v.sy(p.y));
    last_m = p.m;
  }
  flush();
}

void draw_km_posts(svg::writer& w, const track_plan_t& plan, const plan_view& v, double last_m) {
  const double post_step = nice_step(last_m, 8);
  for (double m = post_step; m < last_m; m += post_step) {
    plan_point p;
    if (!plan_at(plan, static_cast<int64_t>(m), p)) continue;
    w.leaf("circle", {{"cx", v.sx(p.x)}, {"cy", v.sy(p.y)}, {"r", 2.2}, {"fill", muted}});
    text_at(w, v.sx(p.x) - 6, v.sy(p.y) + 4, "km " + number(m / 1000, 1), 10, "end", muted);
  }
}

// A dot on the track, the name in a column to the right of the whole
// plan, spread so the names never overlap.
void draw_stations(svg::writer& w, const line_data& d, const track_plan_t& plan, const plan_view& v, box b,
                   double label_w) {
  struct placed {
    const station_mark* s;
    double x, y;
  };
  std::vector<placed> marks;
  for (const station_mark& s : d.stations) {
    plan_point p;
    if (!plan_at(plan, static_cast<int64_t>(s.position), p)) continue;
    marks.push_back({&s, v.sx(p.x), v.sy(p.y)});
  }
  std::stable_sort(marks.begin(), marks.end(), [](const placed& a, const placed& c) { return a.y < c.y; });
  std::vector<double> want;
  for (const placed& p : marks) want.push_back(p.y);
  const std::vector<double> at = spread(want, label_size + 2, b.y + 40, b.bottom() - 8);
  const double column = std::min(v.sx(v.max_x) + 18, b.right() - label_w + 8);
  for (size_t k = 0; k < marks.size(); ++k) {
    const placed& p = marks[k];
    w.leaf("polyline", {{"points", number(p.x) + "," + number(p.y) + " " + number(column - 10) + "," +
                                       number(at[k]) + " " + number(column - 3) + "," + number(at[k])},
                        {"fill", "none"},
                        {"stroke", muted},
                        {"stroke-width", 0.7}});
  }
  for (size_t k = 0; k < marks.size(); ++k) {
    const placed& p = marks[k];
    const bool timed = p.s->timed();
    w.leaf("circle", {{"cx", p.x},
                      {"cy", p.y},
                      {"r", timed ? 4.0 : 3.0},
                      {"fill", timed ? stop_colour : "#ffffff"},
                      {"stroke", timed ? stop_colour : ink},
                      {"stroke-width", 1.2}});
    text_at(w, column, at[k] + 4, station_label(*p.s), label_size, "start", timed ? stop_colour : ink,
            timed ? "bold" : nullptr);
  }
}

}  // namespace

void draw_plan(svg::writer& w, const line_data& d, const track_plan_t* plan, box b) {
  w.open("g", {{"id", "plan"}});
  text_at(w, b.x, b.y + 14, "Plan, north up", 15, "start", ink, "bold");
  rect_at(w, b.x, b.y + 24, b.w, b.h - 24, "#fbfbf8", 1, "#cccccc");
  const std::vector<plan_point> pts = plan ? sample_points(*plan) : std::vector<plan_point>{};
  if (pts.empty()) {
    text_at(w, b.x + b.w / 2, b.y + b.h / 2, plan ? "the plan file holds no points" : "no plan file", 14, "middle",
            muted);
    w.close();
    return;
  }
  draw_north_arrow(w, b);
  const double label_w = d.stations.empty() ? 0 : label_width(d.stations, label_size) + 24;
  const plan_view v = view_of(pts, {b.x + 46, b.y + 62, std::max(20.0, b.w - 46 - 30 - label_w), b.h - 62 - 16});
  // The whole line in grey, the stretch of the profile in black.
  draw_track(w, pts, v, 0, pts.back().m, "#b5b5b5", 2);
  draw_track(w, pts, v, d.from, d.to, ink, 2.6);
  draw_km_posts(w, *plan, v, pts.back().m);
  draw_stations(w, d, *plan, v, b, label_w);
  w.close();
}

}  // namespace sb::plot
