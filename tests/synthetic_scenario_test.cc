// The largest scenario the benchmarks measure must build cleanly, or they
// would time a build that stops early.
#include "support/synthetic_scenario.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "builder/compile_step.h"
#include "builder/scenario_files.h"
#include "support/memory_file_system.h"

namespace sb {
namespace {

constexpr const char* kFolder = "/largest";

struct built {
  scenario_model m;
  test::memory_file_system fs;
  compile_result result;
};

built build(const synthetic_scenario& s) {
  built b;
  b.m.route_name = s.route_name;
  b.m.train_number = s.train_number;
  const scenario_identity id{s.route_name, s.train_number};
  b.fs.files[join_path(kFolder, line_file_name(id))] = s.line_text;
  b.fs.files[join_path(kFolder, train_file_name(id))] = s.train_text;
  b.result = memorizza_percorso(b.m, 1, b.fs, kFolder, write_policy::always);
  return b;
}

size_t cells_of_kind(const scenario_model& m, uint8_t kind) {
  return static_cast<size_t>(
      std::count_if(m.cells.begin(), m.cells.end(), [kind](const track_cell& c) { return c.kind == kind; }));
}

TEST(LargestScenario, BuildsWithoutErrorAtTheFormatsLimits) {
  const synthetic_scenario s = largest_scenario();
  const built b = build(s);
  ASSERT_TRUE(b.result.files_written) << b.result.io.message;
  EXPECT_FALSE(b.result.error) << describe(*b.result.error);
  EXPECT_EQ(b.m.scenario_table[table_row::train_and_route].range_end, 1000000);
  EXPECT_EQ(b.m.last_cell, 20140);

  // The 38 stations fill the rows from the first station's, the 40 boards
  // those up to the first board's, and the two rows between stay empty.
  const int stations_end = table_row::first_station + 38, boards_begin = table_row::first_board + 1 - 40;
  for (int r = table_row::first_station; r < boards_begin; ++r)
    EXPECT_EQ(b.m.scenario_table[r].text.empty(), r >= stations_end) << "row " << r;
  EXPECT_EQ(boards_begin - stations_end, 2);
  for (int r = boards_begin; r <= table_row::first_board; ++r)
    EXPECT_FALSE(b.m.scenario_table[r].text.empty()) << "row " << r;
  EXPECT_EQ(cells_of_kind(b.m, cell_kind::signal), 666u);
  EXPECT_EQ(cells_of_kind(b.m, cell_kind::indication_board), 40u);
  EXPECT_EQ(cells_of_kind(b.m, cell_kind::slowdown_start), 6u);

  // The plan's last computed point lies at metre total_metres - 2.
  const scenario_identity id{s.route_name, s.train_number};
  EXPECT_EQ(b.fs.files.at(join_path(kFolder, plan_file_name(id))).size(), 20u * 1007000u - 36u);
  EXPECT_EQ(b.fs.files.at(join_path(kFolder, cell_file_name(id))).size(), 15u * 20141u);
}

TEST(LargestScenario, OneMoreStationNoLongerFits) {
  synthetic_scenario s = largest_scenario();
  const std::string slowdowns = "[rallentamenti]";
  const size_t at = s.train_text.find(slowdowns);
  ASSERT_NE(at, std::string::npos);
  s.train_text.insert(at, "stazione,  990900, 12,  600,  0, 0, 0,  1,1,0,  4,1,1,    0,   0, 0, 0, ULTIMA\r\n");
  EXPECT_EQ(build(s).m.error_code, 10);
}

}  // namespace
}  // namespace sb
