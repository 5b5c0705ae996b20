// What the driver's papers take from the shipped train description, read
// back from its text: the stations with their times, and the speed rows.
#pragma once

#include <cstdio>
#include <regex>
#include <string>
#include <vector>

#include "documents/documents.h"
#include "support/test_support.h"

namespace sb::test {

// What the card and the form take from the train description.
struct train_station {
  long position;
  std::string name;
  int stop_value;
  std::string time;  // "hh.mm", empty for a station without a time
};

inline std::vector<train_station> train_stations() {
  const std::regex row(R"(stazione, +(\d+),(?:[^,]*,){11} *(\d+), *(\d+), *(\d+), *\d+, (.+))");
  std::vector<train_station> out;
  for (const std::string& l : split_crlf_lines(testo_treno().render())) {
    std::smatch m;
    if (!std::regex_match(l, m, row)) continue;
    const int hours = std::stoi(m.str(3)), minutes = std::stoi(m.str(4));
    char time[8] = "";
    if (hours != 0) std::snprintf(time, sizeof time, "%02d.%02d", hours, minutes);
    out.push_back({std::stol(m.str(1)), m.str(5), std::stoi(m.str(2)), time});
  }
  return out;
}

inline std::vector<int> train_speeds() {
  const std::regex row(R"(velocita, +\d+, *(\d+))");
  std::vector<int> out;
  for (const std::string& l : split_crlf_lines(testo_treno().render())) {
    std::smatch m;
    if (std::regex_match(l, m, row)) out.push_back(std::stoi(m.str(1)));
  }
  return out;
}

}  // namespace sb::test
