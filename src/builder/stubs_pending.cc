// Placeholders for steps that land in their own files.
#include "builder/compiled_files.h"
#include "builder/error_report.h"
#include "builder/integrity_codes.h"
#include "builder/protection_pass.h"

namespace sb {
std::string errore_text(std::string_view a) { return " Errore n. " + std::string(a); }
void signal_protection_pass(scenario_model&) {}
int32_t codice_gara_og(scenario_model&) { return 0; }
int32_t codice_gara_st(scenario_model&) { return 0; }
int32_t stamp_integrity(scenario_model&) { return 0; }
std::string encode_plan_file(const track_plan_t&) { return {}; }
std::string encode_table_file(const scenario_table_t&) { return {}; }
std::string encode_cell_file(const std::vector<track_cell>&) { return {}; }
io_result write_compiled_files(const scenario_model&, file_system&, const std::string&) {
  return io_result::success();
}
}  // namespace sb
