// The longitudinal profile: elevation, speed limit, stations, slowdowns,
// the rows of marks and the kilometre axis, along the chainage.
#include <algorithm>
#include <cmath>

#include "app/plot_parts.h"

namespace sb::plot {

namespace {

using svg::attr;
using svg::number;

constexpr double label_size = 11;
constexpr double mark_row = 18;
constexpr int mark_rows = 3;

// Where everything of the profile stands: the chart, the rows of marks
// under it, and the scales of chainage, speed and elevation.
struct profile_frame {
  const line_data& d;
  double axis_left, axis_right, chart_top, chart_bottom, marks_top, marks_bottom, chart_w, chart_h;
  int first_cell, end_cell;
  double speed_step, speed_max;
  double e_lo, e_hi, e_step, terrain_h;

  double x_of(double chainage) const { return axis_left + (chainage - d.from) / (d.to - d.from) * chart_w; }
  double clamp_x(double x) const { return std::clamp(x, axis_left, axis_right); }
  double y_of_speed(double v) const { return chart_bottom - v / speed_max * chart_h; }
  double y_of_elevation(double e) const {
    return chart_bottom - 4 - (e - e_lo) / (e_hi - e_lo) * (terrain_h - 4);
  }
  double row_mid(int r) const { return marks_top + r * mark_row + mark_row / 2; }
  double first_major() const { return std::ceil(d.from / d.major_step) * d.major_step; }
};

// Speed scale over the whole chart height; terrain in the lower part so
// that the two rarely cross.
void set_scales(profile_frame& f, const std::vector<track_cell>& cells) {
  const line_data& d = f.d;
  int top_speed = 0;
  f.first_cell = static_cast<int>(d.from / cell_metres);
  f.end_cell = std::min(d.filled, static_cast<int>(std::ceil(d.to / cell_metres)));
  for (int i = f.first_cell; i < f.end_cell; ++i) top_speed = std::max(top_speed, cells[i].speed_code * 5);
  f.speed_step = top_speed > 200 ? 50 : 20;
  f.speed_max = std::max(f.speed_step, std::ceil((top_speed + 10) / f.speed_step) * f.speed_step);

  f.e_lo = d.elevation[f.first_cell];
  f.e_hi = f.e_lo;
  for (int i = f.first_cell; i <= f.end_cell; ++i) {
    f.e_lo = std::min(f.e_lo, d.elevation[i]);
    f.e_hi = std::max(f.e_hi, d.elevation[i]);
  }
  if (f.e_hi - f.e_lo < 10) {
    const double mid = (f.e_hi + f.e_lo) / 2;
    f.e_lo = mid - 5;
    f.e_hi = mid + 5;
  }
  f.e_step = nice_step(f.e_hi - f.e_lo, 4);
  f.e_lo = std::floor(f.e_lo / f.e_step) * f.e_step;
  f.e_hi = std::ceil(f.e_hi / f.e_step) * f.e_step;
  f.terrain_h = f.chart_h * 0.42;
}

profile_frame frame_of(const line_data& d, const std::vector<track_cell>& cells, box b) {
  const double label_band = std::clamp(label_width(d.stations, label_size) + 16, 40.0, 190.0);
  const double legend_h = 30, km_axis_h = 34;
  const double marks_top_gap = 6;
  profile_frame f{d, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  f.axis_left = b.x + 96;
  f.axis_right = b.right() - 58;
  f.chart_top = b.y + 28 + label_band;
  f.chart_bottom = b.bottom() - legend_h - km_axis_h - mark_rows * mark_row - marks_top_gap;
  f.marks_top = f.chart_bottom + marks_top_gap;
  f.marks_bottom = f.marks_top + mark_rows * mark_row;
  f.chart_h = f.chart_bottom - f.chart_top;
  f.chart_w = f.axis_right - f.axis_left;
  set_scales(f, cells);
  return f;
}

void draw_frame_and_grids(svg::writer& w, const profile_frame& f) {
  rect_at(w, f.axis_left, f.chart_top, f.chart_w, f.chart_h, "#ffffff", 1, "#bbbbbb");
  for (double v = f.speed_step; v <= f.speed_max + 0.5; v += f.speed_step) {
    line_at(w, f.axis_left, f.y_of_speed(v), f.axis_right, f.y_of_speed(v), grid, 1);
    text_at(w, f.axis_right + 6, f.y_of_speed(v) + 4, number(v, 0), 10, "start", speed_colour);
  }
  text_at(w, f.axis_right + 6, f.chart_top - 8, "km/h", 10, "start", speed_colour, "bold");
  for (double c = f.first_major(); c <= f.d.to + 0.5; c += f.d.major_step)
    line_at(w, f.x_of(c), f.chart_top, f.x_of(c), f.marks_bottom, grid, 1);
}

// The elevation is piecewise linear, so only its bends are kept.
void draw_terrain(svg::writer& w, const profile_frame& f, const std::vector<track_cell>& cells) {
  svg::points terrain;
  terrain.add(f.x_of(f.first_cell * cell_metres), f.chart_bottom);
  for (int i = f.first_cell; i <= f.end_cell; ++i) {
    const bool bend = i == f.first_cell || i == f.end_cell || cells[i].gradient_code != cells[i - 1].gradient_code;
    if (bend) terrain.add(f.x_of(i * cell_metres), f.y_of_elevation(f.d.elevation[i]));
  }
  terrain.add(f.x_of(f.end_cell * cell_metres), f.chart_bottom);
  w.leaf("polygon", {{"points", terrain.str()}, {"fill", terrain_fill}, {"stroke", terrain_edge},
                     {"stroke-width", 1.2}, {"stroke-linejoin", "round"}});
  for (double e = f.e_lo; e <= f.e_hi + 1e-9; e += f.e_step) {
    line_at(w, f.axis_left - 4, f.y_of_elevation(e), f.axis_left, f.y_of_elevation(e), terrain_edge, 1);
    text_at(w, f.axis_left - 7, f.y_of_elevation(e) + 4, number(e, 0), 10, "end", terrain_edge);
  }
  text_at(w, f.axis_left - 7, f.y_of_elevation(f.e_hi) - 14, "m", 10, "end", terrain_edge, "bold");
}

void draw_station_bands(svg::writer& w, const profile_frame& f) {
  for (const station_mark& s : f.d.stations) {
    if (s.end < f.d.from || s.start > f.d.to) continue;
    const double x1 = f.clamp_x(f.x_of(s.start)), x2 = f.clamp_x(f.x_of(s.end));
    const double width = std::max(2.0, x2 - x1);
    rect_at(w, (x1 + x2 - width) / 2, f.chart_top, width, f.chart_h, s.timed() ? stop_colour : pass_colour,
            s.timed() ? 0.35 : 0.22);
  }
}

// A band at least a few pixels wide, the speed as a short line, and a flag
// naming the speed.
void draw_slowdowns(svg::writer& w, const profile_frame& f) {
  for (const slowdown_mark& s : f.d.slowdowns) {
    if (s.end < f.d.from || s.start > f.d.to) continue;
    const double x1 = f.clamp_x(f.x_of(s.start)), x2 = f.clamp_x(f.x_of(s.end));
    const double width = std::max(4.0, x2 - x1);
    const double left = (x1 + x2 - width) / 2;
    rect_at(w, left, f.chart_top, width, f.chart_h, slowdown_colour, 0.55);
    line_at(w, left - 6, f.y_of_speed(s.speed), left + width + 6, f.y_of_speed(s.speed), slowdown_colour, 2.5);
    const bool flag_left = left + width + 120 > f.axis_right;
    text_at(w, flag_left ? left - 5 : left + width + 5, f.chart_top + 16,
            "slowdown " + std::to_string(s.speed) + " km/h", 11, flag_left ? "end" : "start", slowdown_colour,
            "bold");
  }
}

// One run of the step line per stretch of equal speed code.
void draw_speed_limit(svg::writer& w, const profile_frame& f, const std::vector<track_cell>& cells) {
  svg::points speed;
  for (int i = f.first_cell; i < f.end_cell;) {
    int j = i;
    while (j < f.end_cell && cells[j].speed_code == cells[i].speed_code) ++j;
    const double y = f.y_of_speed(cells[i].speed_code * 5.0);
    speed.add(f.x_of(std::max(f.d.from, i * cell_metres)), y);
    speed.add(f.x_of(std::min(f.d.to, j * cell_metres)), y);
    i = j;
  }
  w.leaf("polyline", {{"points", speed.str()}, {"fill", "none"}, {"stroke", speed_colour}, {"stroke-width", 2.0},
                      {"stroke-linejoin", "miter"}});
}

// The end of the route proper; the cells beyond it are the overrun.
void draw_route_end(svg::writer& w, const profile_frame& f) {
  const line_data& d = f.d;
  if (!(d.route_length > d.from && d.route_length < d.to)) return;
  const double x = f.x_of(d.route_length);
  line_at(w, x, f.chart_top, x, f.marks_bottom, ink, 1, "4 3");
  w.text("text",
         {{"transform", "translate(" + number(x - 4) + "," + number(f.chart_top + 6) + ") rotate(-90)"},
          {"font-size", 10.0},
          {"text-anchor", "end"},
          {"fill", ink}},
         "end of route");
}

// Above the chart, turned upright and spread so they never overlap; a
// leader joins a moved name to its station.
void draw_station_names(svg::writer& w, const profile_frame& f) {
  std::vector<const station_mark*> shown;
  for (const station_mark& s : f.d.stations)
    if (s.position >= f.d.from && s.position <= f.d.to) shown.push_back(&s);
  std::stable_sort(shown.begin(), shown.end(),
                   [](const station_mark* a, const station_mark* b) { return a->position < b->position; });
  std::vector<double> want;
  for (const station_mark* s : shown) want.push_back(f.x_of(s->position));
  const std::vector<double> at = spread(want, label_size + 3, f.axis_left + 4, f.axis_right - 4);
  const double base = f.chart_top - 14;
  for (size_t k = 0; k < shown.size(); ++k) {
    const station_mark& s = *shown[k];
    w.leaf("polyline", {{"points", number(want[k]) + "," + number(f.chart_top) + " " + number(want[k]) + "," +
                                       number(f.chart_top - 5) + " " + number(at[k]) + "," + number(base + 2)},
                        {"fill", "none"},
                        {"stroke", muted},
                        {"stroke-width", 0.8}});
    std::vector<attr> a{
        {"transform", "translate(" + number(at[k] + label_size * 0.36) + "," + number(base) + ") rotate(-90)"},
        {"font-size", label_size},
        {"fill", s.timed() ? stop_colour : ink}};
    if (s.timed()) a.emplace_back("font-weight", "bold");
    w.text("text", a, station_label(s));
  }
}

// One row per kind: signals, the slowdown with its warning point, the
// speed-reduction points.
void draw_marks(svg::writer& w, const profile_frame& f) {
  const line_data& d = f.d;
  const char* row_names[mark_rows] = {"signals", "slowdown", "reduction points"};
  for (int r = 0; r < mark_rows; ++r) {
    const double y = f.marks_top + r * mark_row;
    if (r % 2 == 0) rect_at(w, f.axis_left, y, f.chart_w, mark_row, "#f4f4f4");
    text_at(w, f.axis_left - 7, y + mark_row / 2 + 4, row_names[r], 10, "end", muted);
  }
  for (const double c : d.signals)
    if (c >= d.from && c <= d.to) line_at(w, f.x_of(c), f.row_mid(0) - 6, f.x_of(c), f.row_mid(0) + 6, signal_colour, 1.6);
  for (const slowdown_mark& s : d.slowdowns) {
    if (s.end < d.from || s.start > d.to) continue;
    const double x1 = f.clamp_x(f.x_of(s.start)), x2 = f.clamp_x(f.x_of(s.end));
    const double width = std::max(4.0, x2 - x1);
    rect_at(w, (x1 + x2 - width) / 2, f.row_mid(1) - 5, width, 10, slowdown_colour);
  }
  for (const double c : d.warnings)
    if (c >= d.from && c <= d.to) {
      const double x = f.x_of(c), y = f.row_mid(1);
      svg::points tri;
      tri.add(x, y - 6);
      tri.add(x + 6, y + 5);
      tri.add(x - 6, y + 5);
      w.leaf("polygon", {{"points", tri.str()}, {"fill", "#ffffff"}, {"stroke", slowdown_colour}, {"stroke-width", 1.6}});
    }
  for (const double c : d.reductions)
    if (c >= d.from && c <= d.to)
      w.leaf("circle", {{"cx", f.x_of(c)}, {"cy", f.row_mid(2)}, {"r", 3.5}, {"fill", reduction_colour}});
}

void draw_km_axis(svg::writer& w, const profile_frame& f) {
  const line_data& d = f.d;
  line_at(w, f.axis_left, f.marks_bottom, f.axis_right, f.marks_bottom, ink, 1);
  for (double c = std::ceil(d.from / d.minor_step) * d.minor_step; c <= d.to + 0.5; c += d.minor_step)
    line_at(w, f.x_of(c), f.marks_bottom, f.x_of(c), f.marks_bottom + 3, ink, 0.8);
  for (double c = f.first_major(); c <= d.to + 0.5; c += d.major_step) {
    line_at(w, f.x_of(c), f.marks_bottom, f.x_of(c), f.marks_bottom + 7, ink, 1.2);
    text_at(w, f.x_of(c), f.marks_bottom + 19, number(c / 1000, 1), 11, "middle");
  }
  text_at(w, f.axis_right + 6, f.marks_bottom + 19, "km", 11, "start", ink, "bold");
}

void draw_legend(svg::writer& w, const profile_frame& f, box b) {
  double x = f.axis_left;
  const double y = b.bottom() - 10;
  auto entry = [&](const std::string& label, auto&& swatch) {
    swatch(x, y - 4);
    text_at(w, x + 22, y, label, 11, "start");
    x += 22 + label.size() * 11 * 0.56 + 18;
  };
  entry("elevation (from the gradients)",
        [&](double sx, double sy) { rect_at(w, sx, sy - 6, 16, 12, terrain_fill, 1, terrain_edge); });
  entry("speed limit", [&](double sx, double sy) { line_at(w, sx, sy, sx + 16, sy, speed_colour, 2.5); });
  entry("stop (scheduled time)", [&](double sx, double sy) { rect_at(w, sx, sy - 6, 16, 12, stop_colour, 0.5); });
  entry("station passed", [&](double sx, double sy) { rect_at(w, sx, sy - 6, 16, 12, pass_colour, 0.35); });
  entry("slowdown", [&](double sx, double sy) { rect_at(w, sx, sy - 6, 16, 12, slowdown_colour, 0.7); });
  entry("signal", [&](double sx, double sy) { line_at(w, sx + 8, sy - 6, sx + 8, sy + 6, signal_colour, 1.6); });
  entry("slowdown warning", [&](double sx, double sy) {
    svg::points tri;
    tri.add(sx + 8, sy - 6);
    tri.add(sx + 14, sy + 5);
    tri.add(sx + 2, sy + 5);
    w.leaf("polygon", {{"points", tri.str()}, {"fill", "#ffffff"}, {"stroke", slowdown_colour}, {"stroke-width", 1.6}});
  });
  entry("speed-reduction point", [&](double sx, double sy) {
    w.leaf("circle", {{"cx", sx + 8}, {"cy", sy}, {"r", 3.5}, {"fill", reduction_colour}});
  });
}

}  // namespace

void draw_profile(svg::writer& w, const line_data& d, const std::vector<track_cell>& cells, box b) {
  w.open("g", {{"id", "profile"}});
  text_at(w, b.x, b.y + 14, "Profile, km " + number(d.from / 1000, 1) + " to " + number(d.to / 1000, 1), 15,
          "start", ink, "bold");
  if (d.filled == 0) {
    text_at(w, b.x + b.w / 2, b.y + b.h / 2, "no cells to draw", 14, "middle", muted);
    w.close();
    return;
  }
  const profile_frame f = frame_of(d, cells, b);
  draw_frame_and_grids(w, f);
  draw_terrain(w, f, cells);
  draw_station_bands(w, f);
  draw_slowdowns(w, f);
  draw_speed_limit(w, f, cells);
  draw_route_end(w, f);
  draw_station_names(w, f);
  draw_marks(w, f);
  draw_km_axis(w, f);
  draw_legend(w, f, b);
  w.close();
}

}  // namespace sb::plot
