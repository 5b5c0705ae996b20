// `scenario-builder check`: every error and warning of an author's texts,
// without writing anything.
#pragma once

#include <iosfwd>
#include <string>

#include "app/exit_status.h"
#include "app/text_output.h"
#include "platform/file_system.h"

namespace CLI {
class App;
}

namespace sb {

struct check_command_options {
  std::string route;
  std::string train;
  std::string dir = ".";
  output_format format = output_format::text;
  bool strict = false;   // warnings count as errors
  bool no_plan = false;  // the curves are not read, as compile --no-plan
  double wait = default_lock_wait;  // seconds, for the folder lock
};

CLI::App* add_check_command(CLI::App& app, check_command_options& options);

// 0 no error (warnings alone are no error unless strict), 1 at least one
// error, 2 usage or input/output failure.
exit_status run_check(const check_command_options& options, file_system& fs, std::ostream& out, std::ostream& err);

// The folder as the author named it, for messages: nothing for ".".
std::string shown_folder(const std::string& dir);

}  // namespace sb
