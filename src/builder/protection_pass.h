// Completes the signalling around slowdowns with speed-reduction points.
#pragma once

#include <optional>
#include <vector>

#include "builder/build_observer.h"
#include "builder/error_codes.h"
#include "builder/scenario_model.h"

namespace sb {

// One pass over `cells`; records each fault in the model's `error_code`
// and `error_position` and goes on. Returns the last fault recorded, which
// stands over any earlier one. Does nothing when the cells were never
// created.
// An observer is told of every point placed or lowered and of every fault,
// with the cells they concern.
std::optional<build_error> signal_protection_pass(scenario_model& model, build_observer* seen = nullptr);

}  // namespace sb
