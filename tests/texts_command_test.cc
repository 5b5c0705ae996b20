#include "app/texts_command.h"

#include <gtest/gtest.h>

#include "documents/documents.h"
#include "support/test_support.h"

namespace sb {
namespace {

// The two shipped texts, byte for byte as the plain run writes them, and
// nothing else.
TEST(TextsCommand, LeavesExactlyTheTwoShippedTexts) {
  test::temp_folder dir;
  const auto r = test::run_program(test::program_path(), {"texts", "--dir", dir.path()});
  EXPECT_EQ(r.exit_status, 0) << r.err;
  EXPECT_EQ(test::list_folder(dir.path()),
            (std::vector<std::string>{"Ortesa-Vildoro_418-.txt", "Ortesa-Vildoro_linea.txt"}));
  EXPECT_EQ(test::read_bytes(dir.file("Ortesa-Vildoro_linea.txt")), testo_linea().render());
  EXPECT_EQ(test::read_bytes(dir.file("Ortesa-Vildoro_418-.txt")), testo_treno().render());
  const auto missing = test::run_program(test::program_path(), {"texts", "--dir", dir.file("none")});
  EXPECT_EQ(missing.exit_status, 2);
  EXPECT_NE(missing.err.find(dir.file("none")), std::string::npos);
}

}  // namespace
}  // namespace sb
