#include "builder/scenario_reader.h"

namespace sb {
reader_result memorizza_dati(scenario_model&, file_system&, const std::string&) { return {}; }
}  // namespace sb
