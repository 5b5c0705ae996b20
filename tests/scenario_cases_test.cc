// Every scenario case under tests/cases, compiled as `compile` builds it:
// one folder a case, holding the two texts (either may be missing), the
// command's arguments when they are not `--route Prova --train 7`, and
// what must come of it: the exit status, the whole of stderr and, for a
// case that builds, dumps of its compiled files; and what `check` reports.
#include <gtest/gtest.h>

#include <CLI/CLI.hpp>

#include <algorithm>
#include <filesystem>
#include <sstream>

#include "app/compile_command.h"
#include "app/diagnostics_output.h"
#include "builder/compile_step.h"
#include "check/scenario_check.h"
#include "builder/compiled_files.h"
#include "builder/scenario_files.h"
#include "support/golden.h"
#include "support/memory_file_system.h"
#include "support/test_support.h"

namespace sb {
namespace {

namespace fs = std::filesystem;

struct scenario_case {
  std::string name;
  std::string folder;
};

void PrintTo(const scenario_case& c, std::ostream* os) { *os << c.name; }

std::vector<scenario_case> all_cases() {
  std::vector<scenario_case> cases;
  for (const auto& entry : fs::directory_iterator(test::test_data("cases")))
    if (entry.is_directory()) cases.push_back({entry.path().filename().string(), entry.path().string()});
  std::sort(cases.begin(), cases.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
  return cases;
}

bool is_expectation(const std::string& name) { return name.rfind("expected_", 0) == 0 || name == "args"; }

class ScenarioCase : public ::testing::TestWithParam<scenario_case> {};

TEST_P(ScenarioCase, CompilesAsExpected) {
  const scenario_case& c = GetParam();
  const fs::path folder(c.folder);
  test::memory_file_system sources;
  for (const auto& entry : fs::directory_iterator(folder)) {
    const std::string name = entry.path().filename().string();
    if (!is_expectation(name)) sources.files[join_path(".", name)] = test::read_bytes(entry.path().string());
  }
  test::memory_file_system files = sources;
  const std::string args = fs::exists(folder / "args") ? test::read_bytes((folder / "args").string()) : "--route Prova --train 7";

  CLI::App app;
  compile_options o;
  CLI::App* compile = add_compile_command(app, o);
  app.parse("compile " + args, false);
  ASSERT_TRUE(compile->parsed());
  std::ostringstream out, err;
  const int status = to_int(run_compile(o, files, out, err));

  EXPECT_TRUE(test::matches_golden((folder / "expected_status").string(), std::to_string(status) + "\n"));
  EXPECT_TRUE(test::matches_golden((folder / "expected_stderr").string(), err.str()));

  // What check finds in the same texts.
  const check_report report = check_scenario({{o.route, o.train}, o.no_plan ? 0 : 1, ".", ""}, sources);
  std::ostringstream check_out;
  print_text(report.diagnostics, check_out);
  check_out << counts_text(count(report.diagnostics)) << "\n";
  EXPECT_TRUE(test::matches_golden((folder / "expected_check").string(), check_out.str()));

  // The build the compile watched for its warnings writes what an unwatched
  // one does.
  {
    test::memory_file_system plain = sources;
    scenario_model m;
    m.route_name = o.route;
    m.train_number = o.train;
    const compile_result r = memorizza_percorso(m, o.no_plan ? 0 : 1, plain, ".", write_policy::only_without_error);
    for (const auto& [path, bytes] : plain.files)
      if (!sources.files.count(path)) {
        ASSERT_TRUE(files.files.count(path)) << path;
        EXPECT_TRUE(files.files.at(path) == bytes) << path;
      }
    EXPECT_EQ(r.error.has_value(), status != 0);
  }
  const scenario_identity id{o.route, o.train};
  const std::string cells = cell_file_name(id), table = table_file_name(id), plan = plan_file_name(id);
  if (status != 0) {
    for (const std::string& name : {cells, table, plan}) EXPECT_EQ(files.files.count(join_path(".", name)), 0u) << name;
    return;
  }
  for (const std::string& name : {cells, table, plan}) {
    const auto it = files.files.find(join_path(".", name));
    if (it == files.files.end()) {
      EXPECT_TRUE(name == plan && o.no_plan) << name << " was not written";
      continue;
    }
    const std::string which = name == cells ? "cells" : name == table ? "table" : "plan";
    EXPECT_TRUE(test::matches_golden((folder / ("expected_" + which + ".txt")).string(),
                                     test::compiled_dump(name, it->second, false)));
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, ScenarioCase, ::testing::ValuesIn(all_cases()),
                         [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace sb
