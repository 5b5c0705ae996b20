#include "builder/scenario_files.h"

#include <iterator>
#include <vector>

namespace sb {

namespace {
std::string with_train(const scenario_identity& id) {
  return id.route_name + "_" + id.train_number;
}
}  // namespace

std::string line_file_name(const scenario_identity& id) { return id.route_name + "_linea.txt"; }
std::string train_file_name(const scenario_identity& id) { return with_train(id) + "-.txt"; }
std::string notes_file_name(const scenario_identity& id) { return with_train(id) + "_note.txt"; }
std::string slow_order_file_name(const scenario_identity& id) {
  return with_train(id) + "_rallentamenti.txt";
}
std::string timetable_file_name(const scenario_identity& id) {
  return with_train(id) + "_scheda_treno.txt";
}
std::string plan_file_name(const scenario_identity& id) { return id.route_name + "_linea.dat"; }
std::string table_file_name(const scenario_identity& id) { return with_train(id) + ".sim"; }
std::string cell_file_name(const scenario_identity& id) { return with_train(id) + ".dat"; }

scenario_identity shipped_identity() { return {"Ortesa-Vildoro", "418"}; }

std::array<std::string, 3> paper_file_names(const scenario_identity& id) {
  return {notes_file_name(id), slow_order_file_name(id), timetable_file_name(id)};
}
std::array<std::string, 3> compiled_file_names(const scenario_identity& id) {
  return {plan_file_name(id), table_file_name(id), cell_file_name(id)};
}
std::array<std::string, 6> output_file_names(const scenario_identity& id) {
  const auto papers = paper_file_names(id), compiled = compiled_file_names(id);
  return {papers[0], papers[1], papers[2], compiled[0], compiled[1], compiled[2]};
}

bool same_but_for_ascii_case(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  const auto fold = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
  for (size_t i = 0; i < a.size(); ++i)
    if (fold(a[i]) != fold(b[i])) return false;
  return true;
}

std::optional<std::pair<std::string, std::string>> clashing_files(const scenario_identity& id) {
  const auto outputs = output_file_names(id);
  std::vector<std::string> names{line_file_name(id), train_file_name(id)};
  names.insert(names.end(), outputs.begin(), outputs.end());
  for (size_t i = 0; i < std::size(names); ++i)
    for (size_t j = i + 1; j < std::size(names); ++j)
      if (same_but_for_ascii_case(names[i], names[j])) return std::pair{names[i], names[j]};
  return std::nullopt;
}

}  // namespace sb
