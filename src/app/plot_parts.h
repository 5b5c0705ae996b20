// What the pieces of the route picture share: what is drawn, gathered once
// from the decoded files, the colours, and small drawing helpers. Internal
// to the picture.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/svg_writer.h"
#include "builder/scenario_model.h"

namespace sb::plot {

constexpr double cell_metres = metres_per_cell;

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

// What the picture shows, in metres of chainage.
struct line_data {
  std::string route, train;
  int filled = 0;                 // cells 0 .. filled - 1 carry line values
  std::vector<double> elevation;  // at the start of each cell, filled + 1 points
  std::vector<station_mark> stations;
  std::vector<double> signals, warnings, reductions;
  std::vector<slowdown_mark> slowdowns;
  double route_length = 0;
  double from = 0, to = 0;  // the stretch drawn in the profile
  double major_step = 10000, minor_step = 1000;
};

line_data gather(const std::vector<track_cell>& cells, const scenario_table_t& table);

// A round step that divides `span` into at most about `most_ticks`.
double nice_step(double span, int most_ticks);
std::string station_label(const station_mark& s);
// Spreads label positions (sorted) at least `gap` apart within [lo, hi],
// moving each as little as the neighbours allow.
std::vector<double> spread(std::vector<double> want, double gap, double lo, double hi);

void text_at(svg::writer& w, double x, double y, const std::string& s, double size, const char* anchor,
             const char* colour = ink, const char* weight = nullptr);
void line_at(svg::writer& w, double x1, double y1, double x2, double y2, const char* colour, double width,
             const char* dash = nullptr);
void rect_at(svg::writer& w, double x, double y, double width, double height, const char* fill, double opacity = 1,
             const char* stroke = nullptr);
// The width a label takes at `size`, roughly.
double label_width(const std::vector<station_mark>& stations, double size);

struct plan_point {
  double m, x, y;
};
// The plan point of metre `m`, when both its coordinates are finite values.
bool plan_at(const track_plan_t& plan, int64_t m, plan_point& p);

void draw_profile(svg::writer& w, const line_data& d, const std::vector<track_cell>& cells, box b);
void draw_plan(svg::writer& w, const line_data& d, const track_plan_t* plan, box b);

}  // namespace sb::plot
