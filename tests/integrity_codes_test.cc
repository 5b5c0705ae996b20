#include "builder/integrity_codes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "builder/error_report.h"

namespace sb {
namespace {

scenario_model identity(const std::string& train, const std::string& route) {
  scenario_model model;
  model.scenario_table[table_row::repetition_and_clock].text = train;
  model.scenario_table[table_row::scenery_and_identity].text = route;
  return model;
}

struct code_case {
  std::string train;
  std::string route;
  int32_t og;
  int32_t st;
};

TEST(IntegrityCodes, SumsOverTheFirst25CharactersOfTheKey) {
  const std::vector<code_case> cases = {
      {"418", "Ortesa-Vildoro", 2411, 32678},
      {"418", "ORTESA-VILDORO", 2411, 32678},  // case does not matter
      {"", "", 2583, 34355},                   // the fill alone: st above 16 bits
      {"\xC8", "", 2672, 34252},               // a byte above 127 counts as 200, unchanged
  };
  for (const code_case& c : cases) {
    SCOPED_TRACE(c.train + "/" + c.route);
    scenario_model model = identity(c.train, c.route);
    EXPECT_EQ(codice_gara_og(model), c.og);
    EXPECT_EQ(codice_gara_st(model), c.st);
  }
}

TEST(IntegrityCodes, OnlyTheWindowCountsAndTheKeyIsLeftInCurrentField) {
  // Train number first: swapping the two texts changes the codes.
  scenario_model swapped = identity("Ortesa-Vildoro", "418");
  EXPECT_NE(codice_gara_st(swapped), 32678);

  scenario_model a = identity("1234567890", "abcdefghijklmnopqrstuvwxyz");
  scenario_model b = identity("1234567890", "ABCDEFGHIJKLMNOzzzz");
  scenario_model c = identity("1234567890", "abcdefghijklmnp");  // differs at the 25th
  EXPECT_EQ(codice_gara_og(a), codice_gara_og(b));
  EXPECT_EQ(codice_gara_st(a), codice_gara_st(b));
  EXPECT_NE(codice_gara_og(a), codice_gara_og(c));
  EXPECT_NE(codice_gara_st(a), codice_gara_st(c));

  scenario_model shipped = identity("418", "Ortesa-Vildoro");
  codice_gara_og(shipped);
  EXPECT_EQ(shipped.current_field, "418ortesa-vildoroaabbccddeeffgghhiillmmnnoo");
  // The identity itself stays as it was.
  EXPECT_EQ(shipped.scenario_table[table_row::scenery_and_identity].text, "Ortesa-Vildoro");
}

scenario_model stampable() {
  scenario_model model = identity("418", "Ortesa-Vildoro");
  model.cells.assign(10, track_cell{});
  model.last_cell = 9;
  return model;
}

TEST(Stamping, WritesMarkersAndCodesIntoTheirFields) {
  scenario_model model = stampable();
  model.cells[1].kind = cell_kind::mountain_marker;
  model.cells[1].speed_code = 15;
  EXPECT_EQ(stamp_integrity(model), error::none);
  const table_entry& row = model.scenario_table[table_row::scenery_and_identity];
  EXPECT_EQ(row.value_a, 610);
  EXPECT_EQ(row.time_of_day, 32678);
  const track_cell& cell = model.cells[1];
  EXPECT_EQ(cell.value_1, 5121);
  EXPECT_EQ(cell.value_2, 2411);
  // The rest of cell 1 is not the stamp's.
  EXPECT_EQ(cell.kind, cell_kind::mountain_marker);
  EXPECT_EQ(cell.speed_code, 15);
  EXPECT_EQ(cell.value_3, 0);
}

TEST(Stamping, AMarkerFieldInUseStopsBeforeAnyChange) {
  scenario_model in_cell = stampable();
  in_cell.cells[1] = track_cell{cell_kind::signal, 30, 40};
  scenario_model in_row = stampable();
  in_row.scenario_table[table_row::scenery_and_identity].value_a = 1;
  for (scenario_model* model : {&in_cell, &in_row}) {
    const scenario_model before = *model;
    EXPECT_EQ(stamp_integrity(*model), error::marker_in_use);
    EXPECT_EQ(model->cells, before.cells);
    EXPECT_EQ(model->scenario_table, before.scenario_table);
  }
}

TEST(Stamping, ACodeFieldInUseStopsAfterTheMarkers) {
  scenario_model in_cell = stampable();
  in_cell.cells[1] = track_cell{cell_kind::indication_board, 0, 80};
  scenario_model in_row = stampable();
  in_row.scenario_table[table_row::scenery_and_identity].time_of_day = 5;
  for (scenario_model* model : {&in_cell, &in_row}) {
    const int16_t value_2 = model->cells[1].value_2;
    const int32_t time_of_day = model->scenario_table[table_row::scenery_and_identity].time_of_day;
    EXPECT_EQ(stamp_integrity(*model), error::code_field_in_use);
    EXPECT_EQ(model->scenario_table[table_row::scenery_and_identity].value_a, 610);
    EXPECT_EQ(model->cells[1].value_1, 5121);
    EXPECT_EQ(model->cells[1].value_2, value_2);
    EXPECT_EQ(model->scenario_table[table_row::scenery_and_identity].time_of_day, time_of_day);
  }
}

TEST(Stamping, WithoutACell1NothingIsStamped) {
  scenario_model model = identity("418", "Ortesa-Vildoro");
  model.cells.assign(1, track_cell{});
  EXPECT_EQ(stamp_integrity(model), error::none);
  EXPECT_EQ(model.scenario_table[table_row::scenery_and_identity].value_a, 0);
  EXPECT_EQ(model.cells[0], track_cell{});
}

}  // namespace
}  // namespace sb
