#include "app/route_plot.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "app/svg_writer.h"

namespace sb {

namespace {

using svg::attr;
using svg::number;

constexpr double cell_metres = 50.0;

// Colours, chosen to stay apart for readers with the common colour
// deficiencies: blue speed, brown terrain, orange slowdown, red signals.
constexpr const char* ink = "#222222";
constexpr const char* muted = "#777777";
constexpr const char* grid = "#dddddd";
constexpr const char* terrain_fill = "#d9c7a3";
constexpr const char* terrain_edge = "#8c6d3f";
constexpr const char* speed_colour = "#1f5fbf";
constexpr const char* stop_colour = "#2a7f62";
constexpr const char* pass_colour = "#8a8a8a";
constexpr const char* slowdown_colour = "#e8710a";
constexpr const char* signal_colour = "#c0282d";
constexpr const char* reduction_colour = "#7b3fa0";
constexpr const char* font = "DejaVu Sans, Verdana, Arial, sans-serif";

// Average advance of a capital letter, as a share of the font size; used
// to keep labels inside their panels without measuring glyphs.
constexpr double char_width = 0.64;

struct box {
  double x, y, w, h;
  double right() const { return x + w; }
  double bottom() const { return y + h; }
};

struct station_mark {
  std::string name;
  double start, end, position;
  int32_t time;  // seconds since midnight; 0 = no scheduled time
  bool timed() const { return time != 0; }
};

struct slowdown_mark {
  double start, end;
  int speed;
};

// What the profile shows, in metres of chainage.
struct line_data {
  std::string route, train;
  int filled = 0;                 // cells 0 .. filled - 1 carry line values
  std::vector<double> elevation;  // at the start of each cell, filled + 1 points
  std::vector<station_mark> stations;
  std::vector<double> signals, warnings, reductions;
  std::vector<slowdown_mark> slowdowns;
  double route_length = 0;
  double from = 0, to = 0;  // the stretch drawn
  double major_step = 10000, minor_step = 1000;
};

double nice_step(double span, int most_ticks) {
  if (!(span > 0)) return 1;
  const double raw = span / std::max(1, most_ticks);
  const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
  for (const double m : {1.0, 2.0, 5.0, 10.0})
    if (m * magnitude >= raw) return m * magnitude;
  return 10 * magnitude;
}

std::string clock_text(int32_t seconds) {
  const int32_t s = ((seconds % 86400) + 86400) % 86400;
  char buf[16];
  if (s % 60 != 0)
    std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", s / 3600, s / 60 % 60, s % 60);
  else
    std::snprintf(buf, sizeof buf, "%02d:%02d", s / 3600, s / 60 % 60);
  return buf;
}

std::string station_label(const station_mark& s) {
  return s.timed() ? s.name + " " + clock_text(s.time) : s.name;
}

line_data gather(const std::vector<track_cell>& cells, const scenario_table_t& table) {
  line_data d;
  d.route = table[table_row::scenery_and_identity].text;
  d.train = table[table_row::repetition_and_clock].text;
  d.route_length = table[table_row::train_and_route].range_end;

  // Cells past the last one with a gradient were never filled by the reader.
  for (int i = static_cast<int>(cells.size()) - 1; i >= 0; --i)
    if (cells[i].gradient_code != 0) {
      d.filled = i + 1;
      break;
    }
  d.elevation.assign(d.filled + 1, 0.0);
  for (int i = 0; i < d.filled; ++i)
    d.elevation[i + 1] = d.elevation[i] + (cells[i].gradient_code - 100) * cell_metres / 1000.0;

  // Station rows grow from row 1; the first empty name ends them.
  for (int r = table_row::first_station; r < table_row::first_board - 1; ++r) {
    const table_entry& e = table[r];
    if (e.text.empty()) break;
    d.stations.push_back({e.text, double(e.range_start), double(e.range_end), double(e.position), e.time_of_day});
  }

  for (int i = 0; i < d.filled; ++i) {
    const double at = i * cell_metres;
    switch (cells[i].kind) {
      case cell_kind::signal: d.signals.push_back(at); break;
      case cell_kind::slowdown_warning: d.warnings.push_back(at); break;
      case cell_kind::reduction_point:
      case cell_kind::reduction_point_no_value: d.reductions.push_back(at); break;
      case cell_kind::slowdown_start: {
        // The slowdown runs to its end cell; a start without an end is
        // drawn one cell long.
        int j = i + 1;
        while (j < d.filled && cells[j].kind != cell_kind::slowdown_end && cells[j].kind != cell_kind::slowdown_start)
          ++j;
        const bool ended = j < d.filled && cells[j].kind == cell_kind::slowdown_end;
        d.slowdowns.push_back({at, (ended ? j : i + 1) * cell_metres, cells[i].value_1});
        break;
      }
      default: break;
    }
  }

  // The stretch drawn starts a little before the first thing that differs
  // from the line's first cell, so a long empty lead-in does not squeeze
  // the stations together; a short lead-in is kept.
  const double end = d.filled * cell_metres;
  double first = end;
  for (int i = 0; i < d.filled; ++i)
    if (cells[i].kind != cell_kind::empty || cells[i].speed_code != cells[0].speed_code ||
        cells[i].gradient_code != cells[0].gradient_code) {
      first = i * cell_metres;
      break;
    }
  for (const station_mark& s : d.stations) first = std::min(first, s.start);
  first = std::max(0.0, first - 1000);
  d.major_step = nice_step(end - first, 18) < 1000 ? 1000 : nice_step(end - first, 18);
  const double lead = std::floor(first / d.major_step) * d.major_step;
  d.from = lead < 0.1 * end ? 0 : lead;
  d.to = std::max(end, d.from + cell_metres);
  d.major_step = std::max(1000.0, nice_step(d.to - d.from, 18));
  const double lead_digit = d.major_step / std::pow(10.0, std::floor(std::log10(d.major_step)));
  d.minor_step = d.major_step / (lead_digit == 2 ? 4 : lead_digit == 5 ? 5 : 10);
  return d;
}

// Spreads label positions (sorted) at least `gap` apart within [lo, hi],
// moving each as little as the neighbours allow.
std::vector<double> spread(std::vector<double> want, double gap, double lo, double hi) {
  const size_t n = want.size();
  for (size_t i = 0; i < n; ++i) {
    want[i] = std::max(want[i], lo + gap * double(i));
    if (i > 0) want[i] = std::max(want[i], want[i - 1] + gap);
  }
  for (size_t k = n; k-- > 0;) {
    const double limit = hi - gap * double(n - 1 - k);
    want[k] = std::min(want[k], limit);
    if (k + 1 < n) want[k] = std::min(want[k], want[k + 1] - gap);
  }
  return want;
}

void text_at(svg::writer& w, double x, double y, const std::string& s, double size, const char* anchor,
             const char* colour = ink, const char* weight = nullptr) {
  std::vector<attr> a{{"x", x}, {"y", y}, {"font-size", size}, {"text-anchor", anchor}, {"fill", colour}};
  if (weight) a.emplace_back("font-weight", weight);
  w.text("text", a, s);
}

void line_at(svg::writer& w, double x1, double y1, double x2, double y2, const char* colour, double width,
             const char* dash = nullptr) {
  std::vector<attr> a{{"x1", x1}, {"y1", y1}, {"x2", x2}, {"y2", y2}, {"stroke", colour}, {"stroke-width", width}};
  if (dash) a.emplace_back("stroke-dasharray", dash);
  w.leaf("line", a);
}

void rect_at(svg::writer& w, double x, double y, double width, double height, const char* fill, double opacity = 1,
             const char* stroke = nullptr) {
  std::vector<attr> a{{"x", x}, {"y", y}, {"width", std::max(0.0, width)}, {"height", std::max(0.0, height)},
                      {"fill", fill}};
  if (opacity < 1) a.emplace_back("fill-opacity", opacity, 2);
  if (stroke) {
    a.emplace_back("stroke", stroke);
    a.emplace_back("stroke-width", 1.0);
  }
  w.leaf("rect", a);
}

// ---------------------------------------------------------------- profile

void draw_profile(svg::writer& w, const line_data& d, const std::vector<track_cell>& cells, box b) {
  w.open("g", {{"id", "profile"}});
  text_at(w, b.x, b.y + 14, "Profile, km " + number(d.from / 1000, 1) + " to " + number(d.to / 1000, 1), 15,
          "start", ink, "bold");

  if (d.filled == 0) {
    text_at(w, b.x + b.w / 2, b.y + b.h / 2, "no cells to draw", 14, "middle", muted);
    w.close();
    return;
  }

  const double label_size = 11;
  size_t longest = 0;
  for (const station_mark& s : d.stations) longest = std::max(longest, station_label(s).size());
  const double label_band = std::clamp(double(longest) * label_size * char_width + 16, 40.0, 190.0);
  const double axis_left = b.x + 96, axis_right = b.right() - 58;
  const double chart_top = b.y + 28 + label_band;
  const double legend_h = 30, km_axis_h = 34, mark_row = 18;
  const int mark_rows = 3;
  const double marks_top_gap = 6;
  const double chart_bottom = b.bottom() - legend_h - km_axis_h - mark_rows * mark_row - marks_top_gap;
  const double marks_top = chart_bottom + marks_top_gap;
  const double marks_bottom = marks_top + mark_rows * mark_row;
  const double chart_h = chart_bottom - chart_top;
  const double chart_w = axis_right - axis_left;

  auto x_of = [&](double chainage) { return axis_left + (chainage - d.from) / (d.to - d.from) * chart_w; };
  auto clamp_x = [&](double x) { return std::clamp(x, axis_left, axis_right); };

  // Speed scale over the whole chart height; terrain in the lower part so
  // that the two rarely cross.
  int top_speed = 0;
  const int first_cell = static_cast<int>(d.from / cell_metres);
  const int end_cell = std::min(d.filled, static_cast<int>(std::ceil(d.to / cell_metres)));
  for (int i = first_cell; i < end_cell; ++i) top_speed = std::max(top_speed, cells[i].speed_code * 5);
  const double speed_step = top_speed > 200 ? 50 : 20;
  const double speed_max = std::max(speed_step, std::ceil((top_speed + 10) / speed_step) * speed_step);
  auto y_of_speed = [&](double v) { return chart_bottom - v / speed_max * chart_h; };

  double e_lo = d.elevation[first_cell], e_hi = e_lo;
  for (int i = first_cell; i <= end_cell; ++i) {
    e_lo = std::min(e_lo, d.elevation[i]);
    e_hi = std::max(e_hi, d.elevation[i]);
  }
  if (e_hi - e_lo < 10) {
    const double mid = (e_hi + e_lo) / 2;
    e_lo = mid - 5;
    e_hi = mid + 5;
  }
  const double e_step = nice_step(e_hi - e_lo, 4);
  e_lo = std::floor(e_lo / e_step) * e_step;
  e_hi = std::ceil(e_hi / e_step) * e_step;
  const double terrain_h = chart_h * 0.42;
  auto y_of_elevation = [&](double e) { return chart_bottom - 4 - (e - e_lo) / (e_hi - e_lo) * (terrain_h - 4); };

  // Frame and grids.
  rect_at(w, axis_left, chart_top, chart_w, chart_h, "#ffffff", 1, "#bbbbbb");
  for (double v = speed_step; v <= speed_max + 0.5; v += speed_step) {
    line_at(w, axis_left, y_of_speed(v), axis_right, y_of_speed(v), grid, 1);
    text_at(w, axis_right + 6, y_of_speed(v) + 4, number(v, 0), 10, "start", speed_colour);
  }
  text_at(w, axis_right + 6, chart_top - 8, "km/h", 10, "start", speed_colour, "bold");
  const double first_major = std::ceil(d.from / d.major_step) * d.major_step;
  for (double c = first_major; c <= d.to + 0.5; c += d.major_step)
    line_at(w, x_of(c), chart_top, x_of(c), marks_bottom, grid, 1);

  // Terrain: the elevation is piecewise linear, so only its bends are kept.
  svg::points terrain;
  terrain.add(x_of(first_cell * cell_metres), chart_bottom);
  for (int i = first_cell; i <= end_cell; ++i) {
    const bool bend = i == first_cell || i == end_cell || cells[i].gradient_code != cells[i - 1].gradient_code;
    if (bend) terrain.add(x_of(i * cell_metres), y_of_elevation(d.elevation[i]));
  }
  terrain.add(x_of(end_cell * cell_metres), chart_bottom);
  w.leaf("polygon", {{"points", terrain.str()}, {"fill", terrain_fill}, {"stroke", terrain_edge},
                     {"stroke-width", 1.2}, {"stroke-linejoin", "round"}});
  for (double e = e_lo; e <= e_hi + 1e-9; e += e_step) {
    line_at(w, axis_left - 4, y_of_elevation(e), axis_left, y_of_elevation(e), terrain_edge, 1);
    text_at(w, axis_left - 7, y_of_elevation(e) + 4, number(e, 0), 10, "end", terrain_edge);
  }
  text_at(w, axis_left - 7, y_of_elevation(e_hi) - 14, "m", 10, "end", terrain_edge, "bold");

  // Stations as bands over the chart.
  for (const station_mark& s : d.stations) {
    if (s.end < d.from || s.start > d.to) continue;
    const double x1 = clamp_x(x_of(s.start)), x2 = clamp_x(x_of(s.end));
    const double width = std::max(2.0, x2 - x1);
    rect_at(w, (x1 + x2 - width) / 2, chart_top, width, chart_h, s.timed() ? stop_colour : pass_colour,
            s.timed() ? 0.35 : 0.22);
  }

  // Slowdowns: a band at least a few pixels wide, their speed as a dashed
  // step, and a flag naming the speed.
  for (const slowdown_mark& s : d.slowdowns) {
    if (s.end < d.from || s.start > d.to) continue;
    const double x1 = clamp_x(x_of(s.start)), x2 = clamp_x(x_of(s.end));
    const double width = std::max(4.0, x2 - x1);
    const double left = (x1 + x2 - width) / 2;
    rect_at(w, left, chart_top, width, chart_h, slowdown_colour, 0.55);
    line_at(w, left - 6, y_of_speed(s.speed), left + width + 6, y_of_speed(s.speed), slowdown_colour, 2.5);
    const bool flag_left = left + width + 120 > axis_right;
    text_at(w, flag_left ? left - 5 : left + width + 5, chart_top + 16, "slowdown " + std::to_string(s.speed) + " km/h",
            11, flag_left ? "end" : "start", slowdown_colour, "bold");
  }

  // Speed limit as a step line, one run per stretch of equal code.
  svg::points speed;
  for (int i = first_cell; i < end_cell;) {
    int j = i;
    while (j < end_cell && cells[j].speed_code == cells[i].speed_code) ++j;
    const double y = y_of_speed(cells[i].speed_code * 5.0);
    speed.add(x_of(std::max(d.from, i * cell_metres)), y);
    speed.add(x_of(std::min(d.to, j * cell_metres)), y);
    i = j;
  }
  w.leaf("polyline", {{"points", speed.str()}, {"fill", "none"}, {"stroke", speed_colour}, {"stroke-width", 2.0},
                      {"stroke-linejoin", "miter"}});

  // End of the route proper; the cells beyond it are the overrun.
  if (d.route_length > d.from && d.route_length < d.to) {
    const double x = x_of(d.route_length);
    line_at(w, x, chart_top, x, marks_bottom, ink, 1, "4 3");
    w.text("text", {{"transform", "translate(" + number(x - 4) + "," + number(chart_top + 6) + ") rotate(-90)"},
                    {"font-size", 10.0}, {"text-anchor", "end"}, {"fill", ink}},
           "end of route");
  }

  // Station names above the chart, turned upright and spread so they never
  // overlap; a leader joins a moved name to its station.
  {
    std::vector<const station_mark*> shown;
    for (const station_mark& s : d.stations)
      if (s.position >= d.from && s.position <= d.to) shown.push_back(&s);
    std::stable_sort(shown.begin(), shown.end(),
                     [](const station_mark* a, const station_mark* b) { return a->position < b->position; });
    std::vector<double> want;
    for (const station_mark* s : shown) want.push_back(x_of(s->position));
    const std::vector<double> at = spread(want, label_size + 3, axis_left + 4, axis_right - 4);
    const double base = chart_top - 14;
    for (size_t k = 0; k < shown.size(); ++k) {
      const station_mark& s = *shown[k];
      w.leaf("polyline", {{"points", number(want[k]) + "," + number(chart_top) + " " + number(want[k]) + "," +
                                         number(chart_top - 5) + " " + number(at[k]) + "," + number(base + 2)},
                          {"fill", "none"}, {"stroke", muted}, {"stroke-width", 0.8}});
      std::vector<attr> a{{"transform", "translate(" + number(at[k] + label_size * 0.36) + "," + number(base) +
                                            ") rotate(-90)"},
                          {"font-size", label_size},
                          {"fill", s.timed() ? stop_colour : ink}};
      if (s.timed()) a.emplace_back("font-weight", "bold");
      w.text("text", a, station_label(s));
    }
  }

  // Marks below the chart, one row per kind.
  const char* row_names[mark_rows] = {"signals", "slowdown", "reduction points"};
  for (int r = 0; r < mark_rows; ++r) {
    const double y = marks_top + r * mark_row;
    if (r % 2 == 0) rect_at(w, axis_left, y, chart_w, mark_row, "#f4f4f4");
    text_at(w, axis_left - 7, y + mark_row / 2 + 4, row_names[r], 10, "end", muted);
  }
  auto row_mid = [&](int r) { return marks_top + r * mark_row + mark_row / 2; };
  for (const double c : d.signals)
    if (c >= d.from && c <= d.to)
      line_at(w, x_of(c), row_mid(0) - 6, x_of(c), row_mid(0) + 6, signal_colour, 1.6);
  for (const slowdown_mark& s : d.slowdowns) {
    if (s.end < d.from || s.start > d.to) continue;
    const double x1 = clamp_x(x_of(s.start)), x2 = clamp_x(x_of(s.end));
    const double width = std::max(4.0, x2 - x1);
    rect_at(w, (x1 + x2 - width) / 2, row_mid(1) - 5, width, 10, slowdown_colour);
  }
  for (const double c : d.warnings)
    if (c >= d.from && c <= d.to) {
      const double x = x_of(c), y = row_mid(1);
      svg::points tri;
      tri.add(x, y - 6);
      tri.add(x + 6, y + 5);
      tri.add(x - 6, y + 5);
      w.leaf("polygon", {{"points", tri.str()}, {"fill", "#ffffff"}, {"stroke", slowdown_colour}, {"stroke-width", 1.6}});
    }
  for (const double c : d.reductions)
    if (c >= d.from && c <= d.to)
      w.leaf("circle", {{"cx", x_of(c)}, {"cy", row_mid(2)}, {"r", 3.5}, {"fill", reduction_colour}});

  // Kilometre axis.
  line_at(w, axis_left, marks_bottom, axis_right, marks_bottom, ink, 1);
  for (double c = std::ceil(d.from / d.minor_step) * d.minor_step; c <= d.to + 0.5; c += d.minor_step)
    line_at(w, x_of(c), marks_bottom, x_of(c), marks_bottom + 3, ink, 0.8);
  for (double c = first_major; c <= d.to + 0.5; c += d.major_step) {
    line_at(w, x_of(c), marks_bottom, x_of(c), marks_bottom + 7, ink, 1.2);
    text_at(w, x_of(c), marks_bottom + 19, number(c / 1000, 1), 11, "middle");
  }
  text_at(w, axis_right + 6, marks_bottom + 19, "km", 11, "start", ink, "bold");

  // Legend.
  {
    double x = axis_left;
    const double y = b.bottom() - 10;
    auto entry = [&](const std::string& label, auto&& swatch) {
      swatch(x, y - 4);
      text_at(w, x + 22, y, label, 11, "start");
      x += 22 + label.size() * 11 * 0.56 + 18;
    };
    entry("elevation (from the gradients)", [&](double sx, double sy) {
      rect_at(w, sx, sy - 6, 16, 12, terrain_fill, 1, terrain_edge);
    });
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
  w.close();
}

// ------------------------------------------------------------------- plan

struct plan_point {
  double m, x, y;
};

bool plan_at(const track_plan_t& plan, int64_t m, plan_point& p) {
  const int64_t n = std::min<int64_t>(plan.size(), static_cast<int64_t>(plan.y.size()));
  if (m < 0 || m >= n) return false;
  const plan_number& x = plan.x[m];
  const plan_number& y = plan.y[m];
  if (x.kind == plan_number::tag::empty || y.kind == plan_number::tag::empty) return false;
  if (!std::isfinite(x.value()) || !std::isfinite(y.value())) return false;
  p = {double(m), x.value(), y.value()};
  return true;
}

void draw_plan(svg::writer& w, const line_data& d, const track_plan_t* plan, box b) {
  w.open("g", {{"id", "plan"}});
  text_at(w, b.x, b.y + 14, "Plan, north up", 15, "start", ink, "bold");
  rect_at(w, b.x, b.y + 24, b.w, b.h - 24, "#fbfbf8", 1, "#cccccc");

  std::vector<plan_point> pts;
  if (plan) {
    const int64_t n = std::min<int64_t>(plan->size(), static_cast<int64_t>(plan->y.size()));
    const int64_t step = std::max<int64_t>(50, n / 4000 / 50 * 50);
    plan_point p;
    for (int64_t m = 0; m < n; m += step)
      if (plan_at(*plan, m, p)) pts.push_back(p);
    for (int64_t m = n - 1; m >= 0 && m > (pts.empty() ? -1 : int64_t(pts.back().m)); --m)
      if (plan_at(*plan, m, p)) {
        pts.push_back(p);
        break;
      }
  }
  if (pts.empty()) {
    text_at(w, b.x + b.w / 2, b.y + b.h / 2, plan ? "the plan file holds no points" : "no plan file", 14,
            "middle", muted);
    w.close();
    return;
  }

  // North arrow.
  {
    const double ax = b.right() - 18, ay = b.y + 40;
    svg::points arrow;
    arrow.add(ax, ay);
    arrow.add(ax + 6, ay + 14);
    arrow.add(ax, ay + 10);
    arrow.add(ax - 6, ay + 14);
    w.leaf("polygon", {{"points", arrow.str()}, {"fill", ink}});
    text_at(w, ax, ay + 27, "N", 11, "middle", ink, "bold");
  }

  double min_x = pts[0].x, max_x = min_x, min_y = pts[0].y, max_y = min_y;
  for (const plan_point& p : pts) {
    min_x = std::min(min_x, p.x);
    max_x = std::max(max_x, p.x);
    min_y = std::min(min_y, p.y);
    max_y = std::max(max_y, p.y);
  }
  const double label_size = 11;
  size_t longest = 0;
  for (const station_mark& s : d.stations) longest = std::max(longest, station_label(s).size());
  const double label_w = d.stations.empty() ? 0 : double(longest) * label_size * char_width + 24;
  const box area{b.x + 46, b.y + 62, std::max(20.0, b.w - 46 - 30 - label_w), b.h - 62 - 16};
  const double span_x = max_x - min_x, span_y = max_y - min_y;
  double scale = 1;
  if (span_x > 0 && span_y > 0)
    scale = std::min(area.w / span_x, area.h / span_y);
  else if (span_x > 0)
    scale = area.w / span_x;
  else if (span_y > 0)
    scale = area.h / span_y;
  // Equal scale on both axes; the plan sits centred in its area, north up.
  const double off_x = area.x + (area.w - span_x * scale) / 2;
  const double off_y = area.y + (area.h - span_y * scale) / 2;
  auto sx = [&](double x) { return off_x + (x - min_x) * scale; };
  auto sy = [&](double y) { return off_y + (max_y - y) * scale; };

  // The whole line in grey, the stretch of the profile in black; a gap in
  // the plan breaks the line.
  auto draw_track = [&](double from, double to, const char* colour, double width) {
    svg::points run;
    double last_m = -1;
    const double gap = 4 * std::max(50.0, pts.size() > 1 ? pts[1].m - pts[0].m : 50.0);
    auto flush = [&] {
      if (!run.empty())
        w.leaf("polyline", {{"points", run.str()}, {"fill", "none"}, {"stroke", colour}, {"stroke-width", width},
                            {"stroke-linejoin", "round"}, {"stroke-linecap", "round"}});
      run = {};
    };
    for (const plan_point& p : pts) {
      if (p.m < from || p.m > to) continue;
      if (last_m >= 0 && p.m - last_m > gap) flush();
      run.add(sx(p.x), sy(p.y));
      last_m = p.m;
    }
    flush();
  };
  draw_track(0, pts.back().m, "#b5b5b5", 2);
  draw_track(d.from, d.to, ink, 2.6);

  // Kilometre posts along the track.
  const double post_step = nice_step(pts.back().m, 8);
  for (double m = post_step; m < pts.back().m; m += post_step) {
    plan_point p;
    if (!plan_at(*plan, static_cast<int64_t>(m), p)) continue;
    w.leaf("circle", {{"cx", sx(p.x)}, {"cy", sy(p.y)}, {"r", 2.2}, {"fill", muted}});
    text_at(w, sx(p.x) - 6, sy(p.y) + 4, "km " + number(m / 1000, 1), 10, "end", muted);
  }

  // Stations: a dot on the track, the name in a column to the right of the
  // whole plan, spread so the names never overlap.
  struct placed {
    const station_mark* s;
    double x, y;
  };
  std::vector<placed> marks;
  double right_edge = sx(max_x);
  for (const station_mark& s : d.stations) {
    plan_point p;
    if (!plan_at(*plan, static_cast<int64_t>(s.position), p)) continue;
    marks.push_back({&s, sx(p.x), sy(p.y)});
  }
  std::stable_sort(marks.begin(), marks.end(), [](const placed& a, const placed& b) { return a.y < b.y; });
  std::vector<double> want;
  for (const placed& p : marks) want.push_back(p.y);
  const std::vector<double> at = spread(want, label_size + 2, b.y + 40, b.bottom() - 8);
  const double column = std::min(right_edge + 18, b.right() - label_w + 8);
  for (size_t k = 0; k < marks.size(); ++k) {
    const placed& p = marks[k];
    w.leaf("polyline", {{"points", number(p.x) + "," + number(p.y) + " " + number(column - 10) + "," + number(at[k]) +
                                       " " + number(column - 3) + "," + number(at[k])},
                        {"fill", "none"}, {"stroke", muted}, {"stroke-width", 0.7}});
  }
  for (size_t k = 0; k < marks.size(); ++k) {
    const placed& p = marks[k];
    const bool timed = p.s->timed();
    w.leaf("circle", {{"cx", p.x}, {"cy", p.y}, {"r", timed ? 4.0 : 3.0}, {"fill", timed ? stop_colour : "#ffffff"},
                      {"stroke", timed ? stop_colour : ink}, {"stroke-width", 1.2}});
    text_at(w, column, at[k] + 4, station_label(*p.s), label_size, "start", timed ? stop_colour : ink,
            timed ? "bold" : nullptr);
  }
  w.close();
}

}  // namespace

std::string render_route_svg(const std::vector<track_cell>& cells, const scenario_table_t& table,
                             const track_plan_t* plan) {
  const line_data d = gather(cells, table);

  // A plan taller than wide stands in a column beside the profile; a wide
  // one lies in a band above it.
  bool tall = true;
  if (plan && plan->exists()) {
    double min_x = 0, max_x = 0, min_y = 0, max_y = 0;
    bool any = false;
    plan_point p;
    for (int64_t m = 0; m < plan->size(); m += 100)
      if (plan_at(*plan, m, p)) {
        if (!any) min_x = max_x = p.x, min_y = max_y = p.y;
        any = true;
        min_x = std::min(min_x, p.x);
        max_x = std::max(max_x, p.x);
        min_y = std::min(min_y, p.y);
        max_y = std::max(max_y, p.y);
      }
    tall = !any || (max_y - min_y) >= (max_x - min_x);
  }

  const double width = 1600;
  const double height = tall ? 1000 : 1300;
  svg::writer w(width, height);
  w.leaf("rect", {{"width", "100%"}, {"height", "100%"}, {"fill", "#ffffff"}});
  w.open("g", {{"font-family", font}});
  std::string title = d.route.empty() ? "Route" : d.route;
  if (!d.train.empty()) title += ", train " + d.train;
  text_at(w, 16, 30, title, 20, "start", ink, "bold");
  std::string summary = std::to_string(d.stations.size()) + " stations, " + std::to_string(d.signals.size()) +
                        " signals, " + std::to_string(d.slowdowns.size()) +
                        (d.slowdowns.size() == 1 ? " slowdown" : " slowdowns");
  if (d.route_length > 0) summary += ", route length " + number(d.route_length / 1000, 3) + " km";
  text_at(w, width - 16, 30, summary, 12, "end", muted);

  const track_plan_t* shown_plan = plan && plan->exists() ? plan : nullptr;
  const track_plan_t empty_plan;
  if (tall) {
    draw_plan(w, d, shown_plan ? shown_plan : (plan ? &empty_plan : nullptr), {16, 50, 380, height - 66});
    draw_profile(w, d, cells, {400, 50, width - 400 - 16, height - 66});
  } else {
    draw_plan(w, d, shown_plan, {16, 50, width - 32, 400});
    draw_profile(w, d, cells, {16, 470, width - 32, height - 470 - 16});
  }
  w.close();
  return w.finish();
}

}  // namespace sb
