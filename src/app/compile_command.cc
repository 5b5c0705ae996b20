#include "app/compile_command.h"

#include <CLI/CLI.hpp>

#include <ostream>

#include "app/tool_options.h"
#include "builder/compile_step.h"

namespace sb {

namespace {

// The author's texts are read but never deleted; compiled files are written.
class keep_sources : public file_system {
 public:
  explicit keep_sources(file_system& inner) : inner_(inner) {}
  io_result read_file(const std::string& path, std::string& contents) override {
    return inner_.read_file(path, contents);
  }
  io_result write_files(std::span<const file_to_write> files) override { return inner_.write_files(files); }
  io_result remove_file(const std::string&) override { return io_result::success(); }

 private:
  file_system& inner_;
};

}  // namespace

CLI::App* add_compile_command(CLI::App& app, compile_options& o) {
  CLI::App* cmd = app.add_subcommand(
      "compile", "Compile ROUTE_linea.txt and ROUTE_TRAIN-.txt from DIR into the simulator's files");
  add_scenario_options(*cmd, o.route, o.train, o.dir, "Folder of the texts and of the compiled files");
  cmd->add_flag("--no-plan", o.no_plan, "Neither read the curves nor write the plan file");
  return cmd;
}

exit_status run_compile(const compile_options& o, file_system& fs, std::ostream&, std::ostream& err) {
  if (!check_scenario_names("compile", o.route, o.train, err)) return exit_status::failure;
  keep_sources sources(fs);
  scenario_model model;
  model.route_name = o.route;
  model.train_number = o.train;
  int32_t j = o.no_plan ? 0 : 1;
  const compile_result built = memorizza_percorso(model, j, sources, o.dir, write_policy::only_without_error);
  if (!built.io) {
    err << "scenario-builder: " << built.io.message << "\n";
    return exit_status::failure;
  }
  if (built.error) {
    err << describe(*built.error) << "\n";
    return exit_status::fault;
  }
  return exit_status::done;
}

}  // namespace sb
