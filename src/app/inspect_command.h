// `scenario-builder inspect FILE`: reads a compiled file back and prints
// what it holds, in the manner of an object-file dumper.
#pragma once

#include <iosfwd>
#include <string>

#include "app/exit_status.h"
#include "app/text_output.h"
#include "builder/compiled_files.h"
#include "platform/file_system.h"

namespace CLI {
class App;
}

namespace sb {

struct inspect_options {
  std::string path;
  bool all = false;  // every cell, row or point, not only the used ones
  output_format format = output_format::text;
  compiled_kind kind = compiled_kind::unknown;  // unknown: from the name
  double wait = default_lock_wait;  // seconds, for the folder lock
};

// Registers the subcommand on `app`; its arguments land in `options`.
CLI::App* add_inspect_command(CLI::App& app, inspect_options& options);

// 0 printed, 1 the file is damaged, 2 it cannot be read or its kind
// cannot be told.
exit_status run_inspect(const inspect_options& options, file_system& fs, std::ostream& out, std::ostream& err);

}  // namespace sb
