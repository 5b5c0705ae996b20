// `scenario-builder compile`: builds an author's own scenario texts.
#pragma once

#include <iosfwd>
#include <string>

#include "app/exit_status.h"
#include "platform/file_system.h"

namespace CLI {
class App;
}

namespace sb {

struct compile_options {
  std::string route;
  std::string train;
  std::string dir = ".";
  bool no_plan = false;
  bool quiet = false;  // no summary line on success
  double wait = default_lock_wait;  // seconds, for the folder lock
};

CLI::App* add_compile_command(CLI::App& app, compile_options& options);

// 0 built, 1 the scenario has an error (told on `err`, no compiled file
// written or replaced), 2 usage or input/output failure. The warnings go
// to `err` too, and on success one summary line to `out`. The texts are
// read, never changed or deleted.
exit_status run_compile(const compile_options& options, file_system& fs, std::ostream& out, std::ostream& err);

}  // namespace sb
