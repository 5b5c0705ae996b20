// The check and compile on the same texts, as an author uses them: over a
// few hundred generated scenarios, each with a few mistakes of the kinds
// authors make, the check writes nothing, has an error exactly when compile
// fails, and begins with what compile tells, so compile's error is among the
// check's at the same place and both lead with the same first fault.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "app/diagnostics_output.h"
#include "check/scenario_check.h"
#include "check/text_warnings.h"
#include "support/memory_file_system.h"
#include "support/reader_fixture.h"

namespace sb {
namespace {

// A small scenario drawn from a seed: rows in roughly increasing chainage,
// some of them spoilt the way authors spoil rows.
struct generated {
  std::string line, train;
};

class scenario_generator {
 public:
  explicit scenario_generator(uint32_t seed) : rng_(seed) {}

  generated next() {
    const int length = pick({3000, 8000, 15000, 30000});
    std::vector<std::string> line{"[generale]", "lunghezza percorso, " + spoil_number(length)};
    if (chance(10)) line.push_back("progressiva chilometrica uno, 0, " + std::to_string(chance(80) ? 150 : 120) + ", 0");
    if (chance(10)) line.push_back("ripetizione segnali 4 codici, " + std::to_string(chance(90) ? 0 : 10) + ", 1000");
    line.push_back("[pendenze]");
    for (int at = 0; at < length; at += step(1500, 6000)) line.push_back(spoil("pendenza, " + std::to_string(at) + ", " + std::to_string(chance(95) ? range(-30, 30) : 170)));
    line.push_back("[curve]");
    for (int at = 500; at < length; at += step(2000, 8000))
      line.push_back(spoil("curvad" + std::to_string(chance(98) ? range(1, 6) : pick({0, 7})) + ", " + std::to_string(at) + ", " + std::to_string(range(100, 1500))));
    line.push_back("[cartelli]");
    for (int at = 2600; at < length; at += step(1000, 5000))
      line.push_back(spoil(chance(50) ? "cartello_indicatore, " + grid(at) + ", Km " + std::to_string(at / 1000)
                                      : "indicatori_vmax, " + grid(at) + ", 90, 95, 100, 0, 90, 95, 100, 0"));
    line.push_back("[fine]");

    std::vector<std::string> train{"[generale]", "percentuale massa frenata, 110", "numero vetture, 4",
                                   "orologio, 8 10 0"};
    train.push_back("[vel_limite]");
    for (int at = chance(90) ? 0 : 100; at < length; at += step(1000, 6000))
      train.push_back(spoil("velocita, " + std::to_string(at) + ", " + std::to_string(chance(96) ? pick({60, 90, 100, 105}) : pick({103, -3, 1300}))));
    train.push_back(spoil("aderenza, 0, " + std::to_string(chance(95) ? 100 : 300)));
    train.push_back("[segnali]");
    for (int at = chance(5) ? 300 : pick({650, 2450}); at < length; at += step(900, 3000))
      train.push_back(spoil("segnale, " + grid(at) + ", 2, 4, 0, 0, 0, 2, 1, 0, 0, " + std::to_string(pick({0, 50, 300}))));
    train.push_back("[rallentamenti]");
    for (int at = 1800; at < length; at += step(3000, 12000))
      train.push_back(spoil("rallentamento, " + grid(at) + ", " + std::to_string(pick({30, 60, 120})) + ", " +
                            std::to_string(pick({200, 600, 1000})) + ", 0, " + std::to_string(pick({0, 1})) + ", 60"));
    train.push_back("[codici]");
    if (chance(30)) train.push_back(spoil("abbattimento, " + grid(range(1, length / 50) * 50) + ", " + std::to_string(pick({180, 40000, 0}))));
    train.push_back("[stazioni]");
    int at = pick({500, 1000});
    for (int n = 0; at < length && n < 6; ++n, at += step(3000, 9000))
      train.push_back(spoil("stazione, " + grid(at) + ", " + std::to_string(pick({2, 4, 5, 7, 28})) + ", " +
                            std::to_string(chance(95) ? pick({200, 400, 600}) : 650) + ", 0,0,0, 1,1,0, 4,1,1, " +
                            std::to_string(pick({0, 45})) + ", " + std::to_string(range(6, 23)) + "," +
                            std::to_string(range(0, 59)) + ",0, STAZIONE " + std::to_string(n)));
    train.push_back("[fine]");
    if (chance(3)) train.clear();
    return {join(line), join(train)};
  }

 private:
  bool chance(int percent) { return std::uniform_int_distribution<int>(0, 99)(rng_) < percent; }
  int range(int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng_); }
  int pick(std::initializer_list<int> v) { return *(v.begin() + range(0, static_cast<int>(v.size()) - 1)); }
  int step(int low, int high) { return range(low / 50, high / 50) * 50; }
  std::string grid(int at) { return std::to_string(chance(3) ? at + range(1, 49) : at); }
  std::string spoil_number(int v) { return chance(3) ? std::to_string(v * 100) : std::to_string(v); }

  // One mistake in about one row in eighty.
  std::string spoil(std::string row) {
    if (range(0, 999) >= 12) return row;
    switch (range(0, 6)) {
      case 0: return row.substr(0, row.rfind(','));          // a value missing
      case 1: return row + ", 7";                           // a field too many
      case 2: return row.insert(0, "# ");                   // commented out the wrong way
      case 3: return row.replace(0, 3, "xyz");              // a misspelt keyword
      case 4: return row.insert(row.find(',') + 1, " 99999999999,");  // a number too large
      case 5: return row.substr(0, row.find(',') + 1) + "\r\n" + row.substr(row.find(',') + 1);  // split over two lines
      default: return row.insert(0, "- , ");                // a comment field
    }
  }
  static std::string join(const std::vector<std::string>& lines) {
    std::string s;
    for (const std::string& l : lines) s += l + "\r\n";
    return s;
  }

  std::mt19937 rng_;
};

// What a person reads of diagnostics.
std::vector<std::string> shown(const std::vector<diagnostic>& ds) {
  std::vector<std::string> out;
  for (const diagnostic& d : ds) out.push_back(diagnostic_text(d));
  return out;
}

TEST(CheckAgreement, CheckBeginsWithWhatCompileTells) {
  constexpr int scenarios = 400;
  scenario_generator gen(20261211);
  int failing = 0, agreeing = 0;
  for (int i = 0; i < scenarios; ++i) {
    const generated g = gen.next();
    SCOPED_TRACE("scenario " + std::to_string(i) + "\n--- line\n" + g.line + "--- train\n" + g.train);
    const check_options options{{"Prova", "7"}, 1, test::kFolder, ""};

    test::memory_file_system compile_fs;
    compile_fs.files[test::kLineFile] = g.line;
    compile_fs.files[test::kTrainFile] = g.train;
    scenario_model model;
    const observed_compile compiled =
        compile_with_warnings(model, 1, compile_fs, options, write_policy::only_without_error);
    ASSERT_TRUE(compiled.result.io) << compiled.result.io.message;

    test::memory_file_system check_fs;
    check_fs.files[test::kLineFile] = g.line;
    check_fs.files[test::kTrainFile] = g.train;
    const check_report checked = check_scenario(options, check_fs);
    ASSERT_TRUE(checked.io);
    // The check writes and deletes nothing.
    ASSERT_EQ(check_fs.files.size(), 2u);
    EXPECT_EQ(check_fs.files[test::kLineFile], g.line);
    EXPECT_EQ(check_fs.files[test::kTrainFile], g.train);

    const bool compile_failed = compiled.result.error.has_value();
    failing += compile_failed;
    EXPECT_EQ(count(checked.diagnostics).errors > 0, compile_failed);
    EXPECT_EQ(compile_failed, count(compiled.diagnostics).errors > 0);
    const std::vector<std::string> told = shown(compiled.diagnostics), found = shown(checked.diagnostics);
    ASSERT_LE(told.size(), found.size());
    const bool prefix = std::equal(told.begin(), told.end(), found.begin());
    EXPECT_TRUE(prefix) << "compile:\n" << testing::PrintToString(told) << "\ncheck:\n" << testing::PrintToString(found);
    agreeing += prefix;
    for (const diagnostic& d : checked.diagnostics)
      if (d.level == severity::warning) {
        const auto names = warning_names();
        EXPECT_NE(std::find(names.begin(), names.end(), d.name), names.end()) << d.name << " is not in the list";
      }
  }
  // The generator must give both kinds, or the agreement says little.
  EXPECT_GT(failing, scenarios / 5);
  EXPECT_LT(failing, scenarios * 4 / 5);
  RecordProperty("agreeing", agreeing);
  RecordProperty("failing", failing);
  std::cout << "check agreement: " << agreeing << " of " << scenarios << " scenarios, " << failing
            << " of them failing\n";
}

}  // namespace
}  // namespace sb
