// The slow-order form, checked line by line and against the train
// description it must agree with.
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

TEST(SlowOrderForm, HoldsItsFortyThreeLines) {
  const std::string empty_row = " |   |                            |            |          |         |            |";
  const std::string rule = " |___|____________________________|____________|__________|_________|____________|";
  std::vector<std::string> expected = {
      "",
      "                               Modulo M. 3",
      "                           ORDINE DI RALLENTAMENTO",
      " ________________________________________________________________________________",
      "  Linea  ORTESA - VILDORO CENTRALE",
      "",
      "  Si ordina al macchinista del treno  418  di effettuare i seguenti rallentamenti",
      "  _______________________________________________________________________________",
      " |   |                            |Inizio dopo |          |         |            |",
      " | N.|      FRA LE STAZIONI       | il cippo   | Velocita'|Lunghezza|Prescrizioni|",
      " |   |   (o nelle Stazioni di)    |chilometrico|          |   metri | specifiche |",
      rule,
      " | 1 | TERVIA - MONSIA            |    324     |    60    |   200   |    ---     |",
  };
  expected.insert(expected.end(), 22, empty_row);
  for (const char* l : {"",
                        "              Prescrizioni specifiche",
                        " A - Da rispettare con tutto il treno (per i treni viaggiatori)",
                        " B - Interessa anche la stazione di .......",
                        " D - Rallentamneto N. ... e N. ...  sono contigui",
                        " C - Da rispettare dalle ore ....  alle ore ..... di tutti",
                        "     i giorni esclusi i seguenti:........."}) {
    if (expected.size() == 35) expected.push_back(rule);
    expected.push_back(l);
  }
  const std::vector<std::string> lines = split_crlf_lines(testo_rallentamenti().render());
  EXPECT_EQ(lines, expected);
  ASSERT_EQ(lines.size(), 43u);
  for (size_t i = 8; i <= 35; ++i) EXPECT_EQ(lines[i].size(), 82u) << "line " << i + 1;
}

TEST(SlowOrderForm, FilledRowIsTheTrainsSlowdown) {
  const std::vector<std::string> lines = split_crlf_lines(testo_rallentamenti().render());
  ASSERT_GE(lines.size(), 13u);
  const std::regex cells(R"( \| 1 \| ([A-Z]+) - ([A-Z]+) +\|    (\d{3})     \|    (\d{2})    \|   (\d{3})   \|    ---     \|)");
  std::smatch form;
  ASSERT_TRUE(std::regex_match(lines[12], form, cells)) << lines[12];

  const std::regex slowdown(R"(rallentamento, +(\d+), +(\d+), +(\d+),.*)");
  std::smatch train;
  std::string slowdown_row;
  for (const std::string& l : split_crlf_lines(testo_treno().render())) {
    if (std::regex_match(l, slowdown)) slowdown_row = l;
  }
  ASSERT_TRUE(std::regex_match(slowdown_row, train, slowdown));
  const long start = std::stol(train.str(1));
  EXPECT_EQ(std::stol(form.str(3)), start / 1000);
  EXPECT_EQ(form.str(4), train.str(2));
  EXPECT_EQ(form.str(5), train.str(3));

  // The two stations bound the slowdown's start and follow each other.
  const std::vector<train_station> stations = train_stations();
  bool bounded = false;
  for (size_t i = 0; i + 1 < stations.size(); ++i) {
    if (stations[i].name == form.str(1) && stations[i + 1].name == form.str(2)) {
      bounded = stations[i].position < start && start < stations[i + 1].position;
    }
  }
  EXPECT_TRUE(bounded);
}

}  // namespace
}  // namespace sb
