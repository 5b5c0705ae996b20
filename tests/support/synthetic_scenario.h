// A scenario as large and as crowded as the text format allows, for the
// benchmarks and for the test that keeps it buildable.
#pragma once

#include <string>

namespace sb {

struct synthetic_scenario {
  std::string route_name;
  std::string train_number;
  std::string line_text;   // contents of route_linea.txt
  std::string train_text;  // contents of route_train-.txt
};

// Route length 1000000 m with a signal every 1500 m, 40 indication boards,
// the 38 stations that still fit beside them, curves and gradients every
// few kilometres, speed rows, mountain zones, slowdowns and reduction
// points. Builds without error.
synthetic_scenario largest_scenario();

}  // namespace sb
