// Completes the signalling around slowdowns with speed-reduction points.
#pragma once

#include "builder/scenario_model.h"

namespace sb {

// One pass over `cells`; records errors 11 to 13 in the model and goes on.
// Does nothing when the cells were never created.
void signal_protection_pass(scenario_model& model);

}  // namespace sb
