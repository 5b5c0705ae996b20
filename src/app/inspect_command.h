// `scenario-builder inspect FILE`: reads a compiled file back and prints
// what it holds, in the manner of an object-file dumper.
#pragma once

#include <iosfwd>
#include <string>

#include "platform/file_system.h"

namespace CLI {
class App;
}

namespace sb {

struct inspect_options {
  std::string path;
  bool all = false;            // every cell, row or point, not only the used ones
  std::string format = "text";  // text, csv or json
  std::string kind;            // cells, table or plan; empty: from the name
};

// Registers the subcommand on `app`; its arguments land in `options`.
CLI::App* add_inspect_command(CLI::App& app, inspect_options& options);

// Exit status: 0 printed, 1 the file is damaged, 2 it cannot be read or
// its kind cannot be told.
int run_inspect(const inspect_options& options, file_system& fs, std::ostream& out,
                std::ostream& err);
// The same on the disk, stdout and stderr.
int run_inspect(const inspect_options& options);

}  // namespace sb
