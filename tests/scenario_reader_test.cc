#include "builder/scenario_reader.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "builder/error_codes.h"
#include "support/reader_fixture.h"

namespace sb {
namespace {

using test::crlf;
using test::line_text;
using test::read_scenario;
using test::train_text;

const std::string kTrainPlain = train_text({"velocita,  0,   100", "aderenza,   0,    100"});

TEST(Reader, FillsTheLineAndDeletesBothTexts) {
  const auto o = test::read_scenario_files(line_text({"pendenza, 1000,  -5", "pendenza, 2000,  4"}), kTrainPlain);
  EXPECT_EQ(o.m.error_code, 0);
  EXPECT_FALSE(o.result.error);
  EXPECT_EQ(o.m.total_metres, 17000);
  EXPECT_EQ(o.m.last_cell, 340);
  ASSERT_EQ(o.m.cells.size(), 341u);
  EXPECT_TRUE(o.fs.files.empty());
  EXPECT_EQ(o.m.scenario_table[table_row::train_and_route].range_end, 10000);
  EXPECT_EQ(o.m.scenario_table[table_row::scenery_and_identity].text, "Prova");
  EXPECT_EQ(o.m.scenario_table[table_row::repetition_and_clock].text, "7");
  // Gradient: 0 before 1000 m, -5 from cell 20, +4 from cell 40; the end
  // fill stops three cells short of the last.
  EXPECT_EQ(o.m.cells[19].gradient_code, 100);
  EXPECT_EQ(o.m.cells[20].gradient_code, 95);
  EXPECT_EQ(o.m.cells[40].gradient_code, 104);
  EXPECT_EQ(o.m.cells[337].gradient_code, 104);
  EXPECT_EQ(o.m.cells[338].gradient_code, 0);
  EXPECT_EQ(o.m.cells[0].speed_code, 20);
  EXPECT_EQ(o.m.cells[337].speed_code, 20);
  EXPECT_EQ(o.m.cells[338].speed_code, 0);
  EXPECT_EQ(o.m.cells[337].adhesion, 100);
}

TEST(Reader, ShippedRowsLandInTheirCells) {
  const auto o = read_scenario(
      line_text({"montagna,   204400,  209250,  11", "cartello_indicatore,  208550,   (Km 208+500)",
                 "indicatori_vmax, 204350,  140,  155,  160,  0,  140,  155,  160,  0"},
                "358000"),
      train_text({"velocita,  201900,    75", "aderenza,   0,    100",
                  "stazione,  203900,  2,  800,  0, 0, 0,  1,1,0,  4,1,1,    1,  21,56,50, ORTESA",
                  "rallentamento,  324900,    60,  200, 0,  0,  60",
                  "segnale,  211300,   2, 4, 0,  0, 0,    2,  1,0,0, 0"}));
  ASSERT_EQ(o.m.error_code, 0);
  EXPECT_EQ(o.m.last_cell, 7300);
  EXPECT_EQ(o.m.track_plan.size(), 365001);

  // Mountain zone of kind 1, marked every fourth cell.
  EXPECT_EQ(o.m.cells[4087].mountain_kind, 0);
  EXPECT_EQ(o.m.cells[4088].mountain_kind, 1);
  EXPECT_EQ(o.m.cells[4184].mountain_kind, 1);
  EXPECT_EQ(o.m.cells[4185].mountain_kind, 0);
  EXPECT_EQ(o.m.cells[4091].kind, cell_kind::mountain_marker);
  EXPECT_EQ(o.m.cells[4183].kind, cell_kind::mountain_marker);
  EXPECT_EQ(o.m.cells[4092].kind, 0);
  // The board lands on a marker cell, which counts as free.
  EXPECT_EQ(o.m.cells[4172].kind, cell_kind::indication_board);
  EXPECT_EQ(o.m.cells[4172].value_1, 80);
  EXPECT_EQ(o.m.scenario_table[table_row::first_board].text, "(Km 208+500)");
  // Indicator board: 140 and 140 pack to 2828.
  EXPECT_EQ(o.m.cells[4088].kind, cell_kind::speed_indicator);
  EXPECT_EQ(o.m.cells[4088].value_1, 2828);
  EXPECT_EQ(o.m.cells[4088].value_2, 3131);

  // First station: 203500 to 204300, end marker in 4085, approach 4084..4081.
  const table_entry& s = o.m.scenario_table[table_row::first_station];
  EXPECT_EQ(s.range_start, 203500);
  EXPECT_EQ(s.range_end, 204300);
  EXPECT_EQ(s.time_of_day, 21 * 3600 + 56 * 60 + 50);
  EXPECT_EQ(s.text, "ORTESA");
  EXPECT_EQ(s.stop_value, 1);
  EXPECT_EQ(o.m.cells[4085].kind, cell_kind::station_end);
  EXPECT_EQ(o.m.cells[4085].value_1, 1);
  for (int k = 1; k <= 4; ++k) EXPECT_EQ(o.m.cells[4085 - k].approach_code, 80 + k);

  // Slowdown: warning 6475, start 6499, end 6503.
  for (int c : {6475, 6499, 6503}) {
    EXPECT_EQ(o.m.cells[c].value_1, 60) << c;
    EXPECT_EQ(o.m.cells[c].value_2, 60) << c;
  }
  EXPECT_EQ(o.m.cells[6475].kind, cell_kind::slowdown_warning);
  EXPECT_EQ(o.m.cells[6499].kind, cell_kind::slowdown_start);
  EXPECT_EQ(o.m.cells[6503].kind, cell_kind::slowdown_end);

  // Signal 2/4/0/0/0/2/1/0/0: sides 8, approach codes 81..84 every second cell.
  const track_cell& sig = o.m.cells[4227];
  EXPECT_EQ(sig.kind, cell_kind::signal);
  EXPECT_EQ(sig.value_1, 41);
  EXPECT_EQ(sig.value_4, 8);
  for (int n = 1; n <= 4; ++n) EXPECT_EQ(o.m.cells[4227 - 2 * n].approach_code, 80 + n);

  // Speed before the first speed row is 0; from cell 4038 on, 75 / 5.
  EXPECT_EQ(o.m.cells[4037].speed_code, 0);
  EXPECT_EQ(o.m.cells[4038].speed_code, 15);
}

TEST(Reader, StraightPlanRunsAlongY) {
  const auto o = read_scenario(line_text({}), kTrainPlain);
  const track_plan_t& p = o.m.track_plan;
  ASSERT_EQ(p.size(), 17001);
  EXPECT_EQ(p.x[0].kind, plan_number::tag::int16);
  EXPECT_EQ(p.y[1], plan_number::of_int16(1));
  for (int i : {2, 500, 16998}) {
    EXPECT_EQ(p.x[i], plan_number::of_real(0.0)) << i;
    EXPECT_EQ(p.y[i], plan_number::of_real(i)) << i;
  }
  EXPECT_EQ(p.x[16999].kind, plan_number::tag::empty);
  EXPECT_EQ(p.y[17000].kind, plan_number::tag::empty);
}

TEST(Reader, CurvesTurnTheStepVector) {
  const auto heading = [](const track_plan_t& p, size_t i) {
    return std::atan2(p.x.value(i) - p.x.value(i - 1), p.y.value(i) - p.y.value(i - 1));
  };
  const auto right = read_scenario(line_text({"curvad4,  1000,  100"}), kTrainPlain);
  EXPECT_NEAR(heading(right.m.track_plan, 1000), 0.0, 1e-12);
  EXPECT_NEAR(heading(right.m.track_plan, 1100), 0.1, 1e-3);
  EXPECT_NEAR(heading(right.m.track_plan, 1101), 0.1, 1e-3);  // straight again after it
  const auto left = read_scenario(line_text({"CurvaS4,  1000,  100"}), kTrainPlain);
  EXPECT_NEAR(heading(left.m.track_plan, 1100), -0.1, 1e-3);
  // Digits 1 and 6 both present: sharpness 1.
  const auto mild = read_scenario(line_text({"curvad61,  1000,  100"}), kTrainPlain);
  EXPECT_NEAR(heading(mild.m.track_plan, 1100), 0.01, 1e-4);
  // Without the flag the row's numbers are stray fields: a straight plan.
  const auto flat = read_scenario(line_text({"curvad4,  1000,  100"}), kTrainPlain, 0);
  EXPECT_FALSE(flat.m.track_plan.exists());
  EXPECT_EQ(flat.m.error_code, 0);
}

TEST(Reader, CurveStepIsEvaluatedInTheWrittenOrder) {
  // One curve step from the seeds, by hand: dx = 0, dy = 1.
  const auto o = read_scenario(line_text({"curvad5,  1,  1"}), kTrainPlain);
  const double k = 0.002;
  EXPECT_EQ(o.m.track_plan.x.value(2), (0.0 + 0.0) + k * 1.0);
  EXPECT_EQ(o.m.track_plan.y.value(2), (1.0 + 1.0) - k * 0.0);
}

TEST(Reader, FieldsReadAlikeWhateverTheirSeparators) {
  for (const char* clock : {"orologio,    21              56            30 ", "orologio,21,56,30",
                            "orologio , 21 , 56 , 30", "orologio,\t21\t56,30"}) {
    const auto o = read_scenario(line_text({}), train_text({clock}));
    const table_entry& r = o.m.scenario_table[table_row::repetition_and_clock];
    EXPECT_EQ(r.value_c, 21) << clock;
    EXPECT_EQ(r.value_d, 56) << clock;
    EXPECT_EQ(r.value_e, 30) << clock;
  }
}

TEST(Reader, KeywordCaseAndCommentRules) {
  const auto o = read_scenario(
      crlf({"stray", "[Generale]", "LUNGHEZZA PERCORSO, 10000",
            "Progressiva chilometrica uno, 1000, 1000, 0",  // capital P: ignored
            "progressiva chilometrica due, 2000, 2000, 1", "- a comment -", "-- another --",
            "sfondo uno, 7", "[curve]",
            // Two comment fields in the body are passed over, a third is not.
            "-x-", "-y-", "-z-", "pendenza, 1000, 3", "[fine]"}),
      kTrainPlain);
  ASSERT_EQ(o.m.error_code, 0);
  EXPECT_EQ(o.m.scenario_table[table_row::scenery_and_identity].range_start, 7);
  // Only "due" was read: it is the largest start and goes to row 81 with
  // its value raised by 100.
  EXPECT_EQ(o.m.scenario_table[table_row::progression_largest].range_start, 2000);
  EXPECT_EQ(o.m.scenario_table[table_row::progression_largest].range_end, 2100);
  EXPECT_EQ(o.m.cells[20].gradient_code, 103);
}

TEST(Reader, TheLastFieldOfAFileIsNeverInterpreted) {
  // A keyword standing last is not read as a row.
  for (const char* tail : {"[curve]\r\npendenza", "[curve]\r\npendenza\r\n", "[curve]\r\ncartello_indicatore"}) {
    const auto o = read_scenario("[generale]\r\nlunghezza percorso, 10000\r\n" + std::string(tail), kTrainPlain);
    EXPECT_EQ(o.m.error_code, 0) << tail;
  }
  // A row whose last number is the file's last field is complete.
  const auto o = read_scenario(line_text({}) + "pendenza, 1000, 3", kTrainPlain);
  EXPECT_EQ(o.m.error_code, 0);
  EXPECT_EQ(o.m.cells[30].gradient_code, 103);
}

const std::string kT = train_text({"velocita,  0,   100"});

// Which texts the reader's frame deletes: both after a read, the line
// text alone after its own fault, both after an unreadable text, none when
// the line text is missing.
TEST(Reader, DeletesTheTextsItRead) {
  const auto missing = test::read_scenario_files(std::nullopt, kT);
  EXPECT_EQ(missing.m.error_code, 101);
  EXPECT_TRUE(missing.fs.files.count(test::kTrainFile));  // nothing deleted
  // "[generale]" as the very last field counts as missing.
  const auto last = test::read_scenario_files("x,[generale]", kT);
  EXPECT_EQ(last.m.error_code, 102);
  EXPECT_FALSE(last.fs.files.count(test::kLineFile));
  EXPECT_TRUE(last.fs.files.count(test::kTrainFile));
  EXPECT_FALSE(last.m.has_cells());
  const auto unreadable = test::read_scenario_files(line_text({"pendenza, 1000, x"}), kT);
  EXPECT_EQ(unreadable.m.error_code, 25);
  EXPECT_TRUE(unreadable.fs.files.empty());
  const auto no_train = test::read_scenario_files(line_text({}), std::nullopt);
  ASSERT_TRUE(no_train.result.error);
  EXPECT_EQ(*no_train.result.error,
            (build_error{error::unreadable_text, std::nullopt, "Prova_7-.txt", 0, "the train file does not exist"}));
  EXPECT_TRUE(no_train.fs.files.empty());
}

TEST(Reader, ErrorFifteenEndsOnlyTheLineFile) {
  // The train file is still read: its speeds reach the cells; its first
  // signal then ends the reader as a failure of that row.
  const auto o = test::read_scenario_files(line_text({"pendenza, 16950, 1", "pendenza, 100, 1"}),
                                           train_text({"velocita, 0, 100", "segnale, 2000, 2,4,0,0,0,2,1,0,0,0",
                                                       "velocita, 3000, 50"}));
  EXPECT_EQ(o.m.error_code, 15);
  EXPECT_EQ(o.m.error_position, 2000);
  EXPECT_EQ(o.m.cells[2].gradient_code, 100);  // the later gradient row was not read
  EXPECT_EQ(o.m.cells[41].kind, cell_kind::signal);
  EXPECT_EQ(o.m.cells[100].speed_code, 0);  // no end fill after the failure
  EXPECT_TRUE(o.fs.files.empty());
}

TEST(Reader, StationsAgainstTheBoardRows) {
  // With no board the 79th station gives error 10; with five, the 74th.
  for (const int boards : {0, 5}) {
    std::vector<std::string> body;
    for (int b = 0; b < boards; ++b) body.push_back("cartello_indicatore, " + std::to_string(1000 + 100 * b) + ", B");
    std::vector<std::string> stations;
    for (int s = 0; s < 80; ++s)
      stations.push_back("stazione, " + std::to_string(1000 + 1000 * s) + ", 28, 200, 0,0,0, 0,0,0, 0,0,0, 0, 0,0,0, S");
    const std::vector<std::string_view> bv(body.begin(), body.end()), sv(stations.begin(), stations.end());
    const auto o = read_scenario(line_text(bv, "100000"), train_text(sv));
    ASSERT_TRUE(o.error);
    EXPECT_EQ(o.error->code, error::too_many_stations);
    EXPECT_EQ(o.error->line, 2 + (79 - boards) - 1) << boards;
  }
}

TEST(Reader, StationExtents) {
  const auto o = read_scenario(
      line_text({}, "400000"),
      train_text({"stazione, 300000, 5, 200, 0,1,1, 0,0,0, 0,0,0, 0, 0,0,0, A",
                  "stazione, 310000, 2, 600, 0,1,1, 0,0,0, 0,0,0, 0, 0,0,0, B",
                  "stazione, 320000, 7, 300, 0,0,0, 0,0,0, 0,0,0, 0, 0,0,0, C",
                  "stazione, 330000, 28, 200, 0,0,0, 0,0,0, 0,0,0, 0, 0,0,0, D",
                  "stazione, 330600, 2, 200, 0,0,0, 0,0,0, 0,0,0, 0, 0,0,0, E"}));
  ASSERT_FALSE(o.error) << describe(*o.error);
  const auto& t = o.m.scenario_table;
  EXPECT_EQ(t[table_row::first_station].range_start, 299800);
  EXPECT_EQ(t[table_row::first_station].range_end, 300150);
  EXPECT_EQ(t[table_row::first_station].flag_b, 0);  // first station
  EXPECT_EQ(t[table_row::first_station + 1].range_start, 309700);
  EXPECT_EQ(t[table_row::first_station + 1].range_end, 310350);  // flag_c moves the end 50 m further
  EXPECT_EQ(t[table_row::first_station + 1].flag_b, 1);          // 600 m or more keeps it
  EXPECT_EQ(t[3].range_start, 319700);
  EXPECT_EQ(t[3].range_end, 320300);
  // Type 28: no end marker, no approach codes; 350 m apart is accepted.
  EXPECT_EQ(t[5].range_start, 330500);
  EXPECT_EQ(o.m.cells[6601].kind, 0);
  EXPECT_EQ(o.m.cells[6600].approach_code, 0);
  // Type 5: an end marker, no approach codes.
  EXPECT_EQ(o.m.cells[6002].kind, cell_kind::station_end);
  EXPECT_EQ(o.m.cells[6001].approach_code, 0);
}

// Corner cases where the reader's behaviour was decided on purpose: each
// small scenario shows one of them.
TEST(Reader, DecidedCornerCases) {
  const auto boards = [](int count, int first_at) {
    std::vector<std::string> rows;
    for (int b = 0; b < count; ++b)
      rows.push_back("cartello_indicatore, " + std::to_string(first_at + 100 * b) + ", B" + std::to_string(b));
    return rows;
  };
  const auto with = [](std::vector<std::string> rows, const std::vector<std::string>& more) {
    rows.insert(rows.end(), more.begin(), more.end());
    return rows;
  };
  const auto text_of = [](const std::vector<std::string>& rows, const char* length) {
    return line_text(std::vector<std::string_view>(rows.begin(), rows.end()), length);
  };
  const std::string station_ok = "stazione, 60000, 2, 200, 0,0,0, 0,0,0, 0,0,0, 0, 0,0,0, S";
  const std::string empty_train = train_text({});

  struct corner {
    const char* name;
    std::string line;
    std::string train;
    int32_t code;
    std::function<void(const scenario_model&)> check;
  };
  const std::vector<corner> cases = {
      // Three speed rows at the last chainage the bound test allows push the
      // fill index to the last cell; the end fill still writes that cell.
      {"end_fill_writes_the_last_cell", line_text({}),
       train_text({"velocita, 16900, 100", "velocita, 16900, 100", "velocita, 16900, 80"}), 0,
       [](const scenario_model& m) {
         EXPECT_EQ(m.cells[339].speed_code, 20);
         EXPECT_EQ(m.cells[340].speed_code, 16);
       }},
      {"end_fill_fifth_too_big", line_text({}),
       train_text({"velocita, 16900, 100", "velocita, 16900, 100", "velocita, 16900, 1280"}), 25, {}},
      // The reduction value keeps its low 16 bits.
      {"reduction_value_narrowed", line_text({}), train_text({"abbattimento, 1000, 40000"}), 0,
       [](const scenario_model& m) {
         EXPECT_EQ(m.cells[20].kind, cell_kind::reduction_point);
         EXPECT_EQ(m.cells[20].value_1, -25536);
       }},
      // With 80 boards no row is left for a station: its own faults come
      // first, and a sound one is refused with 10 without touching a board.
      {"station_fault_before_no_row", text_of(boards(80, 1000), "100000"),
       train_text({"stazione, 60000, 2, 250, 0,0,0, 0,0,0, 0,0,0, 0, 0,0,0, S"}), 9, {}},
      {"station_without_a_row", text_of(boards(80, 1000), "100000"), train_text({station_ok}), 10,
       [](const scenario_model& m) {
         EXPECT_EQ(m.scenario_table[table_row::first_station].text, "B79");
         EXPECT_EQ(m.scenario_table[table_row::first_station].position, 0);
       }},
      {"station_in_the_last_free_row", text_of(boards(79, 1000), "100000"), train_text({station_ok}), 10,
       [](const scenario_model& m) { EXPECT_EQ(m.scenario_table[table_row::first_station].text, "S"); }},
      // The 81st board: a taken cell first, then no row.
      {"board_81_cell_taken", text_of(with(boards(80, 1000), {"cartello_indicatore, 1000, X"}), "100000"),
       empty_train, 6, {}},
      {"board_81_no_row", text_of(with(boards(80, 1000), {"cartello_indicatore, 90000, X"}), "100000"),
       empty_train, 10, {}},
      // Negative lengths keep cells down to -6950.
      {"shortest_line", line_text({}, "-6950"), empty_train, 0,
       [](const scenario_model& m) {
         EXPECT_EQ(m.last_cell, 1);
         EXPECT_EQ(m.cells.size(), 2u);
         EXPECT_EQ(m.track_plan.size(), 51);
       }},
      {"negative_length", line_text({}, "-1"), kT, 0,
       [](const scenario_model& m) { EXPECT_EQ(m.last_cell, 140); }},
      {"no_cell_1", line_text({}, "-6951"), empty_train, 1, {}},
      // Arithmetic that passes 32 bits is an unreadable text.
      {"progression_raised_past_32_bits",
       crlf({"[generale]", "lunghezza percorso, 10000", "progressiva chilometrica uno, 0, 2147483600, 1", "[fine]"}),
       kT, 25, {}},
      {"station_time_past_32_bits", line_text({}),
       train_text({"stazione, 1000, 2, 200, 0,0,0, 0,0,0, 0,0,0, 0, 1000000,0,0, A"}), 25, {}},
      // An empty train file is passed over like one without "[generale]".
      {"empty_train_file", line_text({}), "", 0,
       [](const scenario_model& m) {
         for (const track_cell& c : m.cells) EXPECT_EQ(c.speed_code, 0);
       }},
  };
  for (const corner& c : cases) {
    SCOPED_TRACE(c.name);
    const auto o = read_scenario(c.line, c.train);
    EXPECT_EQ(o.m.error_code, c.code) << (o.error ? describe(*o.error) : "");
    if (c.check && o.m.error_code == c.code) c.check(o.m);
  }
}

}  // namespace
}  // namespace sb
