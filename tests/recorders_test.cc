#include "builder/recorders.h"

#include <gtest/gtest.h>

#include <tuple>

namespace sb {
namespace {

scenario_model line_of(int last_cell) {
  scenario_model m;
  m.last_cell = last_cell;
  m.cells.assign(static_cast<size_t>(last_cell) + 1, track_cell{});
  return m;
}

TEST(MemoSegnale, TimeAndApproachCodes) {
  // (sx, tempo) -> signal_time
  for (const auto& [sx, tempo, expected] :
       {std::tuple{2, 50, 101}, {2, 0, 0}, {2, 100, 101}, {2, 101, 101}, {2, 135, 135}, {1, 50, 0}, {2, -3, 253}}) {
    scenario_model m = line_of(100);
    memo_segnale(m, 2000, sx, 4, 1, 0, 0, 2, 3, 1, 0, tempo);
    EXPECT_EQ(m.cells[41].signal_time, expected) << sx << " " << tempo;
  }
  // Two signals 100 m apart: the second's codes overwrite the first's.
  scenario_model m = line_of(100);
  EXPECT_EQ(memo_segnale(m, 2000, 2, 4, 0, 0, 0, 2, 1, 0, 0, 0), error::none);
  EXPECT_EQ(memo_segnale(m, 2100, 0, 4, 0, 0, 0, 0, 1, 0, 0, 0), error::none);
  EXPECT_EQ(memo_segnale(m, 2100, 0, 4, 0, 0, 0, 0, 1, 0, 0, 0), error::signal_cell_taken);
  EXPECT_EQ(m.cells[41].approach_code, 1);  // 43 - 2: on the first signal's own cell
  EXPECT_EQ(m.cells[39].approach_code, 2);  // was the first signal's 81
  EXPECT_EQ(m.cells[33].approach_code, 84);  // only the first signal reaches here
  // Packed values keep the low 16 bits.
  scenario_model w = line_of(100);
  memo_segnale(w, 2000, 2, 4000, 0, 0, 7000, 2, 1, 0, 0, 0);
  EXPECT_EQ(w.cells[41].value_1, static_cast<int16_t>(40001 & 0xFFFF));
  EXPECT_EQ(w.cells[41].value_4, static_cast<int16_t>(70008 & 0xFFFF));
}

TEST(MemoRallentamento, WarningAndApproachOnlyBeyond1500) {
  scenario_model at = line_of(200);
  EXPECT_EQ(memo_rallentamento(at, 1500, 60, 200, 0, 1, 0), error::none);
  for (const track_cell& c : at.cells) EXPECT_NE(c.kind, cell_kind::slowdown_warning);
  for (const track_cell& c : at.cells) EXPECT_NE(c.kind, cell_kind::slowdown_approach);

  scenario_model after = line_of(200);
  memo_rallentamento(after, 1550, 60, 200, 0, 1, 0);
  EXPECT_EQ(after.cells[8].kind, cell_kind::slowdown_warning);  // round(400 / 50 + 1)
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(after.cells[7 - i].kind, cell_kind::slowdown_approach);  // round(350 / 50) = 7
    EXPECT_EQ(after.cells[7 - i].value_1, i + 1);
    EXPECT_EQ(after.cells[7 - i].value_2, 0);  // no d_v
  }
}

TEST(MemoMontagna, KindAndMarkers) {
  scenario_model m = line_of(400);
  memo_montagna(m, 1000, 2000, 12);
  EXPECT_EQ(m.cells[20].mountain_kind, 2);
  EXPECT_EQ(m.cells[39].mountain_kind, 2);
  EXPECT_EQ(m.cells[40].mountain_kind, 0);
  EXPECT_EQ(m.cells[23].kind, cell_kind::mountain_marker);
  // 150 m after the previous end: kind 3; 200 m after: its own kind.
  memo_montagna(m, 2150, 3000, 5);
  EXPECT_EQ(m.cells[43].mountain_kind, 3);
  memo_montagna(m, 3200, 4000, 5);
  EXPECT_EQ(m.cells[64].mountain_kind, 5);
  // Marked but shorter than 200 m: no marker.
  scenario_model s = line_of(400);
  memo_montagna(s, 1000, 1150, 11);
  for (const track_cell& c : s.cells) EXPECT_EQ(c.kind, 0);
  // A zone running past the end is clipped, markers keep their places.
  scenario_model e = line_of(100);
  memo_montagna(e, 4000, 900000, 11);
  EXPECT_EQ(e.cells[100].mountain_kind, 1);
  EXPECT_EQ(e.cells[83].kind, cell_kind::mountain_marker);
  EXPECT_EQ(e.cells[99].kind, cell_kind::mountain_marker);
}

TEST(MemoIndicatori, PacksSpeedsAndRefusesTakenCells) {
  scenario_model m = line_of(100);
  memo_indicatori_v_max(m, 1000, 140, 155, 160, 2, 140, 155, 160, 1);
  const track_cell& c = m.cells[21];
  EXPECT_EQ(c.value_1, 2828);
  EXPECT_EQ(c.value_2, 3131);
  EXPECT_EQ(c.value_3, 3232);
  EXPECT_EQ(c.value_4, 21);
  EXPECT_EQ(memo_indicatori_v_max(m, 1000, 1, 1, 1, 0, 1, 1, 1, 0), error::indicator_cell_taken);
  scenario_model big = line_of(100);
  // 8000 fits; 40000 does not
  EXPECT_EQ(memo_indicatori_v_max(big, 1000, 400, 0, 0, 0, 0, 0, 0, 0), error::none);
  EXPECT_EQ(memo_indicatori_v_max(big, 2000, 2000, 0, 0, 0, 0, 0, 0, 0), error::unreadable_text);
  EXPECT_EQ(big.cells[41].kind, 0);
}

struct progression {
  int32_t start, value, flag;
};

TEST(ProgressiveOrdina, Cases) {
  // rows 81, 82, 83 as read ("tre", "due", "uno") -> rows 81, 82, 83 after
  const struct {
    progression in[3];
    progression out[3];
  } cases[] = {
      {{{0, 0, 0}, {0, 0, 0}, {0, 0, 0}}, {{0, 0, 0}, {0, 0, 0}, {0, 0, 0}}},
      {{{1000, 50, 0}, {5000, 100, 0}, {3000, 150, 1}}, {{5000, 100, 0}, {3000, 250, 1}, {1000, 50, 0}}},
      {{{5000, 0, 0}, {5000, 0, 0}, {1000, 0, 0}}, {{0, 0, 0}, {0, 0, 0}, {0, 0, 0}}},
      // equal lower starts: "uno" takes row 82 before "due"
      {{{9000, 1, 0}, {1000, 2, 0}, {1000, 3, 0}}, {{9000, 1, 0}, {1000, 3, 0}, {1000, 2, 0}}},
      // all starts 0: chosen by value, later tests override earlier ones
      {{{0, 50, 0}, {0, 0, 0}, {0, 0, 0}}, {{0, 50, 0}, {0, 0, 0}, {0, 0, 0}}},
      {{{0, 0, 0}, {0, 50, 0}, {0, 0, 0}}, {{0, 50, 0}, {0, 0, 0}, {0, 0, 0}}},
      {{{0, 50, 0}, {0, 100, 1}, {0, 150, 0}}, {{0, 150, 0}, {0, 200, 1}, {0, 50, 0}}},
  };
  for (const auto& c : cases) {
    scenario_model m;
    for (int i = 0; i < 3; ++i) {
      auto& r = m.scenario_table[static_cast<size_t>(table_row::progression_largest + i)];
      r.range_start = c.in[i].start;
      r.range_end = c.in[i].value;
      r.position = c.in[i].flag;
    }
    ASSERT_TRUE(progressive_ordina(m));
    for (int i = 0; i < 3; ++i) {
      const int row = table_row::progression_largest + i;
      const auto& r = m.scenario_table[static_cast<size_t>(row)];
      EXPECT_EQ(r.range_start, c.out[i].start) << "row " << row << " of case " << (&c - cases);
      EXPECT_EQ(r.range_end, c.out[i].value) << "row " << row << " of case " << (&c - cases);
      EXPECT_EQ(r.position, c.out[i].flag) << "row " << row << " of case " << (&c - cases);
    }
  }
}

}  // namespace
}  // namespace sb
