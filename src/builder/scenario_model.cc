#include "builder/scenario_model.h"

namespace sb {

void clear_scenario_table(scenario_model& model) {
  for (table_entry& row : model.scenario_table) row = table_entry{};
}

}  // namespace sb
