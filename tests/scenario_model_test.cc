#include "builder/scenario_model.h"

#include <gtest/gtest.h>

namespace sb {
namespace {

// Packing and unpacking of a signal's values agree for every side code and
// digit the format gives them.
TEST(SignalValues, PackAndUnpackAgree) {
  for (int sx = 0; sx <= 2; ++sx)
    for (int dx = 0; dx <= 2; ++dx)
      for (const int digit : {0, 1, 4, 9}) {
        track_cell c;
        const packed_values p = pack_signal(sx, digit, 9 - digit, 3, 7, dx, 9 - digit, digit, 5);
        c.value_1 = p.value_1;
        c.value_2 = p.value_2;
        c.value_3 = p.value_3;
        c.value_4 = p.value_4;
        EXPECT_EQ(unpack_signal(c),
                  (signal_values{digit, 9 - digit, 9 - digit, digit, 3, 5, 7, int64_t{sx} * 3 + dx}));
      }
  // Arguments beyond 16 bits keep their low bits: 4000 × 10 + 1.
  const packed_values wide = pack_signal(2, 4000, 0, 0, 7000, 2, 1, 0, 0);
  EXPECT_EQ(wide.value_1, static_cast<int16_t>(40001 & 0xFFFF));
  EXPECT_EQ(wide.value_4, static_cast<int16_t>(70008 & 0xFFFF));
}

TEST(IndicatorValues, PackAndUnpackAgree) {
  for (const int left : {0, 5, 140, 155, 200})
    for (const int right : {0, 5, 60, 160}) {
      int16_t packed = 0;
      ASSERT_TRUE(pack_indicator_speed(left, right, packed));
      track_cell c;
      c.value_1 = packed;
      c.value_4 = 21;
      const indicator_values v = unpack_indicator(c);
      EXPECT_EQ(v.vas, left);
      EXPECT_EQ(v.vad, right);
      EXPECT_EQ(v.strisces, 2);
      EXPECT_EQ(v.strisced, 1);
    }
  int16_t packed = 0;
  EXPECT_TRUE(pack_indicator_speed(140, 140, packed));
  EXPECT_EQ(packed, 2828);
  EXPECT_TRUE(pack_indicator_speed(0, 2, packed));  // 0.4 rounds to 0
  EXPECT_EQ(packed, 0);
  EXPECT_FALSE(pack_indicator_speed(2000, 0, packed));
}

TEST(CellMeaning, SpeedGradientAndChainage) {
  EXPECT_EQ(speed_kmh(15), 75);
  EXPECT_EQ(gradient_per_mille(104), 4);
  EXPECT_EQ(gradient_per_mille(95), -5);
  EXPECT_EQ(chainage_of_cell(6499), 324950);
}

// Stations grow from row 1, boards down from 80: a station row holds some
// number, a board row its text alone.
TEST(TableRows, StationsAndBoardsMeetBetweenThem) {
  scenario_table_t t{};
  EXPECT_EQ(station_rows_end(t), table_row::first_station);
  EXPECT_EQ(board_rows_begin(t), table_row::first_board + 1);
  t[table_row::first_station].kind = 2;
  t[table_row::first_station].text = "A";
  t[table_row::first_station + 1].range_end = 500;  // a station of type 0 without a name
  t[table_row::first_board].text = "Km 1";
  t[table_row::first_board - 1].text = "Km 2";
  EXPECT_EQ(station_rows_end(t), table_row::first_station + 2);
  EXPECT_EQ(board_rows_begin(t), table_row::first_board - 1);
  EXPECT_TRUE(is_station_row(t, table_row::first_station + 1));
  EXPECT_FALSE(is_station_row(t, table_row::first_station + 2));
  EXPECT_FALSE(is_station_row(t, 79));
  // 80 boards, no station.
  scenario_table_t boards{};
  for (int r = 1; r <= 80; ++r) boards[r].text = "B";
  EXPECT_EQ(station_rows_end(boards), 1);
  EXPECT_EQ(board_rows_begin(boards), 1);
}

}  // namespace
}  // namespace sb
