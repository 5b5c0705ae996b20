// `scenario-builder compile` on authors' own texts.
#include <gtest/gtest.h>

#include "app/compile_command.h"
#include "documents/documents.h"
#include "reader_fixture.h"
#include "test_support.h"

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
  ASSERT_EQ(compile(dir).exit_status, 0);
  const std::string good_cells = read_bytes(dir.file("Prova_7.dat"));

  write_bytes(dir.file("Prova_7-.txt"),
              test::train_text({"velocita, 0, 100", "segnale, 2000, 2,4,0,0,0,2,1,0,0,0",
                                "segnale, 2010, 2,4,0,0,0,2,1,0,0,0"}));
  const auto r = compile(dir);
  EXPECT_EQ(r.exit_status, 1);
  EXPECT_EQ(r.err, "Prova_7-.txt:4: error 16 at 2010 m: the cell of a signal is already taken\n");
  EXPECT_EQ(read_bytes(dir.file("Prova_7.dat")), good_cells);  // the last good build stays
}

TEST(CompileCommand, MessagesDropWhatTheyDoNotHave) {
  struct {
    std::string line, train;
    std::string message;
  } cases[] = {
      {"no section here\r\n", "[generale]\r\n", "Prova_linea.txt: error 102: the line file has no [generale] section\n"},
      {test::line_text({}), "[generale]\r\nvelocita, 0, x\r\n[fine]\r\n",
       "Prova_7-.txt:2: error 25: unreadable scenario text (\"x\" is not a number)\n"},
      // A slowdown whose first reduction band is blocked: a code of the pass.
      {test::line_text({}), test::train_text({"segnale, 5650, 2,4,0,0,0,2,1,0,0,0", "segnale, 5700, 0,4,0,0,0,0,1,0,0,0",
                                              "segnale, 5750, 0,4,0,0,0,0,1,0,0,0",
                                              "rallentamento, 6000, 60, 200, 0, 0, 0"}),
       "error 12 at 6050 m: no room for a speed-reduction point ahead of a slowdown start\n"},
      // An indication board at chainage 0 stands in cell 1.
      {test::line_text({"cartello_indicatore, 0, Km 0"}), test::train_text({}),
       "error 1250: a marker field is already in use (an item stands in cell 1)\n"},
      {test::line_text({}), test::train_text({"rallentamento, 0, 0, 200, 0, 0, 60"}),
       "error 1251: a code field is already in use (an item stands in cell 1)\n"},
  };
  for (const auto& c : cases) {
    temp_folder dir;
    write_bytes(dir.file("Prova_linea.txt"), c.line);
    write_bytes(dir.file("Prova_7-.txt"), c.train);
    const auto r = compile(dir);
    EXPECT_EQ(r.exit_status, 1) << c.message;
    EXPECT_EQ(r.err, c.message);
    EXPECT_EQ(list_folder(dir.path()), (std::vector<std::string>{"Prova_7-.txt", "Prova_linea.txt"}));
  }
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

TEST(CompileCommand, MissingLineFileIsAScenarioError) {
  temp_folder dir;
  const auto r = compile(dir);
  EXPECT_EQ(r.exit_status, 1);
  EXPECT_EQ(r.err, "Prova_linea.txt: error 101: the line file does not exist\n");
}

}  // namespace
}  // namespace sb
