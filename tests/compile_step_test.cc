#include "builder/compile_step.h"

#include <gtest/gtest.h>

#include "builder/compiled_files.h"
#include "support/reader_fixture.h"

namespace sb {
namespace {

compile_result build(test::memory_file_system& fs, scenario_model& m, write_policy policy) {
  m.route_name = "Prova";
  m.train_number = "7";
  return memorizza_percorso(m, 1, fs, test::kFolder, policy);
}

// A code of the protection pass belongs to no row, but the error still
// gives its chainage; it stands over an item left beyond the cells.
TEST(CompileStep, ThePassesLastFaultStandsWithItsChainage) {
  test::memory_file_system fs;
  fs.files[test::kLineFile] = test::line_text({"cartello_indicatore, 3950, A", "cartello_indicatore, 3900, B"});
  fs.files[test::kTrainFile] =
      test::train_text({"segnale, 4000, 2,4,0,0,0,2,1,0,0,0", "rallentamento, 6000, 60, 200, 0, 0, 0"});
  scenario_model m;
  const compile_result r = build(fs, m, write_policy::always);
  ASSERT_TRUE(r.error);
  EXPECT_EQ(*r.error, (build_error{error::no_room_before_warning, 4050, {}, 0, {}}));
  EXPECT_EQ(m.error_code, 11);
  EXPECT_EQ(m.error_position, 4050);
  EXPECT_TRUE(r.files_written);
}

// The stop codes write nothing, whatever the policy; an authors' build
// writes nothing on any fault.
TEST(CompileStep, WhatIsWrittenOnAFault) {
  const struct {
    std::string line, train;
    write_policy policy;
    error code;
    bool written;
  } cases[] = {
      {test::line_text({"cartello_indicatore, 0, A"}), test::train_text({}), write_policy::always,
       error::marker_in_use, false},
      {test::line_text({}), test::train_text({"abbattimento, 1000, 1", "abbattimento, 1000, 0"}),
       write_policy::always, error::reduction_cell_taken, true},
      {test::line_text({}), test::train_text({"abbattimento, 1000, 1", "abbattimento, 1000, 0"}),
       write_policy::only_without_error, error::reduction_cell_taken, false},
  };
  for (const auto& c : cases) {
    test::memory_file_system fs;
    fs.files[test::kLineFile] = c.line;
    fs.files[test::kTrainFile] = c.train;
    scenario_model m;
    const compile_result r = build(fs, m, c.policy);
    ASSERT_TRUE(r.error);
    EXPECT_EQ(r.error->code, c.code);
    EXPECT_EQ(r.files_written, c.written);
    EXPECT_EQ(fs.files.count(join_path(test::kFolder, "Prova_7.dat")), c.written ? 1u : 0u);
  }
}

// A failure on the last compiled file leaves none of the three written.
TEST(CompileStep, TheCompiledFilesAreWrittenAsOneSet) {
  test::failing_file_system fs(join_path(test::kFolder, "Prova_7.dat"));
  fs.files[test::kLineFile] = test::line_text({});
  fs.files[test::kTrainFile] = test::train_text({});
  scenario_model m;
  const compile_result r = build(fs, m, write_policy::always);
  EXPECT_FALSE(r.io);
  EXPECT_EQ(r.io.message, join_path(test::kFolder, "Prova_7.dat") + ": No space left on device");
  EXPECT_FALSE(r.files_written);
  EXPECT_TRUE(fs.files.empty());
}

}  // namespace
}  // namespace sb
