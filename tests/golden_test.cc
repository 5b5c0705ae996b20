// The shipped scenario's every output, compared whole with the golden
// files in tests/golden: the five texts, and dumps of the three compiled
// files. `make golden` writes them anew after a change that is meant to
// change an output.
#include <gtest/gtest.h>

#include <sstream>

#include "app/plain_run.h"
#include "builder/scenario_files.h"
#include "documents/documents.h"
#include "platform/desktop.h"
#include "support/golden.h"
#include "support/memory_file_system.h"
#include "support/test_support.h"

namespace sb {
namespace {

// The golden copy of a shipped file: "shipped_" in place of the route's
// name, so that no file of the tree looks like a file the program leaves.
std::string golden(const std::string& name) {
  const std::string route = "Ortesa-Vildoro_";
  return test::test_data("golden/shipped_" + name.substr(name.rfind(route, 0) == 0 ? route.size() : 0));
}

TEST(Golden, TheFiveTexts) {
  const scenario_identity id = shipped_identity();
  const struct {
    std::string name;
    line_list (*text)();
  } texts[] = {
      {line_file_name(id), testo_linea},
      {train_file_name(id), testo_treno},
      {notes_file_name(id), testo_note},
      {slow_order_file_name(id), testo_rallentamenti},
      {timetable_file_name(id), testo_scheda},
  };
  for (const auto& t : texts) EXPECT_TRUE(test::matches_golden(golden(t.name), t.text().render()));
}

TEST(Golden, ThePlainRunsFiles) {
  test::memory_file_system fs;
  std::ostringstream err;
  ASSERT_EQ(run_plain("/run", fs, err, desktop_use::console_only), exit_status::done) << err.str();
  EXPECT_EQ(err.str(), "");
  std::vector<std::string> left;
  for (const auto& [path, bytes] : fs.files) left.push_back(path);
  std::vector<std::string> expected;
  for (const std::string& name : test::plain_run_files()) expected.push_back(join_path("/run", name));
  EXPECT_EQ(left, expected);
  const scenario_identity id = shipped_identity();
  for (const std::string& paper : paper_file_names(id))
    EXPECT_TRUE(test::matches_golden(golden(paper), fs.files[join_path("/run", paper)]));
  for (const std::string& compiled : compiled_file_names(id))
    EXPECT_TRUE(test::matches_golden(golden(compiled + ".txt"),
                                     test::compiled_dump(compiled, fs.files[join_path("/run", compiled)], true)));
}

}  // namespace
}  // namespace sb
