// The train description's content: its sections, quoted lines, and the
// layout of the speed, station and signal rows.
#include <gtest/gtest.h>

#include <map>
#include <regex>
#include <sstream>

#include "documents/documents.h"
#include "support/test_support.h"

namespace sb {
namespace {

std::vector<std::string> train_file() { return test::split_crlf_lines(testo_treno().render()); }

std::vector<std::string> rows(const std::vector<std::string>& lines, size_t first, size_t last) {
  return {lines.begin() + static_cast<long>(first), lines.begin() + static_cast<long>(last) + 1};
}

TEST(TrainDescription, SectionsAndFixedLinesStandAtTheirPlaces) {
  const auto lines = train_file();
  ASSERT_EQ(lines.size(), 132u);
  const std::map<size_t, std::string> fixed = {
      {0, "[generale]"},
      {1, "numero vetture,    10"},
      {2, "percentuale massa frenata,    125"},
      {3, "sabbia,    200"},
      {4, "orologio,    21              56            30 "},
      {5, "[aderenze]"},
      {6, "aderenza,   0,    100"},
      {7, "[vel_limite]"},
      {8, "velocita,  201900,    75"},
      {9, "velocita,  204350,   160"},
      {30, "[stazioni]"},
      {31, "stazione,  203900,  2,  800,  0, 0, 0,  1,1,0,  4,1,1,    1,  21,56,50, ORTESA"},
      {32, "stazione,   209500, 12,  500,  0, 0, 0,  1,1,0,  4,1,1,    0,   0, 0, 0, BRASCOLA"},
      {37, "stazione,  246700,  4,  600,  0, 0, 0,  1,1,0,  4,1,1,   45,  22,14, 0, LUMERA ALTA-VESCONE"},
      {46, "stazione,  306000, 28,  200,  0, 0, 0,  0,0,0,  0,0,0,    0,   0, 0, 0, FELSINARE"},
      {52, "stazione,  350000,  2,  500,  1, 0, 0,  1,1,0,  2,1,1,    0,  23,23, 0, VILDORO CENTRALE"},
      {53, "[rallentamenti]"},
      {54, "rallentamento,  324900,    60,  200, 0,  0,  60"},
      {55, "[segnali]"},
      {56, "segnale,   205800,   2, 4, 0,  0, 0,    0,  0,0,0, 0"},
      {59, "segnale,  211300,   2, 4, 0,  0, 0,    2,  1,0,0, 0"},
      {103, "segnale,  300050,   2, 3, 1,  0, 0,    2,  3,1,0, 120"},
      {129, "segnale,  348950,   2, 2, 3,  1, 1,    2,  2,1,1, 0"},
      {130, "[codici]"},
      {131, "[fine]"},
  };
  for (const auto& [index, text] : fixed) EXPECT_EQ(lines[index], text) << "line " << index + 1;
}

TEST(TrainDescription, SpeedRowsRightAlignTheirSpeedInSixCharacters) {
  const std::vector<std::pair<long, int>> table = {
      {201900, 75},  {204350, 160}, {208600, 135}, {219950, 160}, {226050, 135}, {229000, 160},
      {231800, 170}, {246050, 135}, {247950, 170}, {271000, 130}, {274200, 150}, {300050, 145},
      {303500, 150}, {312350, 125}, {314350, 150}, {323500, 140}, {326000, 150}, {337150, 130},
      {341500, 150}, {345550, 160}, {348050, 115}, {349800, 70},
  };
  const std::regex layout(R"(velocita,  (\d{6}),( *)(\d+))");
  std::vector<std::pair<long, int>> found;
  for (const std::string& l : rows(train_file(), 8, 29)) {
    std::smatch m;
    ASSERT_TRUE(std::regex_match(l, m, layout)) << l;
    EXPECT_EQ(m.length(2) + m.length(3), 6) << l;
    const long chainage = std::stol(m.str(1));
    EXPECT_EQ(chainage % 50, 0);
    if (!found.empty()) {
      EXPECT_GT(chainage, found.back().first);
    }
    found.emplace_back(chainage, std::stoi(m.str(3)));
  }
  EXPECT_EQ(found, table);
}

TEST(TrainDescription, StationRowsFollowTheTableAndTheFixedLayout) {
  // Fields 1 to 16 as the table gives them, then the name.
  const char* const table[] = {
      "203900 2 800 0 0 0 1 1 0 4 1 1 1 21 56 50 ORTESA",
      "209500 12 500 0 0 0 1 1 0 4 1 1 0 0 0 0 BRASCOLA",
      "219200 12 600 0 0 0 1 1 0 4 1 1 0 0 0 0 CASTELRIVO",
      "227500 12 600 0 0 0 1 1 0 4 1 1 0 0 0 0 SAN VERANO",
      "231800 12 600 0 0 0 1 1 0 4 1 1 0 0 0 0 POGGIOLMO",
      "240600 22 200 0 0 0 0 0 0 4 1 1 0 0 0 0 BIVIO TRESANE",
      "246700 4 600 0 0 0 1 1 0 4 1 1 45 22 14 0 LUMERA ALTA-VESCONE",
      "253200 12 500 0 0 0 1 1 0 4 1 1 0 0 0 0 MARVENZA",
      "262300 12 600 0 0 0 1 1 0 4 1 1 45 22 26 0 ROCCADORA",
      "272650 12 500 0 0 0 1 1 0 4 1 1 0 0 0 0 SELVARA",
      "280600 12 600 0 0 0 1 1 0 4 1 1 0 0 0 0 CAMPOLUNE",
      "284000 12 600 0 0 0 1 1 0 4 1 1 0 0 0 0 FORNELIA",
      "288500 2 600 0 0 1 1 1 0 4 1 1 70 22 43 0 VALMERISE",
      "293300 12 600 0 0 0 1 1 0 4 1 1 0 0 0 0 PIANSERRA",
      "302200 12 600 0 0 0 1 1 0 4 1 1 0 0 0 0 BORGO ALDINO",
      "306000 28 200 0 0 0 0 0 0 0 0 0 0 0 0 0 FELSINARE",
      "312350 4 600 0 0 0 1 1 0 4 1 1 45 22 59 0 LIRAVA",
      "321650 12 600 0 0 0 1 1 0 4 1 1 0 0 0 0 TERVIA",
      "330750 12 600 0 0 0 1 1 0 4 1 1 0 0 0 0 MONSIA",
      "337150 12 600 0 0 0 1 1 0 4 1 1 0 0 0 0 CERVALTO",
      "343000 12 600 0 0 0 1 1 0 4 1 1 0 0 0 0 SOVERNA",
      "350000 2 500 1 0 0 1 1 0 2 1 1 0 23 23 0 VILDORO CENTRALE",
  };
  // The layout written out as widths: blanks before the chainage, type in
  // three characters, stop value in five, hours in four, minutes and
  // seconds in two.
  const std::regex layout(
      R"(stazione,( {2,3})(\d{6}),([ \d]{3}),  (\d{3}),  (\d), (\d), (\d),  (\d),(\d),(\d),  (\d),(\d),(\d),)"
      R"(([ \d]{5}),([ \d]{4}),([ \d]{2}),([ \d]{2}), ([A-Z][A-Z -]*[A-Z]))");
  const auto station_rows = rows(train_file(), 31, 52);
  std::map<int, int> kinds, lengths;
  int timed = 0;
  for (size_t i = 0; i < station_rows.size(); ++i) {
    const std::string& l = station_rows[i];
    std::smatch m;
    ASSERT_TRUE(std::regex_match(l, m, layout)) << l;
    EXPECT_EQ(m.length(1), i == 1 ? 3 : 2) << l;
    std::string fields;
    for (size_t k = 2; k <= 17; ++k) fields += std::to_string(std::stoi(m.str(k))) + " ";
    EXPECT_EQ(fields + m.str(18), table[i]);
    ++kinds[std::stoi(m.str(3))];
    ++lengths[std::stoi(m.str(4))];
    timed += std::stoi(m.str(15)) != 0;
  }
  EXPECT_EQ(kinds, (std::map<int, int>{{2, 3}, {4, 2}, {12, 15}, {22, 1}, {28, 1}}));
  EXPECT_EQ(lengths, (std::map<int, int>{{200, 2}, {500, 4}, {600, 15}, {800, 1}}));
  EXPECT_EQ(timed, 6);
}

TEST(TrainDescription, SignalRowsUseTheThirteenKindsInTheirOrder) {
  const std::map<char, std::string> kinds = {
      {'A', "4 0 0 0 2 1 0 0 0"},   {'B', "4 1 0 0 2 3 1 0 0"}, {'C', "4 1 1 0 2 2 1 1 0"},
      {'D', "3 1 1 0 2 2 1 1 0"},   {'E', "4 0 0 0 0 0 0 0 0"}, {'F', "4 1 0 0 0 0 0 0 0"},
      {'G', "4 1 1 0 0 0 0 0 0"},   {'H', "4 1 0 0 2 2 1 0 0"}, {'I', "3 0 0 0 2 1 0 0 0"},
      {'J', "3 1 0 0 2 3 1 0 120"}, {'K', "4 1 1 0 2 2 1 1 135"}, {'L', "5 6 0 0 2 3 1 0 0"},
      {'M', "2 3 1 1 2 2 1 1 0"},
  };
  const char* const table =
      "205800 E; 207550 F; 208600 G; 211300 A; 213050 A; 214800 A; 216600 B; 218100 C; 221200 A; 222800 A; "
      "224500 B; 225950 C; 229400 B; 230700 C; 234200 A; 235500 A; 236800 A; 238100 B; 239400 H; 242100 A; "
      "244000 B; 245550 D; 248700 A; 250600 B; 252100 C; 255450 A; 257000 A; 258650 A; 260050 B; 261200 D; "
      "264450 A; 266400 A; 268250 A; 270150 B; 271450 C; 274550 A; 276550 A; 278250 B; 279500 C; 282650 C; "
      "285800 B; 287400 D; 290300 B; 291950 C; 295300 A; 297050 A; 298600 I; 300050 J; 301100 K; 304700 A; "
      "306550 A; 308350 A; 310150 B; 311350 D; 314700 A; 316400 A; 317950 A; 319450 B; 320550 C; 323950 A; "
      "325700 A; 327050 A; 328450 B; 329650 C; 332950 A; 334750 B; 336000 C; 339050 A; 340450 B; 341950 C; "
      "344750 A; 346150 A; 347500 L; 348950 M";
  std::vector<std::string> expected;
  std::istringstream in(table);
  std::string position, kind;
  while (in >> position >> kind) expected.push_back(position + " " + kinds.at(kind[0]));

  const std::regex layout(
      R"(segnale,( {2,3})(\d{6}),   (2), (\d), (\d),  (\d), (\d),    (\d),  (\d),(\d),(\d), (\d+))");
  const auto signal_rows = rows(train_file(), 56, 129);
  ASSERT_EQ(signal_rows.size(), expected.size());
  std::map<std::string, int> uses;
  for (size_t i = 0; i < signal_rows.size(); ++i) {
    const std::string& l = signal_rows[i];
    std::smatch m;
    ASSERT_TRUE(std::regex_match(l, m, layout)) << l;
    EXPECT_EQ(m.length(1), i < 3 ? 3 : 2) << l;
    std::string values = m.str(4);
    for (size_t k = 5; k <= 12; ++k) values += " " + m.str(k);
    EXPECT_EQ(m.str(2) + " " + values, expected[i]);
    EXPECT_EQ(std::stol(m.str(2)) % 50, 0);
    ++uses[values];
  }
  const std::map<char, int> counts = {{'A', 33}, {'B', 16}, {'C', 12}, {'D', 4}};
  for (const auto& [k, values] : kinds) {
    EXPECT_EQ(uses[values], counts.count(k) ? counts.at(k) : 1) << "kind " << k;
  }
}

}  // namespace
}  // namespace sb
