#include "app/texts_command.h"

#include <CLI/CLI.hpp>

#include <ostream>

#include "app/tool_options.h"
#include "documents/documents.h"

namespace sb {

CLI::App* add_texts_command(CLI::App& app, texts_options& o) {
  CLI::App* cmd = app.add_subcommand(
      "texts", "Write the shipped scenario's two source texts into DIR, to copy and edit.\n"
               "Exit status: 0 done, 2 input/output failure.");
  cmd->add_option("--dir", o.dir, "Folder to write them into (it must exist)")->capture_default_str()->type_name("DIR");
  add_wait_option(*cmd, o.wait);
  return cmd;
}

exit_status run_texts(const texts_options& o, file_system& fs, std::ostream& out, std::ostream& err) {
  const scenario_identity shipped = shipped_identity();
  const auto held = take_folder_lock(fs, o.dir, false, o.wait, err);
  if (!held) return exit_status::failure;
  for (const auto write : {dati_linea, dati_treno}) {
    if (const io_result r = write(shipped, fs, o.dir); !r) {
      failure_line(err) << r.message << "\n";
      return exit_status::failure;
    }
  }
  out << "wrote " << line_file_name(shipped) << " " << train_file_name(shipped) << "\n";
  return exit_status::done;
}

}  // namespace sb
