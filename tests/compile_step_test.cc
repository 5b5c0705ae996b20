#include "builder/compile_step.h"

#include <gtest/gtest.h>

#include "builder/error_codes.h"
#include "reader_fixture.h"

namespace sb {
namespace {

// A code of the protection pass belongs to no row, but the error line
// still gives its chainage.
TEST(CompileStep, ProtectionPassCodesCarryTheirChainage) {
  memory_file_system fs;
  fs.files[test::kLineFile] = test::line_text({"cartello_indicatore, 3950, A", "cartello_indicatore, 3900, B"});
  fs.files[test::kTrainFile] =
      test::train_text({"segnale, 4000, 2,4,0,0,0,2,1,0,0,0", "rallentamento, 6000, 60, 200, 0, 0, 0"});
  scenario_model m;
  m.route_name = "Prova";
  m.train_number = "7";
  int32_t j = 1;
  const compile_result r = memorizza_percorso(m, j, fs, test::kFolder, write_policy::always);
  ASSERT_EQ(m.error_code, 11);
  EXPECT_EQ(describe_error(m.error_code, m.error_position, r.site),
            "error 11 at 4050 m: " + std::string(error_meaning(11)));
}

}  // namespace
}  // namespace sb
