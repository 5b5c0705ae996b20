// `scenario-builder texts`: the shipped scenario's two source texts, for an
// author to start from.
#pragma once

#include <iosfwd>
#include <string>

#include "app/exit_status.h"
#include "platform/file_system.h"

namespace CLI {
class App;
}

namespace sb {

struct texts_options {
  std::string dir = ".";
  double wait = default_lock_wait;  // seconds, for the folder lock
};

CLI::App* add_texts_command(CLI::App& app, texts_options& options);

// Writes Ortesa-Vildoro_linea.txt and Ortesa-Vildoro_418-.txt into the
// folder, byte for byte as the plain run writes them, and nothing else.
// 0 written, 2 an input/output failure.
exit_status run_texts(const texts_options& options, file_system& fs, std::ostream& out, std::ostream& err);

}  // namespace sb
