// The two integrity codes derived from the scenario's identity, and the
// step that stamps them with the markers.
#pragma once

#include <cstdint>

#include "builder/error_codes.h"
#include "builder/scenario_model.h"

namespace sb {

// Both read the identity from table rows 85 (route) and 86 (train) and
// leave the key text in `current_field`.
int32_t codice_gara_og(scenario_model& model);
int32_t codice_gara_st(scenario_model& model);

// The stamping step. Returns `marker_in_use` or `code_field_in_use` when a
// reserved field was already in use (the step stops there).
error stamp_integrity(scenario_model& model);

}  // namespace sb
