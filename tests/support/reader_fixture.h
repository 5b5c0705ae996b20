// Small scenarios read from memory, for the reader's tests.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "builder/scenario_model.h"
#include "builder/scenario_reader.h"
#include "memory_file_system.h"

namespace sb::test {

inline const std::string kFolder = "/scenario";
inline const std::string kLineFile = join_path(kFolder, "Prova_linea.txt");
inline const std::string kTrainFile = join_path(kFolder, "Prova_7-.txt");

// Lines joined with CR LF, the last one ended too.
inline std::string crlf(const std::vector<std::string_view>& lines) {
  std::string s;
  for (auto l : lines) (s += l) += "\r\n";
  return s;
}

// A line file of route length 10000 (cells 0 to 340) with these body rows.
inline std::string line_text(const std::vector<std::string_view>& body, std::string_view length = "10000") {
  std::vector<std::string_view> l{"[generale]"};
  const std::string len = "lunghezza percorso,    " + std::string(length);
  l.push_back(len);
  l.push_back("[curve]");
  l.insert(l.end(), body.begin(), body.end());
  l.push_back("[fine]");
  return crlf(l);
}

inline std::string train_text(const std::vector<std::string_view>& body) {
  std::vector<std::string_view> l{"[generale]"};
  l.insert(l.end(), body.begin(), body.end());
  l.push_back("[fine]");
  return crlf(l);
}

struct read_outcome {
  scenario_model m;
  std::optional<build_error> error;
};

// Reads route "Prova", train "7" from two texts, phase after phase as the
// reader's frame runs them, without any file.
inline read_outcome read_scenario(const std::string& line, const std::string& train, int32_t geometry = 1) {
  read_outcome o;
  o.m.route_name = "Prova";
  o.m.train_number = "7";
  o.m.geometry_flag = geometry;
  o.m.scenario_table[table_row::scenery_and_identity].text = "Prova";
  o.m.scenario_table[table_row::repetition_and_clock].text = "7";
  const text_names names{"Prova_linea.txt", "Prova_7-.txt"};
  line_carry carry;
  const phase_outcome line_end = read_line_text(o.m, line, names, carry);
  o.error = line_end.error;
  if (line_end.reader_ends) return o;
  if (const phase_outcome train_end = read_train_text(o.m, train, names, carry); train_end.error)
    o.error = train_end.error;
  return o;
}

// The same through the reader's frame, from files in memory, some of
// which may be missing.
struct files_outcome {
  scenario_model m;
  reader_result result;
  memory_file_system fs;
};
inline files_outcome read_scenario_files(const std::optional<std::string>& line,
                                         const std::optional<std::string>& train) {
  files_outcome o;
  o.m.route_name = "Prova";
  o.m.train_number = "7";
  o.m.geometry_flag = 1;
  if (line) o.fs.files[kLineFile] = *line;
  if (train) o.fs.files[kTrainFile] = *train;
  o.result = memorizza_dati(o.m, o.fs, kFolder);
  return o;
}

}  // namespace sb::test
