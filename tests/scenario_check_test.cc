#include "check/scenario_check.h"

#include <gtest/gtest.h>

#include <sstream>

#include "app/diagnostics_output.h"
#include "builder/compiled_files.h"
#include "documents/documents.h"
#include "support/memory_file_system.h"
#include "support/reader_fixture.h"

namespace sb {
namespace {

using test::crlf;
using test::line_text;
using test::train_text;

check_report check(const std::string& line, const std::string& train, int32_t geometry = 1) {
  test::memory_file_system fs;
  fs.files[test::kLineFile] = line;
  fs.files[test::kTrainFile] = train;
  const check_report r = check_scenario({{"Prova", "7"}, geometry, test::kFolder, ""}, fs);
  // The check deletes and writes nothing.
  EXPECT_EQ(fs.files.size(), 2u);
  return r;
}

// "name@file:line" for every warning, file "L" or "T", to compare whole.
std::vector<std::string> warnings(const check_report& r) {
  std::vector<std::string> out;
  for (const diagnostic& d : r.diagnostics)
    if (d.level == severity::warning)
      out.push_back(d.name + "@" + (d.file == "Prova_linea.txt" ? "L" : "T") + ":" + std::to_string(d.line));
  return out;
}

const std::string kTrain = train_text({"velocita, 0, 100"});
const std::string kLine = line_text({});

struct mistake {
  const char* name;
  std::string line, train;
  std::vector<std::string> expected;
};

void PrintTo(const mistake& m, std::ostream* os) { *os << m.name; }

class AuthorMistake : public ::testing::TestWithParam<mistake> {};

TEST_P(AuthorMistake, IsWarnedAboutAtItsLine) {
  const mistake& m = GetParam();
  const check_report r = check(m.line, m.train);
  ASSERT_TRUE(r.io);
  std::string shown;
  for (const diagnostic& d : r.diagnostics) shown += diagnostic_text(d);
  EXPECT_EQ(warnings(r), m.expected) << shown;
  EXPECT_EQ(count(r.diagnostics).errors, 0) << shown;
}

const std::string station = "stazione, 3000, 2, 200, 0,0,0, 0,0,0, 0,0,0, 0, 8,10,0, ALFA";

INSTANTIATE_TEST_SUITE_P(
    Warnings, AuthorMistake,
    ::testing::Values(
        mistake{"misspelt_keyword", kLine, train_text({"velocita, 0, 100", "segnalle, 2000, 2,4,0,0,0,2,1,0,0,0"}),
                {"unknown-keyword@T:3"}},
        mistake{"prose_is_fine", line_text({"# curves follow the valley"}), kTrain, {}},
        mistake{"commented_out_row", kLine, train_text({"velocita, 0, 100", "// velocita, 3000, 60"}),
                {"commented-out-row@T:3"}},
        mistake{"unread_fields", kLine, train_text({"velocita, 0, 100, 5", "velocita, 1000, 12,5"}),
                {"unread-fields@T:2", "speed-rounded@T:3", "unread-fields@T:3"}},
        mistake{"blank_inside_a_number", kLine, train_text({"velocita, 0, 100", "velocita, 9 000, 80"}),
                {"off-grid@T:3", "unread-fields@T:3"}},
        mistake{"comma_in_a_name", kLine, train_text({"velocita, 0, 100", station + ", NUOVA"}),
                {"unread-fields@T:3"}},
        mistake{"row_spans_lines", kLine, train_text({"velocita, 0, 100", "segnale, 2000, 2,4,0,0,0,2,1,0,0", "0"}),
                {"row-spans-lines@T:3"}},
        mistake{"train_without_generale", kLine, crlf({"velocita, 0, 100", "[fine]"}), {"passed-over@T:1"}},
        mistake{"misspelt_generale", kLine, crlf({"[generalle]", "velocita, 0, 100", "[fine]"}),
                {"passed-over@T:1"}},
        mistake{"rows_before_generale", crlf({"pendenza, 100, 1", "[generale]", "lunghezza percorso, 10000",
                                              "[curve]", "[fine]"}),
                kTrain, {"passed-over@L:1"}},
        mistake{"unknown_section", line_text({"[salite]"}), kTrain, {"unknown-section@L:4"}},
        mistake{"comment_allowance_used_up", line_text({"- a -", "- b -", "- c -"}), kTrain,
                {"comment-not-skipped@L:6"}},
        mistake{"body_row_in_general_block", crlf({"[generale]", "lunghezza percorso, 10000", "pendenza, 100, 2",
                                                   "[curve]", "[fine]"}),
                kTrain, {"row-not-read-here@L:3"}},
        mistake{"gradients_out_of_order", line_text({"pendenza, 3000, 2", "pendenza, 1000, 4"}), kTrain,
                {"out-of-order@L:5"}},
        mistake{"speeds_out_of_order", kLine, train_text({"velocita, 0, 100", "velocita, 3000, 80", "velocita, 2000, 60"}),
                {"out-of-order@T:4"}},
        mistake{"curves_overlap", line_text({"curvad4, 1000, 500", "curvas2, 1200, 300"}), kTrain,
                {"curves-overlap@L:5"}},
        mistake{"gradient_out_of_range", line_text({"pendenza, 1000, 200"}), kTrain, {"gradient-range@L:4"}},
        mistake{"speed_not_a_multiple_of_5", kLine, train_text({"velocita, 0, 102"}), {"speed-rounded@T:2"}},
        mistake{"reduction_value_narrowed", kLine, train_text({"velocita, 0, 100", "abbattimento, 1000, 40000"}),
                {"value-narrowed@T:3"}},
        mistake{"adhesion_wraps", kLine, train_text({"velocita, 0, 100", "aderenza, 0, 300"}), {"byte-wraps@T:3"}},
        mistake{"clock_out_of_range", kLine, train_text({"velocita, 0, 100", "orologio, 25 10 0"}), {"clock-range@T:3"}},
        mistake{"station_time_out_of_range", kLine,
                train_text({"velocita, 0, 100", "stazione, 3000, 2, 200, 0,0,0, 0,0,0, 0,0,0, 0, 8,75,0, ALFA"}),
                {"time-range@T:3"}},
        mistake{"station_times_go_back", kLine,
                train_text({"velocita, 0, 100", station,
                            "stazione, 6000, 2, 200, 0,0,0, 0,0,0, 0,0,0, 0, 8,5,0, BETA"}),
                {"time-order@T:4"}},
        mistake{"item_beyond_the_route", kLine, train_text({"velocita, 0, 100", "segnale, 12000, 2,4,0,0,0,2,1,0,0,0"}),
                {"beyond-route@T:3"}},
        mistake{"item_off_the_grid", kLine, train_text({"velocita, 0, 100", "segnale, 2010, 2,4,0,0,0,2,1,0,0,0"}),
                {"off-grid@T:3"}},
        mistake{"utf8_name", line_text({"cartello_indicatore, 2000, Citt\xC3\xA0"}), kTrain, {"utf8-text@L:4"}},
        mistake{"control_characters", line_text({"cartello_indicatore, 2000, Km\x01"}), kTrain,
                {"control-characters@L:4"}},
        mistake{"long_text", line_text({"cartello_indicatore, 2000, " + std::string(60, 'K')}), kTrain,
                {"long-text@L:4"}},
        mistake{"cr_line_ends", kLine, "[generale]\rvelocita, 0, 100\r[fine]\r", {"cr-line-ends@T:1", "unknown-keyword@T:1"}},
        mistake{"utf16_file", kLine, std::string("\xFF\xFE[\0g\0", 6), {"utf16-file@T:1"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ScenarioCheck, TheShippedScenarioIsClean) {
  const check_report r = check(testo_linea().render(), testo_treno().render());
  std::ostringstream json;
  print_json(r.diagnostics, json);
  EXPECT_EQ(json.str(), "{\"diagnostics\": [], \"errors\": 0, \"warnings\": 0}\n");
}

// After each fault the row at fault is left out and the build is made
// again: independent faults are all found in one run, at their rows.
TEST(ScenarioCheck, FindsEveryIndependentErrorInOneRun) {
  const check_report r =
      check(line_text({"cartello_indicatore, 1000, A", "cartello_indicatore, 1010, B", "pendenza, 2000, x"}),
            train_text({"velocita, 0, 100", "segnale, 3000, 2,4,0,0,0,2,1,0,0", "segnale, 4000, 2,4,0,0,0,2,1,0,0,0",
                        "segnale, 4010, 2,4,0,0,0,2,1,0,0,0", "stazione, 6010, 2, 200, 0,0,0, 0,0,0, 0,0,0, 0, 0,0,0, A"}));
  std::vector<std::string> errors;
  for (const diagnostic& d : r.diagnostics)
    if (d.level == severity::error)
      errors.push_back(std::to_string(code_of(*d.code)) + "@" + d.file + ":" + std::to_string(d.line));
  EXPECT_EQ(errors, (std::vector<std::string>{"6@Prova_linea.txt:5", "25@Prova_linea.txt:6", "25@Prova_7-.txt:3",
                                              "16@Prova_7-.txt:5", "8@Prova_7-.txt:6"}));
  // Only the first comes from a build of the texts as they are.
  ASSERT_FALSE(r.diagnostics.empty());
  EXPECT_EQ(r.diagnostics[0].message.find("left out"), std::string::npos);
  EXPECT_NE(r.diagnostics.back().message.find("left out"), std::string::npos);
}

TEST(ScenarioCheck, MessagesSayWhatHoldsACellAndWhichRowIsShort) {
  const auto message_of = [](const check_report& r) {
    for (const diagnostic& d : r.diagnostics)
      if (d.level == severity::error) return std::to_string(d.line) + ": " + d.message;
    return std::string("no error");
  };
  EXPECT_EQ(message_of(check(kLine, train_text({"velocita, 0, 100", "rallentamento, 6000, 60, 200, 0, 0, 0",
                                                "segnale, 4800, 2,4,0,0,0,2,1,0,0,0"}))),
            "4: the cell of a signal is already taken: taken by the warning point of the slowdown at line 3, "
            "6000 m");
  EXPECT_EQ(message_of(check(kLine, train_text({"segnale, 2000, 2,4,0,0,0,2,1,0,0", "velocita, 0, 100"}))),
            "2: unreadable scenario text: row `segnale` at line 2 has 10 of its 11 values; the next field, at "
            "line 3, is read in their place (\"velocita\" is not a number)");
  EXPECT_EQ(message_of(check(kLine, train_text({"segnale, 300, 2,4,0,0,0,2,1,0,0,0"}))),
            "2: the item's cells would fall before the origin of the line");
  EXPECT_EQ(message_of(check(line_text({"cartello_indicatore, 3950, A", "cartello_indicatore, 3900, B"}),
                             train_text({"segnale, 4000, 2,4,0,0,0,2,1,0,0,0",
                                         "rallentamento, 6000, 60, 200, 0, 0, 0"}))),
            "3: no room for a speed-reduction point in front of a signal before a slowdown warning point: in "
            "front of the signal at line 2, 4000 m, which stands before the warning point of the slowdown at "
            "line 3, 6000 m");
}

// Watching the build changes no byte of what it writes.
TEST(ScenarioCheck, CompileWritesTheSameBytesWithItsWarnings) {
  for (const auto& [line, train] :
       {std::pair{testo_linea().render(), testo_treno().render()},
        std::pair{line_text({"pendenza, 1000, 200", "curvad4, 1000, 500", "curvas2, 1200, 300"}),
                  train_text({"velocita, 0, 102", "segnale, 2010, 2,4,0,0,0,2,1,0,0,0", "abbattimento, 1000, 40000"})}}) {
    std::map<std::string, std::string> outputs[2];
    for (int watched = 0; watched < 2; ++watched) {
      test::memory_file_system fs;
      fs.files[test::kLineFile] = line;
      fs.files[test::kTrainFile] = train;
      scenario_model m;
      m.route_name = "Prova";
      m.train_number = "7";
      if (watched)
        compile_with_warnings(m, 1, fs, {{"Prova", "7"}, 1, test::kFolder, ""}, write_policy::always);
      else
        memorizza_percorso(m, 1, fs, test::kFolder, write_policy::always);
      outputs[watched] = fs.files;
    }
    EXPECT_EQ(outputs[0].size(), 3u);
    EXPECT_TRUE(outputs[0] == outputs[1]);
  }
}

}  // namespace
}  // namespace sb
