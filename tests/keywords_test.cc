// The keyword table is the one place a keyword is defined; these tests fail
// for each place that a new keyword, error code or warning leaves out: the
// reader's dispatch, the reference, the fuzzer's dictionary, the check's
// suggestions, the README's table of codes.
#include "builder/keywords.h"

#include <gtest/gtest.h>

#include <string>

#include "builder/compile_step.h"
#include "check/check_support.h"
#include "check/reader_log.h"
#include "check/text_warnings.h"
#include "support/golden.h"
#include "support/memory_file_system.h"
#include "support/reader_fixture.h"
#include "support/test_support.h"

namespace sb {
namespace {

std::string section(const std::string& page, const std::string& heading) {
  const size_t from = page.find(heading);
  if (from == std::string::npos) return {};
  const size_t to = page.find("\n## ", from + heading.size());
  return page.substr(from, to == std::string::npos ? std::string::npos : to - from);
}

// The row as the reader sees it: the keyword table's example alone in the
// place its text reads it.
const row_seen* read_example(const keyword_info& k, reader_log& log, test::memory_file_system& fs) {
  const std::string row(k.example);
  if (k.text == text_role::line) {
    fs.files[test::kLineFile] = k.general ? test::crlf({"[generale]", "lunghezza percorso, 10000", row, "[curve]", "[fine]"})
                                          : test::line_text({row});
    fs.files[test::kTrainFile] = test::train_text({});
  } else {
    fs.files[test::kLineFile] = test::line_text({}, "30000");
    fs.files[test::kTrainFile] = test::train_text({row});
  }
  scenario_model m;
  m.route_name = "Prova";
  m.train_number = "7";
  memorizza_percorso(m, 1, fs, test::kFolder, write_policy::always, &log);
  const text_seen& t = k.text == text_role::line ? log.line : log.train;
  for (const row_seen& r : t.rows)
    if (r.info == &k) return &r;
  return nullptr;
}

TEST(KeywordTable, EveryKeywordIsReadDocumentedFuzzedAndSuggested) {
  const std::string page = test::read_bytes(test::test_data("../docs/format.md"));
  const std::string dictionary = test::read_bytes(test::test_data("../fuzz/reader.dict"));
  for (const keyword_info& k : keyword_table()) {
    SCOPED_TRACE(std::string(k.keyword));
    // The reader opens the keyword's row on its example and reads all its fields.
    test::memory_file_system fs;
    reader_log log({"Prova_linea.txt", "Prova_7-.txt"});
    const row_seen* r = read_example(k, log, fs);
    ASSERT_NE(r, nullptr) << "the reader opened no row on " << k.example;
    EXPECT_TRUE(r->complete);
    EXPECT_EQ(r->values_read, k.fields.size());

    // The reference shows the row and names every field in its text's part.
    EXPECT_NE(page.find(std::string(k.example)), std::string::npos) << "docs/format.md lacks " << k.example;
    const std::string part = section(page, k.text == text_role::line ? "## 5. The line file" : "## 6. The train file");
    for (const field_info& f : k.fields)
      EXPECT_NE(part.find(std::string(f.name)), std::string::npos) << "docs/format.md does not name field " << f.name;
    EXPECT_NE(part.find(std::string(k.keyword).substr(0, std::string(k.keyword).find(' '))), std::string::npos);

    // The fuzzer's dictionary holds it.
    EXPECT_NE(dictionary.find("\"" + std::string(k.keyword)), std::string::npos) << "fuzz/reader.dict lacks it";

    // A misspelling of its longest word is answered with that word.
    std::string longest;
    for (size_t from = 0; from < k.keyword.size();) {
      size_t to = k.keyword.find(' ', from);
      if (to == std::string_view::npos) to = k.keyword.size();
      if (to - from > longest.size()) longest = std::string(k.keyword.substr(from, to - from));
      from = to + 1;
    }
    std::string misspelt = longest;
    std::swap(misspelt[1], misspelt[2]);
    EXPECT_EQ(check::closest(misspelt, known_keywords()), longest);
  }
}

TEST(KeywordTable, EveryErrorCodeAndWarningIsDocumented) {
  const std::string page = test::read_bytes(test::test_data("../docs/format.md"));
  const std::string readme = test::read_bytes(test::test_data("../README.md"));
  const std::string codes = section(page, "## 10. Error codes");
  for (int32_t c = 1; c <= 1251; ++c) {
    const auto e = static_cast<error>(c);
    if (meaning_of(e).empty()) continue;
    SCOPED_TRACE(c);
    EXPECT_FALSE(name_of(e).empty());
    EXPECT_NE(codes.find("\n| " + std::to_string(c) + " | " + std::string(meaning_of(e))), std::string::npos)
        << "docs/format.md's table of codes lacks it, or words it otherwise";
    EXPECT_NE(readme.find("\n| " + std::to_string(c) + " | "), std::string::npos) << "README's table lacks it";
  }
  const std::string warnings = section(page, "## 11. Warnings");
  for (const std::string_view name : warning_names())
    EXPECT_NE(warnings.find("`" + std::string(name) + "`"), std::string::npos) << name << " is not documented";
}

}  // namespace
}  // namespace sb
