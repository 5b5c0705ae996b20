// Completes the signalling around slowdowns with speed-reduction points.
#pragma once

#include <optional>
#include <vector>

#include "builder/error_codes.h"
#include "builder/scenario_model.h"

namespace sb {

// One pass over `cells`; records each fault in the model's `error_code`
// and `error_position` and goes on. Returns the last fault recorded, which
// stands over any earlier one. Does nothing when the cells were never
// created.
// Every fault also goes to `all` when it is given.
std::optional<build_error> signal_protection_pass(scenario_model& model, std::vector<build_error>* all = nullptr);

}  // namespace sb
