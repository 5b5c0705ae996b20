// The shipped scenario's every output, compared whole with the golden
// files in tests/golden: the five texts, and dumps of the three compiled
// files. `make golden` writes them anew after a change that is meant to
// change an output.
#include <gtest/gtest.h>

#include <sstream>

#include "app/plain_run.h"
#include "documents/documents.h"
#include "platform/desktop.h"
#include "support/golden.h"
#include "support/memory_file_system.h"

namespace sb {
namespace {

// The golden copy of a shipped file: "shipped_" in place of the route's
// name, so that no file of the tree looks like a file the program leaves.
std::string golden(const std::string& name) {
  const std::string route = "Ortesa-Vildoro_";
  return test::test_data("golden/shipped_" + name.substr(name.rfind(route, 0) == 0 ? route.size() : 0));
}

TEST(Golden, TheFiveTexts) {
  const struct {
    const char* name;
    line_list (*text)();
  } texts[] = {
      {"Ortesa-Vildoro_linea.txt", testo_linea},
      {"Ortesa-Vildoro_418-.txt", testo_treno},
      {"Ortesa-Vildoro_418_note.txt", testo_note},
      {"Ortesa-Vildoro_418_rallentamenti.txt", testo_rallentamenti},
      {"Ortesa-Vildoro_418_scheda_treno.txt", testo_scheda},
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
  for (const char* name : {"Ortesa-Vildoro_418.dat", "Ortesa-Vildoro_418.sim", "Ortesa-Vildoro_418_note.txt",
                           "Ortesa-Vildoro_418_rallentamenti.txt", "Ortesa-Vildoro_418_scheda_treno.txt",
                           "Ortesa-Vildoro_linea.dat"})
    expected.push_back(join_path("/run", name));
  EXPECT_EQ(left, expected);
  for (const char* paper : {"Ortesa-Vildoro_418_note.txt", "Ortesa-Vildoro_418_rallentamenti.txt",
                            "Ortesa-Vildoro_418_scheda_treno.txt"})
    EXPECT_TRUE(test::matches_golden(golden(paper), fs.files[join_path("/run", paper)]));
  for (const char* compiled : {"Ortesa-Vildoro_418.dat", "Ortesa-Vildoro_418.sim", "Ortesa-Vildoro_linea.dat"})
    EXPECT_TRUE(test::matches_golden(golden(std::string(compiled) + ".txt"),
                                     test::compiled_dump(compiled, fs.files[join_path("/run", compiled)], true)));
}

}  // namespace
}  // namespace sb
