#include "app/inspect_command.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "builder/compiled_files.h"
#include "support/memory_file_system.h"
#include "support/test_support.h"

namespace sb {
namespace {

struct dump {
  int status = -1;
  std::string out;
  std::string err;
};

dump inspect(file_system& fs, const std::string& path, bool all = false, output_format format = output_format::text,
             compiled_kind kind = compiled_kind::unknown) {
  std::ostringstream out, err;
  const inspect_options o{path, all, format, kind};
  const int status = to_int(run_inspect(o, fs, out, err));
  return {status, out.str(), err.str()};
}

bool has_line(const std::string& text, const std::string& line) {
  std::istringstream in(text);
  for (std::string l; std::getline(in, l);)
    if (l == line) return true;
  return false;
}

std::vector<track_cell> small_line() {
  std::vector<track_cell> cells(9);
  for (track_cell& c : cells) {
    c.speed_code = 12;
    c.gradient_code = 100;
    c.adhesion = 100;
  }
  cells[1].value_1 = 5121;
  cells[1].value_2 = 2411;
  cells[3].approach_code = 82;
  cells[3].gradient_code = 104;
  // s1 3 d1 2, s2 4 d2 1, rapp 1, sx 2 dx 2
  cells[5] = {1, 32, 41, 0, 18, 101, 0, 0, 12, 100, 100};
  cells[7] = {3, 60, 60, 1, 0, 0, 0, 2, 18, 95, 100};
  cells[8] = {6, 2828, 1412, 0, 21, 0, 0, 0, 12, 100, 100};
  return cells;
}

TEST(InspectCells, DecodesItemsAndTheMarkersOfCell1) {
  test::memory_file_system fs;
  fs.files["/d/R_7.dat"] = encode_cell_file(small_line());
  const dump d = inspect(fs, "/d/R_7.dat");
  ASSERT_EQ(d.status, 0) << d.err;
  EXPECT_TRUE(has_line(d.out, "cells: 9 (0 to 8, chainage 0 to 400 m)")) << d.out;
  EXPECT_TRUE(has_line(d.out, "cell 1: marker 5121 (ok), og code 2411")) << d.out;
  const std::vector<std::string> lines = {
      "     1        50  empty                             0         0      60         0       100"
      "  marker=5121 og_code=2411",
      "     3       150  empty                            82         0      60        +4       100",
      "     5       250  signal                            0         0      60         0       100"
      "  s1=3 d1=2 s2=4 d2=1 s3=0 d3=0 rapp=1 sx*3+dx=8 time=101",
      "     7       350  slowdown start                    0         2      90        -5       100"
      "  v=60 d_v=60 f_tt=1",
      "     8       400  speed indicator                   0         0      60         0       100"
      "  vas=140 vad=140 vbs=70 vbd=60 vcs=0 vcd=0 strisces=2 strisced=1",
  };
  for (const std::string& line : lines) EXPECT_TRUE(has_line(d.out, line)) << line << "\n" << d.out;
  // Cells with nothing but the line's speed, gradient and adhesion are left
  // out unless every cell is asked for.
  EXPECT_EQ(d.out.find("\n     0 "), std::string::npos);
  EXPECT_EQ(d.out.find("\n     2 "), std::string::npos);
  const dump all = inspect(fs, "/d/R_7.dat", true);
  EXPECT_NE(all.out.find("\n     0         0  empty"), std::string::npos) << all.out;
  EXPECT_NE(all.out.find("\n     2       100  empty"), std::string::npos);

  // A cell 1 without the marker says so.
  std::vector<track_cell> unstamped = small_line();
  unstamped[1].value_1 = 0;
  fs.files["/d/R_7.dat"] = encode_cell_file(unstamped);
  EXPECT_TRUE(has_line(inspect(fs, "/d/R_7.dat").out, "cell 1: marker 0 (expected 5121), og code 2411"));
}

TEST(InspectCells, CsvAndJson) {
  test::memory_file_system fs;
  fs.files["/d/R_7.dat"] = encode_cell_file(small_line());
  const dump csv = inspect(fs, "/d/R_7.dat", false, output_format::csv);
  ASSERT_EQ(csv.status, 0);
  EXPECT_TRUE(has_line(csv.out, "5,250,1,signal,32,41,0,18,s1=3 d1=2 s2=4 d2=1 s3=0 d3=0 rapp=1 "
                                "sx*3+dx=8 time=101,101,0,0,60,0,100"))
      << csv.out;
  const dump json = inspect(fs, "/d/R_7.dat", false, output_format::json);
  ASSERT_EQ(json.status, 0);
  EXPECT_NE(json.out.find("\"cell_1\": {\"marker\": 5121, \"marker_ok\": true, \"og_code\": 2411}"),
            std::string::npos)
      << json.out;
  EXPECT_NE(json.out.find("\"decoded\": {\"v\": 60, \"d_v\": 60, \"f_tt\": 1}"), std::string::npos);
}

scenario_table_t small_table() {
  scenario_table_t t{};
  t[table_row::first_station] = {2, 203500, 204300, 203900, 0, "Ortesa", 0, 0, 0, 0, 0, 0, 3, 0, 0,
                                 8 * 3600 + 12 * 60 + 5};
  t[table_row::first_board].text = "PL \"km\" 12,5\xe9";
  t[table_row::progression_largest] = {0, 1000, 5100, 1, 0, "", 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  t[table_row::train_and_route].range_start = 120;
  t[table_row::train_and_route].range_end = 358000;
  t[table_row::train_and_route].position = 10;
  t[table_row::scenery_and_identity] = {0, 1, 3, 2, 0, "Ortesa-Vildoro", 610, 0, 0, 0, 0, 0, 0, 0, 0, 32678};
  t[table_row::repetition_and_clock] = {0, 1000, 9000, 4, 0, "418", 50, 0, 7, 5, 0, 0, 0, 0, 0, 0};
  return t;
}

TEST(InspectTable, NamesEveryRowByItsUse) {
  test::memory_file_system fs;
  fs.files["R_7.sim"] = encode_table_file(small_table());
  const dump d = inspect(fs, "R_7.sim");
  ASSERT_EQ(d.status, 0) << d.err;
  const std::vector<std::string> lines = {
      "marker 610 (ok), st code 32678",
      "row  0  empty",
      "row  1  station               name=\"Ortesa\" type=2 position=203900 start=203500 end=204300 "
      "length=800 time=08:12:05 flag_a=0 value_a=0 value_b=0 value_c=0 value_d=0 value_e=0 "
      "flag_d=0 stop_value=3 flag_c=0 flag_b=0",
      "rows 2 to 79  empty",
      "row 80  board                 text=\"PL \\\"km\\\" 12,5\\xe9\"",
      "row 81  progression           start=1000 value=5100 flag=1",
      "row 84  train and route       braked_mass_percent=120 route_length=358000 coaches=10",
      "row 85  scenery and identity  scenery_uno=1 scenery_tre=3 scenery_due=2 "
      "route=\"Ortesa-Vildoro\" marker=610 st_code=32678",
      "row 86  repetition and clock  repetition_start=1000 repetition_end=9000 "
      "repetition_system=4 train=\"418\" sand=50 clock=07:05:00",
  };
  for (const std::string& line : lines) EXPECT_TRUE(has_line(d.out, line)) << line << "\n" << d.out;

  // A field that a fixed row does not use is still shown.
  scenario_table_t odd = small_table();
  odd[table_row::train_and_route].flag_b = 9;
  odd[40].value_c = -7;  // between the stations and the boards: no use
  fs.files["R_7.sim"] = encode_table_file(odd);
  const dump o = inspect(fs, "R_7.sim");
  EXPECT_TRUE(has_line(o.out, "row 84  train and route       braked_mass_percent=120 "
                              "route_length=358000 coaches=10 flag_b=9"))
      << o.out;
  EXPECT_TRUE(has_line(o.out, "row 40  other                 value_c=-7")) << o.out;

  const dump csv = inspect(fs, "R_7.sim", false, output_format::csv);
  EXPECT_TRUE(has_line(csv.out, "80,board,0,0,0,0,0,\"PL \"\"km\"\" 12,5\xe9\",0,0,0,0,0,0,0,0,0,0,"))
      << csv.out;
  const dump json = inspect(fs, "R_7.sim", false, output_format::json);
  EXPECT_NE(json.out.find("\"text\": \"PL \\\"km\\\" 12,5\\u00e9\""), std::string::npos) << json.out;
}

// Four points turning left twice by a right angle, then two empty ones.
track_plan_t hook_plan() {
  track_plan_t p;
  p.x = {plan_number::of_int16(0), plan_number::of_int16(0), plan_number::of_real(-1),
         plan_number::of_real(-1), {}, {}};
  p.y = {plan_number::of_int16(0), plan_number::of_int16(1), plan_number::of_real(1),
         plan_number::of_real(0.5), {}, {}};
  return p;
}

TEST(InspectPlan, SummaryAndPoints) {
  test::memory_file_system fs;
  fs.files["R_linea.dat"] = encode_plan_file(hook_plan());
  const dump d = inspect(fs, "R_linea.dat");
  ASSERT_EQ(d.status, 0) << d.err;
  for (const char* line :
       {"points: 6 per column (metres 0 to 5)", "length: 5 m", "filled: 4 points, 2 empty",
        "bounding box: x -1 to 0, y 0 to 1",
        "total turning: 3.141592653589793 rad (180 deg)"})
    EXPECT_TRUE(has_line(d.out, line)) << line << "\n" << d.out;

  const dump csv = inspect(fs, "R_linea.dat", false, output_format::csv);
  EXPECT_EQ(csv.out, "metre,x,y\n0,0,0\n1,0,1\n2,-1,1\n3,-1,0.5\n4,,\n5,,\n");
}

TEST(InspectCommand, KindByNameOrOptionAndFailures) {
  test::memory_file_system fs;
  fs.files["/d/R_7.sim"] = encode_table_file(small_table());
  fs.files["/d/copy.bin"] = fs.files["/d/R_7.sim"];
  fs.files["/d/R_linea.dat"] = encode_plan_file(hook_plan());
  struct {
    std::string path;
    compiled_kind kind;
    int status;
    std::string err;  // start of stderr
  } const cases[] = {
      {"/d/R_7.sim", compiled_kind::unknown, 0, ""},
      {"/d/copy.bin", compiled_kind::table, 0, ""},
      {"/d/copy.bin", compiled_kind::unknown, 2, "scenario-builder: /d/copy.bin: cannot tell the kind"},
      {"/d/none.sim", compiled_kind::unknown, 2, "scenario-builder: /d/none.sim: No such file or directory"},
      // 2994 bytes are not a whole number of cells.
      {"/d/R_7.sim", compiled_kind::cells, 1,
       "scenario-builder: /d/R_7.sim: bad cell file at byte 2985: the file ends inside cell 199, "
       "after 9 bytes of 15"},
      {"/d/R_linea.dat", compiled_kind::table, 1, "scenario-builder: /d/R_linea.dat: bad table file at byte "},
  };
  for (const auto& c : cases) {
    const dump d = inspect(fs, c.path, false, output_format::text, c.kind);
    EXPECT_EQ(d.status, c.status) << c.path << " " << kind_name(c.kind) << ": " << d.err;
    EXPECT_EQ(d.err.substr(0, c.err.size()), c.err);
    if (c.status != 0) {
      EXPECT_EQ(d.out, "");
    }
  }
}

TEST(InspectProgram, ExitStatusesAndMessages) {
  test::temp_folder dir;
  const std::string table = encode_table_file(small_table());
  test::write_bytes(dir.file("R_7.sim"), table.substr(0, 100));
  test::write_bytes(dir.file("R_7.dat"), encode_cell_file(small_line()));

  const auto ok = test::run_program(test::program_path(), {"inspect", dir.file("R_7.dat")});
  EXPECT_EQ(ok.exit_status, 0) << ok.err;
  EXPECT_NE(ok.out.find("cell 1: marker 5121 (ok), og code 2411"), std::string::npos);

  // Row 1 "Ortesa" spans bytes 34 to 73; row 2's flag_d would be byte 100.
  const auto cut = test::run_program(test::program_path(), {"inspect", dir.file("R_7.sim")});
  EXPECT_EQ(cut.exit_status, 1);
  EXPECT_EQ(cut.out, "");
  EXPECT_EQ(cut.err, "scenario-builder: " + dir.file("R_7.sim") +
                         ": bad table file at byte 100: row 2: the file ends before flag_d\n");
  const auto missing = test::run_program(test::program_path(), {"inspect", dir.file("no.dat")});
  EXPECT_EQ(missing.exit_status, 2);
  EXPECT_EQ(missing.err,
            "scenario-builder: " + dir.file("no.dat") + ": No such file or directory\n");

  const auto bad_format = test::run_program(
      test::program_path(), {"inspect", dir.file("R_7.dat"), "--format", "xml"});
  EXPECT_EQ(bad_format.exit_status, 2);

  const auto help = test::run_program(test::program_path(), {"inspect", "--help"});
  EXPECT_EQ(help.exit_status, 0);
  EXPECT_NE(help.out.find("--format"), std::string::npos);
}

}  // namespace
}  // namespace sb
