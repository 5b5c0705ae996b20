// `scenario-builder compile`: builds an author's own scenario texts.
#pragma once

#include <string>

namespace CLI {
class App;
}

namespace sb {

struct compile_options {
  std::string route;
  std::string train;
  std::string dir = ".";
  bool no_plan = false;
};

CLI::App* add_compile_command(CLI::App& app, compile_options& options);

// Exit status: 0 built, 1 the scenario has an error (one line on stderr,
// no compiled file written or replaced), 2 usage or input/output failure.
int run_compile(const compile_options& options);

// A route name or train number must be usable as part of a file name:
// printable ASCII, no path separator, not starting with a dot, not empty.
bool is_safe_name_part(const std::string& s);

}  // namespace sb
