// The texts authors are shown must be right: every example under
// examples/ and every example text of docs/format.md checks with no error
// and no warning.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <sstream>

#include "app/diagnostics_output.h"
#include "check/scenario_check.h"
#include "support/golden.h"
#include "support/memory_file_system.h"
#include "support/test_support.h"

namespace sb {
namespace {

namespace fs = std::filesystem;

// Checks the route and train whose texts are in `files` (file name ->
// bytes) and gives everything check says, empty when it says nothing.
std::string check_texts(const std::map<std::string, std::string>& files, const std::string& route,
                        const std::string& train) {
  test::memory_file_system memory;
  for (const auto& [name, bytes] : files) memory.files[join_path("/e", name)] = bytes;
  const check_report r = check_scenario({{route, train}, 1, "/e", ""}, memory);
  std::ostringstream out;
  print_text(r.diagnostics, out);
  return out.str();
}

// ROUTE and TRAIN from ROUTE_linea.txt and ROUTE_TRAIN-.txt.
std::pair<std::string, std::string> scenario_of(const std::vector<std::string>& names) {
  std::string route, train;
  for (const std::string& n : names)
    if (n.size() > 10 && n.ends_with("_linea.txt")) route = n.substr(0, n.size() - 10);
  for (const std::string& n : names)
    if (!route.empty() && n.rfind(route + "_", 0) == 0 && n.ends_with("-.txt"))
      train = n.substr(route.size() + 1, n.size() - route.size() - 6);
  return {route, train};
}

TEST(Examples, EveryExampleChecksClean) {
  int examples = 0;
  for (const auto& entry : fs::directory_iterator(test::test_data("../examples"))) {
    if (!entry.is_directory()) continue;
    std::map<std::string, std::string> files;
    std::vector<std::string> names;
    for (const auto& f : fs::directory_iterator(entry.path())) {
      names.push_back(f.path().filename().string());
      files[names.back()] = test::read_bytes(f.path().string());
    }
    EXPECT_TRUE(files.count("README.md")) << entry.path() << " has no README";
    const auto [route, train] = scenario_of(names);
    ASSERT_FALSE(route.empty() || train.empty()) << entry.path();
    EXPECT_EQ(check_texts(files, route, train), "") << entry.path();
    ++examples;
  }
  EXPECT_GE(examples, 1);
}

// A block "```text NAME" is a whole file; an unnamed "```text" block holds
// rows, which must read cleanly in the body of the page's first line file.
TEST(Examples, TheFormatReferencesTextsCheckClean) {
  const std::string page = test::read_bytes(test::test_data("../docs/format.md"));
  const std::regex block(R"(```text( [^\n]+)?\n([\s\S]*?)```)");
  std::map<std::string, std::string> files;
  std::vector<std::string> names, row_blocks;
  for (auto it = std::sregex_iterator(page.begin(), page.end(), block); it != std::sregex_iterator(); ++it) {
    std::string body = std::regex_replace((*it)[2].str(), std::regex("\n"), "\r\n");
    if ((*it)[1].matched) {
      names.push_back((*it)[1].str().substr(1));
      files[names.back()] = body;
    } else {
      row_blocks.push_back(body);
    }
  }
  const auto [route, train] = scenario_of(names);
  ASSERT_FALSE(route.empty() || train.empty());
  EXPECT_EQ(check_texts(files, route, train), "");
  for (const std::string& rows : row_blocks) {
    std::map<std::string, std::string> with_rows = files;
    std::string& line = with_rows[route + "_linea.txt"];
    line.insert(line.find("[pendenze]"), rows);
    EXPECT_EQ(check_texts(with_rows, route, train), "") << rows;
  }
}

}  // namespace
}  // namespace sb
