// The line description's content: its sections, quoted lines, and the
// layout and counting rules of the curve, gradient and board rows.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <regex>
#include <sstream>

#include "documents/documents.h"
#include "support/test_support.h"

namespace sb {
namespace {

std::vector<std::string> line_file() { return test::split_crlf_lines(testo_linea().render()); }

std::vector<std::string> rows(const std::vector<std::string>& lines, size_t first, size_t last) {
  return {lines.begin() + static_cast<long>(first), lines.begin() + static_cast<long>(last) + 1};
}

TEST(LineDescription, SectionsAndFixedLinesStandAtTheirPlaces) {
  const auto lines = line_file();
  ASSERT_EQ(lines.size(), 161u);
  const std::map<size_t, std::string> fixed = {
      {0, "[generale]"},
      {1, "lunghezza percorso,    358000"},
      {2, "progressiva chilometrica uno,    0,    0,    0"},
      {3, "progressiva chilometrica due,    0,    0,    0"},
      {4, "progressiva chilometrica tre,    0,    0,    0"},
      {5, "sfondo uno,    1"},
      {6, "sfondo due,    0"},
      {7, "sfondo tre,    0"},
      {8, "ripetizione segnali 4 codici,    0,    349000"},
      {9, "[curve]"},
      {10, "curvad1,  1000,  600"},
      {11, "curvas1,  5000,  1000"},
      {12, "curvad2,  9000,  400"},
      {13, "curvas3,  12000,  600"},
      {30, "curvas3,  106000,  1000"},
      {32, "curvas3, 111950,  1000"},
      {40, "curvas4, 134300,  950"},
      {41, "curvad5, 135250,  300"},
      {94, "curvad3,  347650,  600"},
      {95, "[pendenze]"},
      {96, "pendenza, 202050,   0"},
      {97, "pendenza, 205050,  10"},
      {99, "pendenza, 210050,  -5"},
      {124, "[montagne]"},
      {125, "montagna,   204400,  209250,  11"},
      {126, "[cartelli]"},
      {127, "indicatori_vmax, 204350,  140,  155,  160,  0,  140,  155,  160,  0"},
      {129, "indicatori_vmax,  219950,  140,  150,  160,  0,  140,  150,  160,  0"},
      {157, "[indicazioni]"},
      {158, "cartello_indicatore,  208550,   (Km 208+500)"},
      {159, "cartello_indicatore,  323450,   (Km 323+402)"},
      {160, "[fine]"},
  };
  for (const auto& [index, text] : fixed) EXPECT_EQ(lines[index], text) << "line " << index + 1;
  // Quoted rows whose place the file's order fixes only through the tables.
  for (const char* row : {"curvad3, 221650,  3000", "curvad5, 245950,  100", "curvad6, 204300,  250",
                          "curvas6, 314600,  300"}) {
    EXPECT_EQ(std::count(lines.begin(), lines.end(), row), 1) << row;
  }
}

struct curve {
  char side;
  int curve_class;
  long start;
  long length;
  int blanks;
  bool operator==(const curve&) const = default;
};

// Every row of the curve table, in file order; '*' marks the six-digit
// starts written with two blanks.
const char* const curve_table =
    "d1 1000 600; s1 5000 1000; d2 9000 400; s3 12000 600; d1 20000 1000; d1 25000 1000; d2 30000 800; "
    "d1 33000 1000; d1 36000 500; s1 40000 2000; s2 50000 400; d2 50500 500; d1 55000 800; d1 60000 800; "
    "s1 65000 1000; s3 70000 500; s1 72000 500; s2 80000 500; s2 88000 500; s3 95000 300; s3 106000 1000*; "
    "d4 109800 800*; s3 111950 1000; s5 113050 200; d5 114450 500; s1 119150 2000; s2 124100 800; "
    "d2 128050 1000; s1 132300 300; d4 133500 400; s4 134300 950; d5 135250 300; d3 140050 2000; "
    "s4 142450 600; s4 145000 400*; d4 146500 400*; d1 153750 1000; s1 163850 1000; s1 174050 1000; "
    "d1 193050 1000; s2 199300 700*; d2 200000 700*; s4 202200 850*; d6 204300 250; s4 208900 400; "
    "s4 211000 500; d3 213000 2000; d3 215350 1000; s4 217550 1400; d3 221650 3000; s3 227050 2000; "
    "d3 229050 2000; s5 232600 200; d2 234400 2000*; d4 240800 300*; s3 241200 700*; d5 245950 100; "
    "s5 247050 200; d3 271750 600; d4 272800 400; s4 273250 300; s4 287650 500; d4 290050 400; "
    "s3 294650 600*; d5 301050 400; s5 301450 600; s3 302450 1000; d4 304550 900; d4 308350 400*; "
    "d4 312700 500; s4 313750 600; s6 314600 300; d5 315350 500; d5 322450 400; s5 323200 500; "
    "s4 324350 500; d5 324850 300; s4 329550 500; d4 330050 500; s3 341750 1000; d4 343400 550*; "
    "s4 344450 600*; s2 346050 400*; s3 347050 400*; d3 347650 600*";

std::vector<curve> curves_of_table() {
  std::vector<curve> out;
  std::istringstream in(curve_table);
  std::string kind, start, length;
  while (in >> kind >> start >> length) {
    if (length.back() == ';') length.pop_back();
    const bool starred = length.back() == '*';
    if (starred) length.pop_back();
    const long s = std::stol(start);
    out.push_back({kind[0], kind[1] - '0', s, std::stol(length), (s < 100000 || starred) ? 2 : 1});
  }
  return out;
}

std::vector<curve> curves_of_file() {
  const std::regex layout(R"(curva([ds])([1-6]),( {1,2})(\d+),  (\d+))");
  std::vector<curve> out;
  for (const std::string& l : rows(line_file(), 10, 94)) {
    std::smatch m;
    EXPECT_TRUE(std::regex_match(l, m, layout)) << l;
    if (m.empty()) continue;
    out.push_back({m.str(1)[0], m.str(2)[0] - '0', std::stol(m.str(4)), std::stol(m.str(5)),
                   static_cast<int>(m.length(3))});
  }
  return out;
}

TEST(LineDescription, CurveRowsFollowTheTableAndItsRules) {
  const std::vector<curve> curves = curves_of_file();
  ASSERT_EQ(curves.size(), 85u);
  EXPECT_EQ(curves, curves_of_table());

  std::map<std::pair<int, char>, int> by_class;
  int short_two = 0, six_one = 0, six_two = 0, touching = 0;
  for (size_t i = 0; i < curves.size(); ++i) {
    const curve& c = curves[i];
    ++by_class[{c.curve_class, c.side}];
    EXPECT_EQ(c.start % 50, 0);
    EXPECT_EQ(c.length % 50, 0);
    EXPECT_GE(c.length, 100);
    EXPECT_LE(c.length, 3000);
    if (c.start < 100000) {
      short_two += c.blanks == 2;
    } else {
      (c.blanks == 1 ? six_one : six_two) += 1;
    }
    if (i + 1 < curves.size()) {
      EXPECT_LT(c.start, curves[i + 1].start);
      EXPECT_LE(c.start + c.length, curves[i + 1].start) << "curve at " << c.start;
      touching += c.start + c.length == curves[i + 1].start;
    }
  }
  EXPECT_EQ(curves.front().start, 1000);
  EXPECT_EQ(curves.back().start, 347650);
  EXPECT_EQ(short_two, 20);
  EXPECT_EQ(six_one, 48);
  EXPECT_EQ(six_two, 17);
  EXPECT_EQ(touching, 6);
  const std::map<std::pair<int, char>, int> expected = {
      {{1, 'd'}, 9}, {{1, 's'}, 8},  {{2, 'd'}, 6},  {{2, 's'}, 6}, {{3, 'd'}, 7}, {{3, 's'}, 11},
      {{4, 'd'}, 11}, {{4, 's'}, 13}, {{5, 'd'}, 7}, {{5, 's'}, 5}, {{6, 'd'}, 1}, {{6, 's'}, 1},
  };
  EXPECT_EQ(by_class, expected);
}

TEST(LineDescription, GradientRowsRightAlignTheirValueInFourCharacters) {
  const std::vector<std::pair<long, int>> table = {
      {202050, 0},  {205050, 10}, {209050, 0},  {210050, -5}, {219050, 1},  {227050, 4},  {231050, 0},
      {232850, 4},  {240050, -5}, {246050, 0},  {247550, 4},  {261050, 0},  {263050, -5}, {272650, -6},
      {280600, 2},  {283050, 5},  {287050, 0},  {291050, -6}, {299050, 5},  {301550, 0},  {302850, -5},
      {311050, 0},  {326050, 5},  {331050, 6},  {333050, -5}, {339050, 0},  {343050, 8},  {345050, 0},
  };
  const std::regex layout(R"(pendenza, (\d{6}),( *)(-?\d+))");
  std::vector<std::pair<long, int>> found;
  long previous = 0;
  for (const std::string& l : rows(line_file(), 96, 123)) {
    std::smatch m;
    ASSERT_TRUE(std::regex_match(l, m, layout)) << l;
    EXPECT_EQ(m.length(2) + m.length(3), 4) << l;
    const long chainage = std::stol(m.str(1));
    const int value = std::stoi(m.str(3));
    EXPECT_GT(chainage, previous);
    EXPECT_EQ(chainage % 50, 0);
    EXPECT_GE(value, -6);
    EXPECT_LE(value, 10);
    previous = chainage;
    found.emplace_back(chainage, value);
  }
  EXPECT_EQ(found, table);
}

TEST(LineDescription, BoardRowsRepeatTheirSpeedsOnBothSides) {
  struct board {
    long chainage;
    int va, vb, vc, stripes;
    bool operator==(const board&) const = default;
  };
  const std::vector<board> table = {
      {204350, 140, 155, 160, 0}, {207450, 120, 130, 135, 0}, {219950, 140, 150, 160, 0},
      {224950, 120, 130, 135, 0}, {229100, 140, 150, 160, 0}, {232300, 140, 160, 170, 0},
      {244550, 120, 130, 135, 2}, {244750, 120, 130, 135, 1}, {244950, 120, 130, 135, 0},
      {248050, 140, 160, 180, 0}, {269550, 120, 125, 130, 2}, {269750, 120, 125, 130, 1},
      {269950, 120, 125, 130, 0}, {274250, 140, 150, 150, 0}, {298950, 130, 135, 145, 0},
      {303500, 140, 150, 150, 0}, {311200, 110, 115, 125, 0}, {314350, 140, 150, 150, 0},
      {322600, 130, 135, 140, 0}, {326100, 140, 150, 150, 0}, {333850, 130, 140, 150, 0},
      {335950, 125, 130, 130, 0}, {341500, 130, 140, 150, 0}, {345550, 140, 150, 160, 0},
      {346350, 100, 110, 115, 2}, {346650, 100, 110, 115, 1}, {346950, 100, 110, 115, 0},
      {348350, 60, 65, 70, 2},    {348650, 60, 65, 70, 1},    {348900, 60, 65, 70, 0},
  };
  const std::regex layout(
      R"(indicatori_vmax,( {1,2})(\d{6}),  (\d+),  (\d+),  (\d+),  (\d),  (\d+),  (\d+),  (\d+),  (\d))");
  std::vector<board> found;
  int wide = 0, plain = 0;
  for (const std::string& l : rows(line_file(), 127, 156)) {
    std::smatch m;
    ASSERT_TRUE(std::regex_match(l, m, layout)) << l;
    for (int k = 3; k <= 6; ++k) EXPECT_EQ(m.str(k), m.str(k + 4)) << l;
    const board b{std::stol(m.str(2)), std::stoi(m.str(3)), std::stoi(m.str(4)), std::stoi(m.str(5)),
                  std::stoi(m.str(6))};
    EXPECT_LE(b.va, b.vb);
    EXPECT_LE(b.vb, b.vc);
    EXPECT_GE(b.va, 60);
    EXPECT_LE(b.vc, 180);
    if (!found.empty()) {
      EXPECT_GT(b.chainage, found.back().chainage);
    }
    (b.stripes == 0 ? plain : wide) += 1;
    found.push_back(b);
  }
  EXPECT_EQ(found, table);
  EXPECT_EQ(plain, 22);
  EXPECT_EQ(wide, 8);
  // Stripes count down 2, 1, 0 over three boards with the same speeds.
  for (size_t i = 0; i < found.size(); ++i) {
    if (found[i].stripes != 2) continue;
    ASSERT_LT(i + 2, found.size());
    for (size_t k = 1; k <= 2; ++k) {
      EXPECT_EQ(found[i + k].stripes, 2 - static_cast<int>(k));
      EXPECT_EQ(found[i + k].va, found[i].va);
      EXPECT_EQ(found[i + k].vc, found[i].vc);
    }
  }
}

}  // namespace
}  // namespace sb
