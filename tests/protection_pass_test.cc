#include "builder/protection_pass.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <iterator>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "builder/error_report.h"

namespace sb {
namespace {

namespace k = cell_kind;

struct item {
  int cell;
  uint8_t kind;
  int16_t value_1 = 0;
};

// A line of `n` empty cells (last_cell n - 1) holding the given items.
scenario_model line_of(int n, const std::vector<item>& items) {
  scenario_model model;
  model.cells.assign(static_cast<size_t>(n), track_cell{});
  model.last_cell = n - 1;
  for (const item& it : items) {
    track_cell& c = model.cells.at(static_cast<size_t>(it.cell));
    c.kind = it.kind;
    c.value_1 = it.value_1;
  }
  return model;
}

// A slowdown's start and end cells as the recorder leaves them.
std::vector<item> slowdown(int start, int end, int16_t speed) {
  return {{start, k::slowdown_start, speed}, {end, k::slowdown_end, speed}};
}

std::vector<item> operator+(std::vector<item> a, const std::vector<item>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

using points_t = std::vector<std::pair<int, int>>;  // (cell, value_1)

// Every reduction point of the line, in cell order.
points_t points(const scenario_model& model) {
  points_t out;
  for (size_t i = 0; i < model.cells.size(); ++i) {
    if (model.cells[i].kind == k::reduction_point) out.emplace_back(int(i), model.cells[i].value_1);
  }
  return out;
}

struct pass_case {
  std::string name;
  int n;
  std::vector<item> items;
  points_t expected;
  int32_t error_code = 0;
  int32_t error_position = 0;
};

void check(const pass_case& c) {
  SCOPED_TRACE(c.name);
  scenario_model model = line_of(c.n, c.items);
  signal_protection_pass(model);
  EXPECT_EQ(points(model), c.expected);
  EXPECT_EQ(model.error_code, c.error_code);
  EXPECT_EQ(model.error_position, c.error_position);
}

const item warning_at_40{40, k::slowdown_warning, 60};
item board_at(int cell) { return {cell, k::speed_indicator, 2828}; }

TEST(ProtectionPass, SignalsBeforeAWarningPoint) {
  const std::vector<pass_case> cases = {
      {"point in front of the signal", 60, {warning_at_40, {30, k::signal}}, {{29, 180}}},
      {"mountain marker counts as free",
       60,
       {warning_at_40, {30, k::signal}, {29, k::mountain_marker}},
       {{29, 180}}},
      {"d-1 taken, point in d-2", 60, {warning_at_40, {30, k::signal}, board_at(29)}, {{28, 180}}},
      {"270 in d-1, d-2 taken: capped",
       60,
       {warning_at_40, {30, k::signal}, {29, k::reduction_point, 270}, board_at(28)},
       {{29, 180}}},
      {"180 in d-1, d-2 taken: stays",
       60,
       {warning_at_40, {30, k::signal}, {29, k::reduction_point, 180}, board_at(28)},
       {{29, 180}}},
      {"120 in d-1, d-2 taken: stays",
       60,
       {warning_at_40, {30, k::signal}, {29, k::reduction_point, 120}, board_at(28)},
       {{29, 120}}},
      {"270 in d-1, d-2 free: second point",
       60,
       {warning_at_40, {30, k::signal}, {29, k::reduction_point, 270}},
       {{28, 180}, {29, 270}}},
      {"d-1 taken, 270 in d-2: capped",
       60,
       {warning_at_40, {30, k::signal}, board_at(29), {28, k::reduction_point, 270}},
       {{28, 180}}},
      {"no room: error 11 at the signal",
       60,
       {warning_at_40, {30, k::signal}, board_at(29), board_at(28)},
       {},
       11,
       1500},
      {"every signal within 20 cells, none further",
       60,
       {warning_at_40, {39, k::signal}, {20, k::signal}, {18, k::signal}},
       {{19, 180}, {38, 180}}},
      {"near the start: d = 4", 20, {{5, k::slowdown_warning, 60}, {4, k::signal}}, {{3, 180}}},
      {"near the start: d = 3", 20, {{5, k::slowdown_warning, 60}, {3, k::signal}}, {{2, 180}}},
      {"near the start: d = 2 not looked at",
       20,
       {{5, k::slowdown_warning, 60}, {2, k::signal}},
       {}},
  };
  for (const pass_case& c : cases) check(c);
}

TEST(ProtectionPass, BandsBeforeASlowdownStart) {
  // Speed 120: no walk, and no signal after the end, so only S1 to S3 place.
  const std::vector<pass_case> cases = {
      {"start 7: no band", 40, slowdown(7, 11, 120), {}},
      {"start 8: S1", 40, slowdown(8, 12, 120), {{3, 180}}},
      {"start 14: S1 and S2", 40, slowdown(14, 18, 120), {{3, 180}, {9, 180}}},
      {"start 21: S1 to S3", 40, slowdown(21, 25, 120), {{3, 180}, {10, 180}, {16, 180}}},
      {"next candidate when the nearest is taken",
       60,
       slowdown(40, 44, 120) + std::vector<item>{board_at(35), board_at(29)},
       {{22, 180}, {28, 180}, {34, 180}}},
      {"an existing point is only an occupied cell",
       60,
       slowdown(40, 44, 120) + std::vector<item>{{35, k::reduction_point, 270}},
       {{22, 180}, {29, 180}, {34, 180}, {35, 270}}},
      {"S1 full: error 12, S2 and S3 still place",
       60,
       slowdown(40, 44, 120) + std::vector<item>{board_at(35), board_at(34), board_at(33)},
       {{22, 180}, {29, 180}},
       12,
       2000},
  };
  for (const pass_case& c : cases) check(c);
}

// Start 100, end 120; S1 to S3 always give 95, 89 and 82.
std::vector<item> slowdown_100_120(int16_t speed, std::vector<item> more = {}) {
  return slowdown(100, 120, speed) + more;
}
points_t bands_and(points_t more) {
  points_t out = {{82, 180}, {89, 180}, {95, 180}};
  out.insert(out.end(), more.begin(), more.end());
  return out;
}

TEST(ProtectionPass, WalkAlongASlowSlowdownAndTheSignalAfterIt) {
  const std::vector<pass_case> cases = {
      {"109: every 8 cells", 140, slowdown_100_120(109), bands_and({{108, 180}, {116, 180}})},
      {"negative speed compares as signed", 140, slowdown_100_120(-5),
       bands_and({{108, 180}, {116, 180}})},
      {"110: no walk", 140, slowdown_100_120(110), bands_and({})},
      {"109: S5 finds a signal at end + 12", 140, slowdown_100_120(109, {{132, k::signal}}),
       bands_and({{108, 180}, {116, 180}, {131, 180}})},
      {"109: S5 stops at end + 12", 140, slowdown_100_120(109, {{133, k::signal}}),
       bands_and({{108, 180}, {116, 180}})},
      {"110: S5 from the end cell, not the start", 140,
       slowdown_100_120(110, {{110, k::signal}, {125, k::signal}}), bands_and({{124, 180}})},
      {"110: S5 stops at end + 12", 140, slowdown_100_120(110, {{133, k::signal}}), bands_and({})},
      {"S5 falls back to n - 1", 140, slowdown_100_120(110, {{125, k::signal}, board_at(124)}),
       bands_and({{123, 180}})},
      {"S5 no room: error 13 at the end cell", 140,
       slowdown_100_120(110, {{125, k::signal}, board_at(124), board_at(123)}), bands_and({}), 13,
       6000},
      {"step 8 taken, k - 1 free: next point at k + 7", 140,
       slowdown(100, 130, 60) + std::vector{board_at(108)},
       bands_and({{107, 180}, {115, 180}, {123, 180}})},
      {"step 8 and k - 1 taken: k + 1, next at k + 9", 140,
       slowdown(100, 130, 60) + std::vector{board_at(108), board_at(107)},
       bands_and({{109, 180}, {117, 180}, {125, 180}})},
      {"all three taken: error 13, nothing more along", 140,
       slowdown(100, 130, 60) + std::vector{board_at(107), board_at(108), board_at(109)},
       bands_and({}), 13, 5400},
      {"the end cell is never a point, its neighbour is", 140, slowdown(100, 108, 60),
       bands_and({{107, 180}})},
  };
  for (const pass_case& c : cases) check(c);
}

TEST(ProtectionPass, TheLastErrorStandsAndNoErrorClearsNothing) {
  // Error 12 at start 30, then error 11 at the signal 70 before warning 80.
  scenario_model model =
      line_of(100, slowdown(30, 34, 120) + std::vector<item>{board_at(25),
                                                             board_at(24),
                                                             board_at(23),
                                                             {80, k::slowdown_warning, 60},
                                                             {70, k::signal},
                                                             board_at(69),
                                                             board_at(68)});
  signal_protection_pass(model);
  EXPECT_EQ(model.error_code, 11);
  EXPECT_EQ(model.error_position, 3500);

  scenario_model clean = line_of(60, slowdown(40, 44, 120));
  clean.error_code = 7;
  clean.error_position = 123;
  signal_protection_pass(clean);
  EXPECT_EQ(clean.error_code, 7);
  EXPECT_EQ(clean.error_position, 123);
}

TEST(ProtectionPass, StaysWithinTheCells) {
  const std::vector<pass_case> cases = {
      {"end missing: walk stops at last_cell",
       30,
       {{26, k::slowdown_start, 60}},
       {{8, 180}, {15, 180}, {21, 180}}},
      {"end missing: S5 looks at last_cell only",
       30,
       {{26, k::slowdown_start, 60}, {29, k::signal}},
       {{8, 180}, {15, 180}, {21, 180}, {28, 180}}},
      {"end missing, fast: S5 from last_cell",
       30,
       {{26, k::slowdown_start, 120}, {29, k::signal}},
       {{8, 180}, {15, 180}, {21, 180}, {28, 180}}},
      {"step 8 on last_cell: no k + 1",
       29,
       {{20, k::slowdown_start, 60}, board_at(28), board_at(27)},
       {{9, 180}, {15, 180}},
       13,
       1400},
      {"step 8 on last_cell, free",
       29,
       {{20, k::slowdown_start, 60}},
       {{9, 180}, {15, 180}, {28, 180}}},
  };
  for (const pass_case& c : cases) check(c);
}

TEST(ProtectionPass, HonoursLastCellShorterOrLongerThanTheArray) {
  // last_cell short of the array: nothing past it is read as a signal.
  scenario_model shorter = line_of(60, slowdown(30, 34, 120) + std::vector<item>{{42, k::signal}});
  shorter.last_cell = 40;
  signal_protection_pass(shorter);
  EXPECT_EQ(points(shorter), (points_t{{12, 180}, {19, 180}, {25, 180}}));

  // last_cell beyond the array: the array bounds the pass.
  scenario_model longer = line_of(30, {{26, k::slowdown_start, 60}, {29, k::signal}});
  longer.last_cell = 1000;
  signal_protection_pass(longer);
  EXPECT_EQ(points(longer), (points_t{{8, 180}, {15, 180}, {21, 180}, {28, 180}}));
}

TEST(ProtectionPass, TinyAndEmptyCellArraysAreLeftAlone) {
  scenario_model none;
  none.last_cell = 50;
  signal_protection_pass(none);
  EXPECT_TRUE(none.cells.empty());
  EXPECT_EQ(none.error_code, 0);

  for (int n = 1; n <= 4; ++n) {
    SCOPED_TRACE(n);
    scenario_model model;
    model.cells.assign(size_t(n), track_cell{k::slowdown_start, 60});
    model.last_cell = n + 5;
    const std::vector<track_cell> before = model.cells;
    signal_protection_pass(model);
    EXPECT_EQ(model.cells, before);
  }
}

// Random small lines, including last_cell out of step with the array: the
// pass may only turn free cells into points of 180 and lower existing
// points, and touches nothing else. Under the sanitizers this also proves
// that no index leaves the array.
TEST(ProtectionPass, OnlyFillsFreeCellsOrLowersPointsOnAnyLine) {
  std::mt19937 rng(4);
  const uint8_t kinds[] = {k::empty,
                           k::empty,
                           k::empty,
                           k::signal,
                           k::slowdown_end,
                           k::slowdown_start,
                           k::slowdown_warning,
                           k::speed_indicator,
                           k::mountain_marker,
                           k::reduction_point};
  for (int round = 0; round < 3000; ++round) {
    const int n = int(rng() % 80);
    scenario_model model;
    model.cells.resize(size_t(n));
    model.last_cell = int32_t(rng() % 100) - 5;
    for (track_cell& c : model.cells) {
      c.kind = kinds[rng() % std::size(kinds)];
      c.value_1 = int16_t(int(rng() % 400) - 50);
      c.speed_code = uint8_t(rng());
    }
    const std::vector<track_cell> before = model.cells;
    signal_protection_pass(model);
    ASSERT_EQ(model.cells.size(), before.size());
    for (size_t i = 0; i < before.size(); ++i) {
      const track_cell& was = before[i];
      track_cell now = model.cells[i];
      if (now == was) continue;
      ASSERT_TRUE(int64_t(i) <= model.last_cell) << "round " << round << " cell " << i;
      ASSERT_EQ(now.kind, k::reduction_point) << "round " << round << " cell " << i;
      if (is_free(was)) {
        EXPECT_EQ(now.value_1, 180);
      } else {
        ASSERT_EQ(was.kind, k::reduction_point);
        EXPECT_EQ(now.value_1, minimo(180, was.value_1));
      }
      now.kind = was.kind;
      now.value_1 = was.value_1;
      EXPECT_EQ(now, was) << "round " << round << " cell " << i;
    }
  }
}

}  // namespace
}  // namespace sb
