#include "app/route_plot.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <utility>

#include "app/plot_parts.h"

namespace sb {

namespace plot {

using svg::attr;

double nice_step(double span, int most_ticks) {
  if (!(span > 0)) return 1;
  const double raw = span / std::max(1, most_ticks);
  const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
  for (const double m : {1.0, 2.0, 5.0, 10.0})
    if (m * magnitude >= raw) return m * magnitude;
  return 10 * magnitude;
}

namespace {

std::string clock_text(int32_t seconds) {
  const int32_t s = ((seconds % 86400) + 86400) % 86400;
  char buf[16];
  if (s % 60 != 0)
    std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", s / 3600, s / 60 % 60, s % 60);
  else
    std::snprintf(buf, sizeof buf, "%02d:%02d", s / 3600, s / 60 % 60);
  return buf;
}

// The cells past the last one with a gradient were never filled by the
// reader; the elevation adds up the gradients from the origin.
void gather_profile(const std::vector<track_cell>& cells, line_data& d) {
  for (int i = static_cast<int>(cells.size()) - 1; i >= 0; --i)
    if (cells[i].gradient_code != 0) {
      d.filled = i + 1;
      break;
    }
  d.elevation.assign(d.filled + 1, 0.0);
  for (int i = 0; i < d.filled; ++i)
    d.elevation[i + 1] = d.elevation[i] + (cells[i].gradient_code - 100) * cell_metres / 1000.0;
}

void gather_items(const std::vector<track_cell>& cells, line_data& d) {
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
}

// The stretch drawn starts a little before the first thing that differs
// from the line's first cell, so a long empty lead-in does not squeeze the
// stations together; a short lead-in is kept.
void choose_stretch(const std::vector<track_cell>& cells, line_data& d) {
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
}

}  // namespace

std::string station_label(const station_mark& s) { return s.timed() ? s.name + " " + clock_text(s.time) : s.name; }

double label_width(const std::vector<station_mark>& stations, double size) {
  size_t longest = 0;
  for (const station_mark& s : stations) longest = std::max(longest, station_label(s).size());
  return double(longest) * size * char_width;
}

line_data gather(const std::vector<track_cell>& cells, const scenario_table_t& table) {
  line_data d;
  d.route = table[table_row::scenery_and_identity].text;
  d.train = table[table_row::repetition_and_clock].text;
  d.route_length = table[table_row::train_and_route].range_end;
  gather_profile(cells, d);
  for (int r = table_row::first_station; r < station_rows_end(table); ++r) {
    const table_entry& e = table[static_cast<size_t>(r)];
    d.stations.push_back({e.text, double(e.range_start), double(e.range_end), double(e.position), e.time_of_day});
  }
  gather_items(cells, d);
  choose_stretch(cells, d);
  return d;
}

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
             const char* colour, const char* weight) {
  std::vector<attr> a{{"x", x}, {"y", y}, {"font-size", size}, {"text-anchor", anchor}, {"fill", colour}};
  if (weight) a.emplace_back("font-weight", weight);
  w.text("text", a, s);
}

void line_at(svg::writer& w, double x1, double y1, double x2, double y2, const char* colour, double width,
             const char* dash) {
  std::vector<attr> a{{"x1", x1}, {"y1", y1}, {"x2", x2}, {"y2", y2}, {"stroke", colour}, {"stroke-width", width}};
  if (dash) a.emplace_back("stroke-dasharray", dash);
  w.leaf("line", a);
}

void rect_at(svg::writer& w, double x, double y, double width, double height, const char* fill, double opacity,
             const char* stroke) {
  std::vector<attr> a{{"x", x}, {"y", y}, {"width", std::max(0.0, width)}, {"height", std::max(0.0, height)},
                      {"fill", fill}};
  if (opacity < 1) a.emplace_back("fill-opacity", opacity, 2);
  if (stroke) {
    a.emplace_back("stroke", stroke);
    a.emplace_back("stroke-width", 1.0);
  }
  w.leaf("rect", a);
}

bool plan_at(const track_plan_t& plan, int64_t m, plan_point& p) {
  const int64_t n = std::min<int64_t>(plan.size(), static_cast<int64_t>(plan.y.size()));
  if (m < 0 || m >= n) return false;
  const auto i = static_cast<size_t>(m);
  if (plan.x.kind(i) == plan_number::tag::empty || plan.y.kind(i) == plan_number::tag::empty) return false;
  if (!std::isfinite(plan.x.value(i)) || !std::isfinite(plan.y.value(i))) return false;
  p = {double(m), plan.x.value(i), plan.y.value(i)};
  return true;
}

namespace {

// A plan taller than wide stands in a column beside the profile; a wide
// one lies in a band above it.
bool plan_is_tall(const track_plan_t* plan) {
  if (!plan || !plan->exists()) return true;
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
  return !any || (max_y - min_y) >= (max_x - min_x);
}

void draw_title(svg::writer& w, const line_data& d, double width) {
  std::string title = d.route.empty() ? "Route" : d.route;
  if (!d.train.empty()) title += ", train " + d.train;
  text_at(w, 16, 30, title, 20, "start", ink, "bold");
  std::string summary = std::to_string(d.stations.size()) + " stations, " + std::to_string(d.signals.size()) +
                        " signals, " + std::to_string(d.slowdowns.size()) +
                        (d.slowdowns.size() == 1 ? " slowdown" : " slowdowns");
  if (d.route_length > 0) summary += ", route length " + svg::number(d.route_length / 1000, 3) + " km";
  text_at(w, width - 16, 30, summary, 12, "end", muted);
}

}  // namespace

}  // namespace plot

std::string render_route_svg(const std::vector<track_cell>& cells, const scenario_table_t& table,
                             const track_plan_t* plan) {
  using namespace plot;
  const line_data d = gather(cells, table);
  const bool tall = plan_is_tall(plan);

  const double width = 1600;
  const double height = tall ? 1000 : 1300;
  svg::writer w(width, height);
  w.leaf("rect", {{"width", "100%"}, {"height", "100%"}, {"fill", "#ffffff"}});
  w.open("g", {{"font-family", font}});
  draw_title(w, d, width);

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
