// Where no display answers, the program keeps to its console stand-ins.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>

#include "builder/scenario_files.h"
#include "support/test_support.h"

namespace sb::test {
namespace {

// Where no display answers, the window and the box are console stand-ins:
// the run is the same, and nothing about the display is printed.
TEST(HeadlessTest, WithoutADisplayTheRunKeepsToTheConsole) {
  const struct {
    const char* name;
    env_changes env;
  } cases[] = {
      {"no DISPLAY", {{"DISPLAY", std::nullopt}}},
      {"empty DISPLAY", {{"DISPLAY", ""}}},
      {"display that refuses", {{"DISPLAY", "127.0.0.1:59"}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    temp_folder dir;
    const run_result run = run_program(program_path(), {"--dir", dir.path()}, {}, c.env);
    EXPECT_EQ(run.exit_status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    const auto names = list_folder(dir.path());
    for (const std::string& paper : paper_file_names(shipped_identity()))
      EXPECT_NE(std::find(names.begin(), names.end(), paper), names.end()) << paper;
#ifdef SB_DESKTOP_PROBE
    // The probe runs the same calls and tells which face answered.
    const run_result probe = run_program(SB_DESKTOP_PROBE, {"window"}, {}, c.env);
    EXPECT_EQ(probe.out, "console\n");
    EXPECT_EQ(probe.err, "");
    const run_result box = run_program(SB_DESKTOP_PROBE, {"box", " Errore n. 1250"}, {}, c.env);
    EXPECT_EQ(box.out, "confirmed\n");
    EXPECT_EQ(box.err, " Errore n. 1250\n");
#endif
  }
}

}  // namespace
}  // namespace sb::test
