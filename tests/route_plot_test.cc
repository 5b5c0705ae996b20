#include "app/route_plot.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>
#include <locale>
#include <regex>
#include <string>
#include <vector>

#include "app/svg_writer.h"
#include "builder/compile_step.h"
#include "documents/documents.h"
#include "platform/file_system.h"
#include "support/memory_file_system.h"

namespace sb {
namespace {

// Checks that every element is closed in order, the way a browser's XML
// parser would insist; returns the first fault, empty when well formed.
std::string tag_balance_fault(const std::string& doc) {
  std::vector<std::string> open;
  size_t p = 0;
  while ((p = doc.find('<', p)) != std::string::npos) {
    if (doc.compare(p, 4, "<!--") == 0) {
      const size_t e = doc.find("-->", p);
      if (e == std::string::npos) return "unclosed comment";
      p = e + 3;
      continue;
    }
    const size_t e = doc.find('>', p);
    if (e == std::string::npos) return "unclosed tag at " + std::to_string(p);
    const std::string tag = doc.substr(p + 1, e - p - 1);
    p = e + 1;
    if (tag.empty()) return "empty tag";
    if (tag[0] == '?') continue;
    if (tag.find('<') != std::string::npos) return "'<' inside a tag: " + tag;
    if (tag[0] == '/') {
      if (open.empty() || open.back() != tag.substr(1)) return "mismatched </" + tag.substr(1) + ">";
      open.pop_back();
    } else if (tag.back() != '/') {
      open.push_back(tag.substr(0, tag.find_first_of(" \n")));
    }
  }
  return open.empty() ? "" : "unclosed <" + open.back() + ">";
}

// A 10 km line, with a rise then a fall, two speeds, two stations (one
// with a scheduled time), a signal, a slowdown with its warning and a
// speed-reduction point.
struct small_line {
  std::vector<track_cell> cells = std::vector<track_cell>(201);
  scenario_table_t table{};
  track_plan_t plan;

  small_line() {
    for (int i = 0; i < 199; ++i) {
      cells[i].gradient_code = i < 100 ? 105 : 96;
      cells[i].speed_code = i < 120 ? 20 : 14;
    }
    cells[40].kind = cell_kind::signal;
    cells[110].kind = cell_kind::slowdown_warning;
    cells[134].kind = cell_kind::slowdown_start;
    cells[134].value_1 = 60;
    cells[138].kind = cell_kind::slowdown_end;
    cells[128].kind = cell_kind::reduction_point;
    table[table_row::first_station] = {.range_start = 1000, .range_end = 1600, .position = 1300,
                                       .text = "ALFA & <BETA>", .time_of_day = 8 * 3600 + 5 * 60};
    table[table_row::first_station + 1] = {.range_start = 8000, .range_end = 8400, .position = 8200, .text = "GAMMA"};
    table[table_row::train_and_route].range_end = 9000;
    table[table_row::scenery_and_identity].text = "Prova";
    table[table_row::repetition_and_clock].text = "7";
    // A gentle curve to the north-east, one point a metre.
    for (int m = 0; m <= 10000; ++m) {
      plan.x.push_back(plan_number::of_real(m * m / 20000.0));
      plan.y.push_back(plan_number::of_real(m));
    }
  }
};

TEST(RoutePlot, DrawsStationsSpeedSlowdownAndMarksWellFormed) {
  const small_line l;
  const std::string s = render_route_svg(l.cells, l.table, &l.plan);
  EXPECT_EQ(tag_balance_fault(s), "");
  EXPECT_EQ(s.rfind("<?xml", 0), 0u);
  EXPECT_NE(s.find("xmlns=\"http://www.w3.org/2000/svg\""), std::string::npos);
  // Names are escaped; the timed station carries its time.
  EXPECT_NE(s.find("ALFA &amp; &lt;BETA&gt; 08:05"), std::string::npos);
  EXPECT_NE(s.find(">GAMMA<"), std::string::npos);
  EXPECT_EQ(s.find("<BETA>"), std::string::npos);
  EXPECT_NE(s.find("slowdown 60 km/h"), std::string::npos);
  EXPECT_NE(s.find("stroke=\"#1f5fbf\" stroke-width=\"2\""), std::string::npos) << "speed line";
  EXPECT_NE(s.find("id=\"plan\""), std::string::npos);
  EXPECT_EQ(s.find("no plan file"), std::string::npos);
  EXPECT_NE(s.find("2 stations, 1 signals, 1 slowdown"), std::string::npos);
  // Nothing outside the document: no link, script, image or font file.
  for (const char* outside : {"href", "<script", "<image", "@import", "url("})
    EXPECT_EQ(s.find(outside), std::string::npos) << outside;
}

TEST(RoutePlot, WithoutPlanTheProfileStandsAlone) {
  const small_line l;
  const std::string s = render_route_svg(l.cells, l.table, nullptr);
  EXPECT_EQ(tag_balance_fault(s), "");
  EXPECT_NE(s.find("no plan file"), std::string::npos);
  EXPECT_NE(s.find("slowdown 60 km/h"), std::string::npos);
}

// A numpunct that writes decimals with a comma, as many locales do.
struct comma_decimals : std::numpunct<char> {
  char do_decimal_point() const override { return ','; }
  char do_thousands_sep() const override { return '.'; }
  std::string do_grouping() const override { return "\3"; }
};

TEST(RoutePlot, SameBytesUnderACommaDecimalLocale) {
  const small_line l;
  const std::string plain = render_route_svg(l.cells, l.table, &l.plan);
  const std::locale before = std::locale::global(std::locale(std::locale::classic(), new comma_decimals));
  const std::string c_before = std::setlocale(LC_NUMERIC, nullptr);
  for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "it_IT.UTF-8", "fr_FR.UTF-8"})
    if (std::setlocale(LC_NUMERIC, name)) break;
  const std::string localised = render_route_svg(l.cells, l.table, &l.plan);
  std::setlocale(LC_NUMERIC, c_before.c_str());
  std::locale::global(before);
  EXPECT_EQ(localised, plain);
  EXPECT_TRUE(std::regex_search(plain, std::regex("x=\"[0-9]+\\.[0-9]\""))) << "decimals are written";
}

TEST(RoutePlot, OddInputsStillGiveAWellFormedPicture) {
  small_line l;
  std::vector<std::pair<std::string, std::string>> docs;
  docs.emplace_back("empty", render_route_svg({}, scenario_table_t{}, nullptr));
  // Every cell unfilled: nothing to draw.
  docs.emplace_back("unfilled", render_route_svg(std::vector<track_cell>(50), l.table, nullptr));
  // A slowdown that never ends, stations beyond the cells, extreme codes.
  std::vector<track_cell> odd = l.cells;
  odd[138].kind = 0;
  for (auto& c : odd) c.speed_code = 255;
  odd[5].gradient_code = 255;
  scenario_table_t far = l.table;
  far[3] = {.range_start = -5000, .range_end = 900000, .position = 5000, .text = "FAR"};
  docs.emplace_back("odd", render_route_svg(odd, far, &l.plan));
  // A plan with holes, a not-a-number and a single point.
  track_plan_t holes = l.plan;
  for (int m = 3000; m < 3500; ++m) holes.x.set(m, {});
  holes.y.set(7000, plan_number::of_real(std::nan("")));
  docs.emplace_back("holes", render_route_svg(l.cells, l.table, &holes));
  track_plan_t point;
  point.x = {plan_number::of_int16(0)};
  point.y = {plan_number::of_int16(0)};
  docs.emplace_back("point", render_route_svg(l.cells, l.table, &point));
  // An empty plan file object (present but without points).
  const track_plan_t none;
  docs.emplace_back("none", render_route_svg(l.cells, l.table, &none));
  // A plan that runs east: the wide layout.
  track_plan_t east;
  for (int m = 0; m <= 10000; ++m) {
    east.x.push_back(plan_number::of_real(m));
    east.y.push_back(plan_number::of_real(0));
  }
  docs.emplace_back("east", render_route_svg(l.cells, l.table, &east));

  for (const auto& [what, s] : docs) {
    EXPECT_EQ(tag_balance_fault(s), "") << what;
    EXPECT_EQ(s.find("nan"), std::string::npos) << what;
    EXPECT_EQ(s.find("inf"), std::string::npos) << what;
  }
  EXPECT_NE(docs[0].second.find("no cells to draw"), std::string::npos);
  EXPECT_NE(docs[2].second.find(">FAR<"), std::string::npos);
  EXPECT_NE(docs[6].second.find("height=\"1300\""), std::string::npos);
}

TEST(RoutePlot, ShippedScenarioShowsItsStationsAndSlowdown) {
  test::memory_file_system fs;
  scenario_model m;
  m.route_name = "Ortesa-Vildoro";
  m.train_number = "418";
  const scenario_identity id{m.route_name, m.train_number};
  ASSERT_TRUE(dati_linea(id, fs, "/s"));
  ASSERT_TRUE(dati_treno(id, fs, "/s"));
  memorizza_percorso(m, 1, fs, "/s", write_policy::always);
  ASSERT_EQ(m.error_code, 0);
  const std::string s = render_route_svg(m.cells, m.scenario_table, &m.track_plan);
  EXPECT_EQ(tag_balance_fault(s), "");
  int names = 0;
  for (int r = 1; !m.scenario_table[r].text.empty(); ++r) {
    ++names;
    // Once in the profile, once in the plan.
    const std::string& name = m.scenario_table[r].text;
    const size_t first = s.find(">" + name);
    ASSERT_NE(first, std::string::npos) << name;
    EXPECT_NE(s.find(">" + name, first + 1), std::string::npos) << name;
  }
  EXPECT_EQ(names, 22);
  EXPECT_NE(s.find("slowdown 60 km/h"), std::string::npos);
  EXPECT_NE(s.find("Profile, km 200 to 364.9"), std::string::npos);
  EXPECT_NE(s.find("VILDORO CENTRALE 23:23"), std::string::npos);
  EXPECT_LT(s.size(), 400000u);
}

}  // namespace
}  // namespace sb
