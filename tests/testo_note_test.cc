// The notes sheet handed to the driver.
#include <gtest/gtest.h>

#include <cctype>
#include <regex>

#include "documents/documents.h"
#include "support/shipped_train.h"
#include "support/test_support.h"

namespace sb {
namespace {

using test::split_crlf_lines;
using test::train_speeds;
using test::train_station;
using test::train_stations;

TEST(NotesSheet, HoldsItsNineLines) {
  const std::vector<std::string> expected = {
      "Simulazione del treno Intercity 418 'Frelanto' Bersica-Vildoro ",
      "(tratto simulato Ortesa - Vildoro Centrale).",
      "Il treno parte da Ortesa con un ritardo di 10 minuti, facilmente recuperabili.",
      "Buon divertimento",
      "",
      "Scenario a cura del gruppo di lavoro",
      "della linea Ortesa - Vildoro",
      "Orario Giugno 2001",
      "5R ",
  };
  EXPECT_EQ(split_crlf_lines(testo_note().render()), expected);
}

}  // namespace
}  // namespace sb
