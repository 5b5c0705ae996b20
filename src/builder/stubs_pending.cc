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
}  // namespace sb
