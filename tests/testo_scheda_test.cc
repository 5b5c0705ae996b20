// The timetable card, checked line by line and against the train
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

// One timetable row as the card's columns show it.
struct card_row {
  std::string limit, running, chainage, place, time, recovery;
  bool operator==(const card_row&) const = default;
};

std::ostream& operator<<(std::ostream& os, const card_row& r) {
  return os << r.limit << "|" << r.running << "|" << r.chainage << "|" << r.place << "|" << r.time << "|"
            << r.recovery;
}

std::string trimmed(const std::string& s) {
  const size_t a = s.find_first_not_of(' ');
  if (a == std::string::npos) return "";
  return s.substr(a, s.find_last_not_of(' ') - a + 1);
}

// Checks the cell layout of one 83-character row and reads it; times come
// back as "d 21.47", "p 21.53", "s 22.12 22.14" or "a 23.23".
card_row read_card_row(const std::string& l) {
  EXPECT_EQ(l.size(), 83u) << l;
  if (l.size() != 83) return {};
  for (size_t bar : {1, 7, 13, 24, 30, 59, 76, 82}) EXPECT_EQ(l[bar], '|') << l;
  const std::string limit = l.substr(2, 5), running = l.substr(8, 5), chainage = l.substr(14, 10),
                    no_rs = l.substr(25, 5), place = l.substr(31, 28), time = l.substr(60, 16),
                    recovery = l.substr(77, 5);
  const std::regex speed_cell(R"( {5}| *\d+ )");
  EXPECT_TRUE(std::regex_match(limit, speed_cell)) << l;
  EXPECT_TRUE(std::regex_match(running, speed_cell)) << l;
  EXPECT_TRUE(std::regex_match(chainage, std::regex(R"( {10}| \d{3}\.\d{3}  )"))) << l;
  EXPECT_EQ(no_rs, "     ") << l;
  EXPECT_TRUE(std::regex_match(place, std::regex(R"( [^ ].{26})"))) << l;
  EXPECT_TRUE(std::regex_match(recovery, std::regex(R"( {5}| \d\.\d )"))) << l;

  std::string when;
  std::smatch m;
  const std::string hhmm = R"((\d\d\.\d\d))";
  if (std::regex_match(time, m, std::regex(" {9}" + hhmm + " {2}"))) {
    when = "d " + m.str(1);
  } else if (std::regex_match(time, m, std::regex(" {6}" + hhmm + " {5}"))) {
    when = "p " + m.str(1);
  } else if (std::regex_match(time, m, std::regex(" " + hhmm + " - " + hhmm + " {2}"))) {
    when = "s " + m.str(1) + " " + m.str(2);
  } else if (std::regex_match(time, m, std::regex(" " + hhmm + " {10}"))) {
    when = "a " + m.str(1);
  } else {
    EXPECT_EQ(time, std::string(16, ' ')) << l;
  }
  return {trimmed(limit), trimmed(running), trimmed(chainage), trimmed(place), when, trimmed(recovery)};
}

TEST(TimetableCard, HeadAndFootAreExact) {
  const std::vector<std::string> lines = split_crlf_lines(testo_scheda().render());
  ASSERT_EQ(lines.size(), 57u);
  const std::vector<std::string> head = {
      "",
      "",
      "  ___________________                                               ______________",
      " |                   |                    SCHEDA                   |              |",
      " |   TRENO n. 418    |                   da: Ortesa                |    V200 C    |",
      " |___________________|                    a: Vildoro Centrale      |     125%     |",
      "                                                                   |______________|",
      "  ___________________                ___________________",
      " |  CLASSIFICAZIONE  |              |  MASSA BLOCCATA   |       ",
      " |        IC         |              |      600T         |",
      " |___________________|              |___________________|",
      "",
      "  ________________________________________________________________________________",
      " | Vel.| Vel.| Progr Km |  No |   Localita' di  Servizio   |     Orario     | Rec |",
      " | Lim.|Marc.|          |  Rs |                            |                |     |",
      " |_____|_____|__________|_____|____________________________|________________|_____|",
  };
  EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 16), head);
  EXPECT_EQ(lines[55], head[15]);
  EXPECT_EQ(lines[56], "");
  // Rows quoted whole.
  EXPECT_EQ(lines[16], " |  75 |  60 | 204.000  |     | ORTESA                     |         21.47  |     |");
  EXPECT_EQ(lines[17], " | 160 | 120 | 204.359  |     | Imb.Nord Gall. Km 204.359  |                |     |");
  EXPECT_EQ(lines[18], " | 135 | 130 | 208.500  |     | Km 208.500                 |                |     |");
  EXPECT_EQ(lines[21], " | 160 | 150 | 220.000  |     | Cippo Km 220.000           |                |     |");
  EXPECT_EQ(lines[54], " |  70 |  70 | 349.970  |     | VILDORO CENTRALE           | 23.23          | 2.0 |");
}

TEST(TimetableCard, RowsFollowTheTimetable) {
  // The card's table; "*" stands for the station that the train
  // description lists next.
  const std::vector<card_row> table = {
      {"75", "60", "204.000", "*", "d 21.47", ""},
      {"160", "120", "204.359", "Imb.Nord Gall. Km 204.359", "", ""},
      {"135", "130", "208.500", "Km 208.500", "", ""},
      {"", "", "209.500", "*", "p 21.53", "1.0"},
      {"", "", "219.190", "*", "p 21.58", "1.0"},
      {"160", "150", "220.000", "Cippo Km 220.000", "", ""},
      {"135", "130", "", "Segn.Prot. San Verano", "", ""},
      {"", "", "227.500", "*", "p 22.02", "0.5"},
      {"160", "150", "229.000", "Km 229.000", "", ""},
      {"170", "", "231.810", "*", "p 22.04", ""},
      {"", "", "240.590", "*", "p 22.08", "0.5"},
      {"135", "135", "246.000", "Cippo Km 246.000", "", ""},
      {"", "", "246.700", "*", "s 22.12 22.14", "0.5"},
      {"170", "160", "248.000", "Cippo Km 248.000", "", ""},
      {"", "", "253.200", "*", "p 22.19", "0.5"},
      {"", "", "262.290", "*", "s 22.25 22.26", "1.0"},
      {"130", "130", "271.000", "Cippo Km 271.000", "", ""},
      {"", "", "272.530", "*", "p 22.32", "0.5"},
      {"150", "140", "274.204", "Torrente Arvenza", "", ""},
      {"", "", "280.580", "*", "p 22.35", ""},
      {"", "", "283.970", "*", "p 22.37", ""},
      {"", "", "288.490", "*", "s 22.41 22.43", "0.5"},
      {"", "", "293.270", "*", "p 22.47", "0.5"},
      {"145", "", "", "Segn.Avv. Borgo Aldino", "", ""},
      {"", "", "302.190", "*", "p 22.52", "1.0"},
      {"150", "", "303.510", "Km 303.510", "", ""},
      {"", "", "305.980", "*", "p 22.54", "0.5"},
      {"125", "125", "312.360", "*", "s 22.57 22.59", ""},
      {"150", "140", "314.347", "Torrente Lisora", "", ""},
      {"", "", "321.660", "*", "p 23.05", "0.5"},
      {"140", "", "323.402", "Km 323.402", "", ""},
      {"150", "150", "326.000", "Cippo Km 326.000", "", ""},
      {"", "", "330.730", "*", "p 23.09", ""},
      {"130", "130", "337.140", "*", "p 23.13", "0.5"},
      {"150", "150", "341.500", "Km 341.500", "", ""},
      {"", "", "342.990", "*", "p 23.16", "0.5"},
      {"160", "", "345.557", "Km 345.557", "", ""},
      {"115", "115", "348.000", "Cippo Km 348.000", "", ""},
      {"70", "70", "349.970", "*", "a 23.23", "2.0"},
  };
  const std::vector<std::string> lines = split_crlf_lines(testo_scheda().render());
  ASSERT_EQ(lines.size(), 57u);
  const std::vector<train_station> stations = train_stations();
  ASSERT_EQ(stations.size(), 22u);

  std::vector<int> limits;
  size_t next_station = 0;
  for (size_t i = 0; i < table.size(); ++i) {
    card_row row = read_card_row(lines[16 + i]);
    SCOPED_TRACE("row " + std::to_string(i + 1) + ": " + lines[16 + i]);
    if (!row.limit.empty()) limits.push_back(std::stoi(row.limit));
    if (row.time.empty()) {
      EXPECT_EQ(row, table[i]);
      continue;
    }
    // A row with a time is a station row: the next station of the train.
    ASSERT_LT(next_station, stations.size());
    const train_station& s = stations[next_station++];
    EXPECT_EQ(row.place, s.name);
    if (row.time[0] == 's' || row.time[0] == 'a') {
      EXPECT_EQ(row.time.substr(row.time.size() - 5), s.time);
    }
    EXPECT_EQ(row.time[0] == 's', s.stop_value != 0 && next_station != 1);
    row.place = "*";
    EXPECT_EQ(row, table[i]);
  }
  EXPECT_EQ(next_station, stations.size());
  EXPECT_EQ(limits, train_speeds());

  // The two signal rows name the station that follows them, in capital
  // initials.
  for (const auto& [signal_row, prefix] : {std::pair{7, "Segn.Prot. "}, std::pair{24, "Segn.Avv. "}}) {
    std::string name = read_card_row(lines[16 + static_cast<size_t>(signal_row)]).place;
    for (size_t k = 1; k < name.size(); ++k) {
      if (name[k - 1] != ' ') name[k] = static_cast<char>(std::tolower(static_cast<unsigned char>(name[k])));
    }
    EXPECT_EQ(read_card_row(lines[16 + static_cast<size_t>(signal_row) - 1]).place, prefix + name);
  }
}

}  // namespace
}  // namespace sb
