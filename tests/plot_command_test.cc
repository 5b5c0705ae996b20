#include "app/plot_command.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <sstream>
#include <string>

#include "builder/compiled_files.h"
#include "support/memory_file_system.h"
#include "support/test_support.h"

namespace sb {
namespace {

// Compiled files of a 5 km line with one timed station, in memory.
struct compiled_line {
  test::memory_file_system fs;
  std::string cells_path = join_path("/c", "R_7.dat");
  std::string table_path = join_path("/c", "R_7.sim");
  std::string plan_path = join_path("/c", "R_linea.dat");

  compiled_line() {
    std::vector<track_cell> cells(101);
    for (int i = 0; i < 99; ++i) {
      cells[i].speed_code = 20;
      cells[i].gradient_code = 103;
    }
    cells[30].kind = cell_kind::signal;
    scenario_table_t table{};
    table[table_row::first_station] = {
        .range_start = 2000, .range_end = 2600, .position = 2300, .text = "ZETA", .time_of_day = 3600};
    table[table_row::scenery_and_identity].text = "R";
    table[table_row::repetition_and_clock].text = "7";
    track_plan_t plan;
    for (int m = 0; m <= 5000; ++m) {
      plan.x.push_back(plan_number::of_real(0));
      plan.y.push_back(plan_number::of_real(m));
    }
    fs.files[cells_path] = encode_cell_file(cells);
    fs.files[table_path] = encode_table_file(table);
    fs.files[plan_path] = encode_plan_file(plan);
  }

  struct outcome {
    int status;
    std::string err;
    std::string svg;
  };
  outcome plot(const std::string& route = "R") {
    plot_options o;
    o.route = route;
    o.train = "7";
    o.dir = "/c";
    o.svg = "/out/p.svg";
    std::ostringstream out, err;
    const int status = to_int(run_plot(o, fs, out, err));
    const auto it = fs.files.find(o.svg);
    return {status, err.str(), it == fs.files.end() ? "" : it->second};
  }
};

TEST(PlotCommand, DrawsFromTheThreeFilesOrWithoutThePlan) {
  compiled_line l;
  const auto full = l.plot();
  EXPECT_EQ(full.status, 0) << full.err;
  EXPECT_EQ(full.err, "");
  EXPECT_NE(full.svg.find("ZETA 01:00"), std::string::npos);
  EXPECT_EQ(full.svg.find("no plan file"), std::string::npos);

  l.fs.files.erase(l.plan_path);
  l.fs.files.erase("/out/p.svg");
  const auto bare = l.plot();
  EXPECT_EQ(bare.status, 0) << bare.err;
  EXPECT_NE(bare.svg.find("no plan file"), std::string::npos);
  EXPECT_NE(bare.svg.find("ZETA 01:00"), std::string::npos);
}

TEST(PlotCommand, MissingOrDamagedFilesAndBadNames) {
  const struct {
    const char* what;
    void (*spoil)(compiled_line&);
    const char* route;
    int status;
    const char* message;  // part of the one line on stderr
  } cases[] = {
      {"missing cells", [](compiled_line& l) { l.fs.files.erase(l.cells_path); }, "R", 2, "R_7.dat: "},
      {"missing table", [](compiled_line& l) { l.fs.files.erase(l.table_path); }, "R", 2, "R_7.sim: "},
      {"cells cut", [](compiled_line& l) { l.fs.files[l.cells_path].pop_back(); }, "R", 1,
       "R_7.dat: bad cell file at byte "},
      {"table cut", [](compiled_line& l) { l.fs.files[l.table_path].resize(100); }, "R", 1,
       "R_7.sim: bad table file at byte "},
      {"plan tag", [](compiled_line& l) { l.fs.files[l.plan_path][0] = 9; }, "R", 1,
       "R_linea.dat: bad plan file at byte 0"},
      {"route with a folder", [](compiled_line&) {}, "../R", 2, "cannot be part of a file name"},
  };
  for (const auto& c : cases) {
    compiled_line l;
    c.spoil(l);
    const auto r = l.plot(c.route);
    EXPECT_EQ(r.status, c.status) << c.what;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << c.what << ": " << r.err;
    EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << c.what << ": one line";
    EXPECT_EQ(r.svg, "") << c.what << ": no picture";
  }
}

TEST(PlotCommand, ProgramPlotsThePlainRunsFiles) {
  test::temp_folder dir;
  ASSERT_EQ(test::run_program(test::program_path(), {"--dir", dir.path()}).exit_status, 0);
  const auto ok = test::run_program(test::program_path(), {"plot", "--route", "Ortesa-Vildoro", "--train", "418",
                                                          "--dir", dir.path(), "--svg", dir.file("line.svg")});
  EXPECT_EQ(ok.exit_status, 0) << ok.err;
  const std::string svg = test::read_bytes(dir.file("line.svg"));
  EXPECT_EQ(svg.rfind("<?xml", 0), 0u);
  EXPECT_NE(svg.find("VILDORO CENTRALE"), std::string::npos);
  EXPECT_EQ(svg.substr(svg.size() - 7), "</svg>\n");

  const auto unwritable = test::run_program(
      test::program_path(), {"plot", "--route", "Ortesa-Vildoro", "--train", "418", "--dir", dir.path(), "--svg",
                             dir.file("no/such/folder.svg")});
  EXPECT_EQ(unwritable.exit_status, 2);
  EXPECT_EQ(unwritable.err, "scenario-builder: " + dir.file("no/such") + ": No such file or directory\n");

  // A device at --svg is left as it is; "-" is the standard output.
#ifndef _WIN32
  struct stat before, after;
  ASSERT_EQ(::stat("/dev/null", &before), 0);
  const auto device = test::run_program(test::program_path(), {"plot", "--route", "Ortesa-Vildoro", "--train", "418",
                                                              "--dir", dir.path(), "--svg", "/dev/null"});
  EXPECT_EQ(device.exit_status, 2);
  EXPECT_EQ(device.err, "scenario-builder: /dev/null: not a regular file\n");
  ASSERT_EQ(::stat("/dev/null", &after), 0);
  EXPECT_TRUE(S_ISCHR(after.st_mode) && after.st_rdev == before.st_rdev && after.st_ino == before.st_ino);
#endif
  const auto to_stdout = test::run_program(test::program_path(), {"plot", "--route", "Ortesa-Vildoro", "--train",
                                                                 "418", "--dir", dir.path(), "--svg", "-"});
  EXPECT_EQ(to_stdout.exit_status, 0) << to_stdout.err;
  EXPECT_EQ(to_stdout.out, svg);

  const auto wrong_train = test::run_program(test::program_path(), {"plot", "--route", "Ortesa-Vildoro", "--train",
                                                                   "9", "--dir", dir.path(), "--svg", "x.svg"});
  EXPECT_EQ(wrong_train.exit_status, 2);
  EXPECT_NE(wrong_train.err.find("Ortesa-Vildoro_9.dat"), std::string::npos) << wrong_train.err;

  const auto no_svg = test::run_program(test::program_path(), {"plot", "--route", "R", "--train", "7"});
  EXPECT_EQ(no_svg.exit_status, 2);
  const auto help = test::run_program(test::program_path(), {"plot", "--help"});
  EXPECT_EQ(help.exit_status, 0);
  EXPECT_NE(help.out.find("--svg"), std::string::npos);
}

}  // namespace
}  // namespace sb
