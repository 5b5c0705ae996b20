// How the check's diagnostics are shown: as a compiler shows them, with the
// line and a caret under the field at fault, or as one JSON object.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "check/diagnostics.h"

namespace sb {

// "FILE:LINE:COLUMN: error CODE at CHAINAGE m: MESSAGE" or
// "FILE:LINE:COLUMN: warning: MESSAGE [name]", then the source line and a
// caret line under it when there is one.
std::string diagnostic_text(const diagnostic& d);
void print_text(const std::vector<diagnostic>& diagnostics, std::ostream& out);

// {"diagnostics": [...], "errors": N, "warnings": N}
void print_json(const std::vector<diagnostic>& diagnostics, std::ostream& out);

// "2 errors, 1 warning"
std::string counts_text(const diagnostic_counts& c);

}  // namespace sb
