// `scenario-builder plot`: draws a compiled scenario's plan and profile
// into one SVG file.
#pragma once

#include <iosfwd>
#include <string>

#include "app/exit_status.h"
#include "platform/file_system.h"

namespace CLI {
class App;
}

namespace sb {

struct plot_options {
  std::string route;
  std::string train;
  std::string dir = ".";
  std::string svg;  // the picture to write
  double wait = default_lock_wait;  // seconds, for the folder lock
};

CLI::App* add_plot_command(CLI::App& app, plot_options& options);

// 0 drawn, 1 a compiled file is damaged, 2 usage or input/output failure
// (a missing cell or table file among them). A missing plan file is no
// failure: the profile is drawn alone.
exit_status run_plot(const plot_options& options, file_system& fs, std::ostream& out, std::ostream& err);

}  // namespace sb
