// What the check of authors' texts reports: errors and warnings, each at
// its place in a text.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "builder/error_codes.h"

namespace sb {

enum class severity { error, warning };

struct diagnostic {
  std::string file;  // as the author named it, folder included; empty when none
  int line = 0;      // from 1; 0 when none
  int column = 0;    // from 1; 0 when none
  severity level = severity::warning;
  std::optional<error> code;        // errors only
  std::string name;                 // short name: "unknown-keyword", "signal-cell-taken"
  std::optional<int32_t> chainage;  // when there is one
  std::string message;
  std::string source;               // the text of the line, to show under the message
  int width = 1;                    // how many bytes of the line the fault covers

  bool operator==(const diagnostic&) const = default;
};

struct diagnostic_counts {
  int errors = 0;
  int warnings = 0;
};
diagnostic_counts count(const std::vector<diagnostic>& diagnostics);

}  // namespace sb
