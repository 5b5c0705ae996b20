// The program as a person runs it: the plain run and its command line.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <sstream>

#include "app/plain_run.h"
#include "platform/desktop.h"
#include "support/memory_file_system.h"
#include "support/test_support.h"

namespace sb {
namespace {

using test::list_folder;
using test::read_bytes;
using test::run_program;
using test::temp_folder;

const std::vector<std::string> kLeftByARun = test::plain_run_files();

TEST(PlainRun, LeavesThePapersAndTheCompiledFiles) {
  temp_folder dir;
  const auto r = run_program(test::program_path(), {"--dir", dir.path()});
  EXPECT_EQ(r.exit_status, 0) << r.err;
  EXPECT_EQ(r.err, "");  // stderr is no terminal: no stand-in label
  EXPECT_EQ(list_folder(dir.path()), kLeftByARun);
  EXPECT_EQ(read_bytes(dir.file("Ortesa-Vildoro_418.dat")).size(), 109515u);
  EXPECT_EQ(read_bytes(dir.file("Ortesa-Vildoro_linea.dat")).size(), 7299964u);
  // Cell 1 carries the marker 5121 and the og code 2411.
  EXPECT_EQ(read_bytes(dir.file("Ortesa-Vildoro_418.dat")).substr(16, 4), std::string("\x01\x14\x6b\x09", 4));
}

// Only what stays is synced: the source texts are gone by the end of the
// run, and the papers' names are made durable by the compiled set's folder
// sync that follows them.
TEST(PlainRun, SyncsOnlyWhatStays) {
  test::memory_file_system fs;
  std::ostringstream err;
  ASSERT_EQ(run_plain("/run", fs, err, desktop_use::console_only), exit_status::done) << err.str();
  std::map<std::string, durability> kept;
  for (const auto& [path, keep] : fs.kept) kept[path.substr(std::string("/run/").size())] = keep;
  EXPECT_EQ(kept, (std::map<std::string, durability>{
                      {"Ortesa-Vildoro_linea.txt", durability::transient},
                      {"Ortesa-Vildoro_418-.txt", durability::transient},
                      {"Ortesa-Vildoro_418_note.txt", durability::with_next_set},
                      {"Ortesa-Vildoro_418_rallentamenti.txt", durability::with_next_set},
                      {"Ortesa-Vildoro_418_scheda_treno.txt", durability::with_next_set},
                      {"Ortesa-Vildoro_linea.dat", durability::durable},
                      {"Ortesa-Vildoro_418.sim", durability::durable},
                      {"Ortesa-Vildoro_418.dat", durability::durable},
                  }));
}

TEST(PlainRun, WithoutArgumentsWritesBesideTheProgram) {
  temp_folder dir;
  const std::string copy = dir.file("scenario-builder");
  std::filesystem::copy_file(test::program_path(), copy);
  temp_folder elsewhere;
  const auto r = run_program(copy, {}, elsewhere.path());
  EXPECT_EQ(r.exit_status, 0) << r.err;
  std::vector<std::string> expected = kLeftByARun;
  expected.push_back("scenario-builder");
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(list_folder(dir.path()), expected);
  EXPECT_TRUE(list_folder(elsewhere.path()).empty());
}

TEST(PlainRun, ReplacesOlderLongerFilesWhole) {
  temp_folder dir;
  for (const auto& name : kLeftByARun) test::write_bytes(dir.file(name), std::string(8'000'000, 'x'));
  ASSERT_EQ(run_program(test::program_path(), {"--dir", dir.path()}).exit_status, 0);
  temp_folder fresh;
  ASSERT_EQ(run_program(test::program_path(), {"--dir", fresh.path()}).exit_status, 0);
  for (const auto& name : kLeftByARun) EXPECT_EQ(read_bytes(dir.file(name)), read_bytes(fresh.file(name))) << name;
}

TEST(PlainRun, AFolderThatCannotBeWrittenEndsTheRun) {
  temp_folder dir;
  // A missing folder is not created.
  auto r = run_program(test::program_path(), {"--dir", dir.file("missing")});
  EXPECT_EQ(r.exit_status, 2);
  EXPECT_EQ(r.err, "scenario-builder: " + dir.file("missing") + ": No such file or directory\n");
  EXPECT_TRUE(list_folder(dir.path()).empty());
  // A file standing where the folder should be.
  test::write_bytes(dir.file("plain"), "x");
  r = run_program(test::program_path(), {"--dir", dir.file("plain")});
  EXPECT_EQ(r.exit_status, 2);
  EXPECT_EQ(r.err, "scenario-builder: " + dir.file("plain") + ": Not a directory\n");
  // A folder standing where an output file should be: the run stops there,
  // files written before it stay, no temporary is left behind.
  temp_folder out;
  ASSERT_TRUE(std::filesystem::create_directory(out.file("Ortesa-Vildoro_418.sim")));
  r = run_program(test::program_path(), {"--dir", out.path()});
  EXPECT_EQ(r.exit_status, 2);
  EXPECT_EQ(r.err, "scenario-builder: " + out.file("Ortesa-Vildoro_418.sim") + ": not a regular file\n");
  for (const auto& name : list_folder(out.path())) EXPECT_NE(name[0], '.') << name;
}

TEST(CommandLine, HelpVersionAndUsage) {
  auto r = run_program(test::program_path(), {"--help"});
  EXPECT_EQ(r.exit_status, 0);
  EXPECT_NE(r.out.find("--dir"), std::string::npos);
  EXPECT_NE(r.out.find("compile"), std::string::npos);
  r = run_program(test::program_path(), {"--version"});
  EXPECT_EQ(r.exit_status, 0);
  EXPECT_EQ(r.out.rfind("scenario-builder ", 0), 0u);
  for (const std::vector<std::string>& args : {std::vector<std::string>{"bogus"}, {"--frobnicate"}, {"--dir"}}) {
    temp_folder cwd;
    r = run_program(test::program_path(), args, cwd.path());
    EXPECT_EQ(r.exit_status, 2) << args[0];
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("scenario-builder:"), std::string::npos);
    EXPECT_TRUE(list_folder(cwd.path()).empty());
  }
}

}  // namespace
}  // namespace sb
