// The program's plain run: no argument, the shipped scenario.
#pragma once

#include <iosfwd>
#include <string>

#include "app/exit_status.h"
#include "builder/scenario_model.h"
#include "platform/desktop.h"
#include "platform/file_system.h"

namespace sb {

// The whole job of the program: writes the five texts into `folder`, builds
// the scenario from them and leaves the papers and the compiled files.
// 0 done, 1 the build recorded an error, 2 an input/output failure. The
// window and the box appear as `use` allows.
exit_status run_plain(const std::string& folder, file_system& fs, std::ostream& err, desktop_use use,
                      double wait_seconds = default_lock_wait);

// The run's second half, once the texts are in `folder`: compiles them and
// tells the person about the outcome.
exit_status compile_and_report(scenario_model& model, file_system& fs, const std::string& folder, std::ostream& err,
                               desktop_use use);

}  // namespace sb
