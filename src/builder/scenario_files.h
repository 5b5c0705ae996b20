// Names of the files a scenario is made of, formed from its identity.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <utility>

namespace sb {

struct scenario_identity {
  std::string route_name;
  std::string train_number;
};

// Source texts, read back and deleted by the compile step.
std::string line_file_name(const scenario_identity& id);   // R_linea.txt
std::string train_file_name(const scenario_identity& id);  // R_T-.txt
// Driver's papers.
std::string notes_file_name(const scenario_identity& id);      // R_T_note.txt
std::string slow_order_file_name(const scenario_identity& id); // R_T_rallentamenti.txt
std::string timetable_file_name(const scenario_identity& id);  // R_T_scheda_treno.txt
// Compiled files.
std::string plan_file_name(const scenario_identity& id);   // R_linea.dat
std::string table_file_name(const scenario_identity& id);  // R_T.sim
std::string cell_file_name(const scenario_identity& id);   // R_T.dat

// The scenario the plain run writes: Ortesa-Vildoro, train 418.
scenario_identity shipped_identity();

// The driver's papers, in the order the plain run writes them.
std::array<std::string, 3> paper_file_names(const scenario_identity& id);
// The compiled files, in the order a set writes them: plan, table, cells.
std::array<std::string, 3> compiled_file_names(const scenario_identity& id);
// Everything a plain run leaves: the papers, then the compiled files.
std::array<std::string, 6> output_file_names(const scenario_identity& id);

// The same name when ASCII letters are compared without their case, as the
// simulator's platform compares names.
bool same_but_for_ascii_case(const std::string& a, const std::string& b);

// Two of the eight names above that would be one file (train number
// "linea" makes the cell file the plan file), compared without their case.
// Empty when all are different.
std::optional<std::pair<std::string, std::string>> clashing_files(const scenario_identity& id);

}  // namespace sb
