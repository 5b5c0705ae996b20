// `scenario-builder compile` on authors' own texts.
#include <gtest/gtest.h>

#include <sstream>

#include "app/check_command.h"
#include "app/compile_command.h"
#include "app/tool_options.h"
#include "builder/scenario_files.h"
#include "documents/documents.h"
#include "support/memory_file_system.h"
#include "support/reader_fixture.h"
#include "support/test_support.h"

namespace sb {
namespace {

using test::list_folder;
using test::read_bytes;
using test::run_program;
using test::temp_folder;
using test::write_bytes;

test::run_result compile(const temp_folder& dir, std::vector<std::string> extra = {}) {
  std::vector<std::string> args{"compile", "--route", "Prova", "--train", "7", "--dir", dir.path()};
  args.insert(args.end(), extra.begin(), extra.end());
  return run_program(test::program_path(), args);
}

TEST(CompileCommand, GivesTheSameFilesAsThePlainRun) {
  temp_folder plain, own;
  ASSERT_EQ(run_program(test::program_path(), {"--dir", plain.path()}).exit_status, 0);
  write_bytes(own.file("Ortesa-Vildoro_linea.txt"), testo_linea().render());
  write_bytes(own.file("Ortesa-Vildoro_418-.txt"), testo_treno().render());
  const auto r = run_program(test::program_path(), {"compile", "--route", "Ortesa-Vildoro", "--train", "418",
                                                    "--dir", own.path()});
  EXPECT_EQ(r.exit_status, 0) << r.err;
  for (const char* name : {"Ortesa-Vildoro_linea.dat", "Ortesa-Vildoro_418.sim", "Ortesa-Vildoro_418.dat"})
    EXPECT_TRUE(read_bytes(own.file(name)) == read_bytes(plain.file(name))) << name;
  // The sources stay, untouched.
  EXPECT_EQ(read_bytes(own.file("Ortesa-Vildoro_linea.txt")), testo_linea().render());
  EXPECT_EQ(read_bytes(own.file("Ortesa-Vildoro_418-.txt")), testo_treno().render());
}

TEST(CompileCommand, AnErrorNamesFileLineAndPositionAndWritesNothing) {
  temp_folder dir;
  write_bytes(dir.file("Prova_linea.txt"), test::line_text({}));
  write_bytes(dir.file("Prova_7-.txt"), test::train_text({"velocita, 0, 100"}));
  const auto good = compile(dir);
  ASSERT_EQ(good.exit_status, 0);
  EXPECT_EQ(good.out,
            "Prova 7: 0 stations, 0 signals, 0 slowdowns, 341 cells, plan 17001 points; wrote Prova_linea.dat "
            "Prova_7.sim Prova_7.dat\n");
  EXPECT_EQ(compile(dir, {"--quiet"}).out, "");
  const std::string good_cells = read_bytes(dir.file("Prova_7.dat"));

  write_bytes(dir.file("Prova_7-.txt"),
              test::train_text({"velocita, 0, 100", "segnale, 2000, 2,4,0,0,0,2,1,0,0,0",
                                "segnale, 2010, 2,4,0,0,0,2,1,0,0,0"}));
  const auto r = compile(dir);
  EXPECT_EQ(r.exit_status, 1);
  // The file as the author named it, folder included, the line and column
  // of the row, and the row under the message.
  EXPECT_EQ(r.err, dir.file("Prova_7-.txt") +
                       ":4:1: error 16 at 2010 m: the cell of a signal is already taken: taken by the signal at "
                       "line 3, 2000 m\n"
                       "    4 | segnale, 2010, 2,4,0,0,0,2,1,0,0,0\n"
                       "      | ^~~~~~~\n" +
                       dir.file("Prova_7-.txt") +
                       ":4:10: warning: 2010 m is not on the 50 m grid: the signal lands in cell 41, the cell of "
                       "one at 2000 m [off-grid]\n"
                       "    4 | segnale, 2010, 2,4,0,0,0,2,1,0,0,0\n"
                       "      |          ^~~~\n");
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(read_bytes(dir.file("Prova_7.dat")), good_cells);  // the last good build stays
}

// check: every fault and warning, counted; --strict counts warnings as
// errors; nothing is written.
TEST(CheckCommand, ExitStatusesAndFormats) {
  temp_folder dir;
  write_bytes(dir.file("Prova_linea.txt"), test::line_text({"pendenza, 1000, 200"}));
  write_bytes(dir.file("Prova_7-.txt"), test::train_text({"velocita, 0, 100"}));
  const auto check = [&](std::vector<std::string> extra) {
    std::vector<std::string> args{"check", "--route", "Prova", "--train", "7", "--dir", dir.path()};
    args.insert(args.end(), extra.begin(), extra.end());
    return run_program(test::program_path(), args);
  };
  auto r = check({});
  EXPECT_EQ(r.exit_status, 0) << r.err;
  EXPECT_NE(r.out.find("[gradient-range]"), std::string::npos);
  EXPECT_NE(r.out.find("Prova 7: 0 errors, 1 warning\n"), std::string::npos);
  EXPECT_EQ(check({"--strict"}).exit_status, 1);
  r = check({"--format", "json"});
  std::string json_path;  // Windows paths carry backslashes, escaped in JSON
  for (char c : dir.file("Prova_linea.txt")) (c == '\\' ? json_path += "\\\\" : json_path += c);
  EXPECT_EQ(r.out.rfind("{\"diagnostics\": [{\"file\": \"" + json_path +
                            "\", \"line\": 4, \"column\": 17, \"severity\": \"warning\", \"code\": null, "
                            "\"name\": \"gradient-range\", \"chainage\": null, ",
                        0),
            0u)
      << r.out;
  EXPECT_EQ(list_folder(dir.path()), (std::vector<std::string>{"Prova_7-.txt", "Prova_linea.txt"}));
  write_bytes(dir.file("Prova_7-.txt"), test::train_text({"velocita, 0, x"}));
  EXPECT_EQ(check({}).exit_status, 1);
  EXPECT_EQ(check({"--format", "xml"}).exit_status, 2);
}

TEST(CompileCommand, NoPlanLeavesAnExistingPlanFile) {
  temp_folder dir;
  write_bytes(dir.file("Prova_linea.txt"), test::line_text({"curvaX, 1000, 100"}));  // not read without plan
  write_bytes(dir.file("Prova_7-.txt"), test::train_text({}));
  write_bytes(dir.file("Prova_linea.dat"), "old");
  const auto r = compile(dir, {"--no-plan"});
  EXPECT_EQ(r.exit_status, 0) << r.err;
  EXPECT_EQ(read_bytes(dir.file("Prova_linea.dat")), "old");
  EXPECT_EQ(read_bytes(dir.file("Prova_7.dat")).size(), 15u * 341);
}

TEST(CompileCommand, NamesThatCannotBeFileNamesAreUsageErrors) {
  for (const char* bad : {"", ".hidden", "a/b", "a\\b", "tab\there", "\xc3\xa9t\xc3\xa9"})
    EXPECT_FALSE(is_safe_name_part(bad)) << bad;
  for (const char* good : {"Ortesa-Vildoro", "418", "Linea 2 (nuova)"}) EXPECT_TRUE(is_safe_name_part(good)) << good;
  temp_folder dir;
  const auto r = run_program(test::program_path(),
                             {"compile", "--route", "../x", "--train", "7", "--dir", dir.path()});
  EXPECT_EQ(r.exit_status, 2);
  EXPECT_NE(r.err.find("cannot be part of a file name"), std::string::npos);
  const auto missing = run_program(test::program_path(), {"compile", "--route", "x"});
  EXPECT_EQ(missing.exit_status, 2);
}

// Names that would make two of a scenario's files one, in any letter case,
// are refused before anything is read; a name the system cannot hold is an
// input/output failure, not a missing text.
TEST(CompileCommand, NamesThatClashOrAreTooLongEndTheRun) {
  EXPECT_EQ(clashing_files({"R", "linea"}), (std::pair<std::string, std::string>{"R_linea.dat", "R_linea.dat"}));
  EXPECT_TRUE(clashing_files({"R", "LINEA"}));
  EXPECT_FALSE(clashing_files({"R", "linea2"}));
  EXPECT_FALSE(clashing_files({"Ortesa-Vildoro", "418"}));
  temp_folder dir;
  for (const char* tool : {"compile", "check", "plot"}) {
    std::vector<std::string> args{tool, "--route", "R", "--train", "linea", "--dir", dir.path()};
    if (std::string(tool) == "plot") args.insert(args.end(), {"--svg", dir.file("x.svg")});
    const auto r = run_program(test::program_path(), args);
    EXPECT_EQ(r.exit_status, 2) << tool;
    EXPECT_EQ(r.err, "scenario-builder: " + std::string(tool) +
                         ": route R with train linea would give two files one name: R_linea.dat and R_linea.dat\n");
  }
  EXPECT_TRUE(list_folder(dir.path()).empty());

  const std::string long_route(300, 'r');
  const auto r = run_program(test::program_path(), {"compile", "--route", long_route, "--train", "7", "--dir", dir.path()});
  EXPECT_EQ(r.exit_status, 2);
  EXPECT_EQ(r.err, "scenario-builder: " + dir.file(long_route + "_linea.txt") + ": File name too long\n");
}

// A folder that finds its files whatever the letter case, as Windows does.
class case_blind_file_system : public test::memory_file_system {
 public:
  std::string stored_name(const std::string& folder, const std::string& name) override {
    const std::string path = join_path(folder, name);
    for (const auto& [stored, bytes] : files)
      if (same_but_for_ascii_case(stored, path)) return stored.substr(stored.size() - name.size());
    return name;
  }
};

// Names become the compiled files' names and are stamped into the table:
// texts found under another letter case are refused, with the names to give.
TEST(CompileCommand, TextsNamedInAnotherCaseAreRefused) {
  const struct {
    const char* route;
    const char* train;
    const char* said;  // empty: compiled
  } cases[] = {
      {"Ortesa-Vildoro", "418A", ""},
      {"ortesa-vildoro", "418A",
       "the texts are named Ortesa-Vildoro_linea.txt and Ortesa-Vildoro_418A-.txt: use --route Ortesa-Vildoro"},
      {"Ortesa-Vildoro", "418a", "the texts are named Ortesa-Vildoro_418A-.txt: use --train 418A"},
      {"ORTESA-VILDORO", "418a",
       "the texts are named Ortesa-Vildoro_linea.txt and Ortesa-Vildoro_418A-.txt: use --route Ortesa-Vildoro "
       "--train 418A"},
  };
  for (const auto& c : cases) {
    for (const std::string tool : {"compile", "check"}) {
      SCOPED_TRACE(std::string(c.route) + " " + c.train + " " + tool);
      case_blind_file_system fs;
      fs.files[join_path("d", "Ortesa-Vildoro_linea.txt")] = testo_linea().render();
      fs.files[join_path("d", "Ortesa-Vildoro_418A-.txt")] = testo_treno().render();
      std::ostringstream out, err;
      exit_status status;
      if (tool == "compile") {
        compile_options o;
        o.route = c.route;
        o.train = c.train;
        o.dir = "d";
        status = run_compile(o, fs, out, err);
      } else {
        check_command_options o;
        o.route = c.route;
        o.train = c.train;
        o.dir = "d";
        status = run_check(o, fs, out, err);
      }
      if (*c.said == '\0') {
        EXPECT_EQ(status, exit_status::done) << err.str();
        continue;
      }
      EXPECT_EQ(status, exit_status::failure);
      EXPECT_EQ(err.str(), "scenario-builder: " + tool + ": " + c.said + "\n");
      EXPECT_EQ(fs.files.size(), 2u);
    }
  }
}

// The real disk: Windows finds the texts in another case and the run is
// refused; a system that compares names with their case finds none.
TEST(CompileCommand, TheDiskTellsTheStoredCase) {
  temp_folder dir;
  write_bytes(dir.file("Prova_linea.txt"), testo_linea().render());
  write_bytes(dir.file("Prova_7-.txt"), testo_treno().render());
  const auto r = run_program(test::program_path(), {"compile", "--route", "prova", "--train", "7", "--dir", dir.path()});
#ifdef _WIN32
  EXPECT_EQ(r.exit_status, 2);
  EXPECT_EQ(r.err, "scenario-builder: compile: the texts are named Prova_linea.txt and Prova_7-.txt: use --route Prova\n");
#else
  EXPECT_EQ(r.exit_status, 1);
  EXPECT_EQ(r.err, dir.file("prova_linea.txt") + ": error 101: the line file does not exist\n");
#endif
  EXPECT_EQ(list_folder(dir.path()).size(), 2u);
  disk_file_system disk;
  EXPECT_EQ(disk.stored_name(dir.path(), "Prova_linea.txt"), "Prova_linea.txt");
  EXPECT_EQ(disk.stored_name(dir.path(), "absent.txt"), "absent.txt");
}

}  // namespace
}  // namespace sb
