#include "app/compile_command.h"

#include <CLI/CLI.hpp>

#include <cstdio>

#include "builder/compile_step.h"
#include "builder/error_codes.h"
#include "platform/file_system.h"

namespace sb {

namespace {

// The author's texts are read but never deleted; compiled files are written.
class keep_sources : public file_system {
 public:
  explicit keep_sources(file_system& inner) : inner_(inner) {}
  bool exists(const std::string& path) override { return inner_.exists(path); }
  io_result read_file(const std::string& path, std::string& contents) override {
    return inner_.read_file(path, contents);
  }
  io_result write_file(const std::string& path, std::string_view bytes) override {
    return inner_.write_file(path, bytes);
  }
  io_result remove_file(const std::string&) override { return io_result::success(); }

 private:
  file_system& inner_;
};

}  // namespace

bool is_safe_name_part(const std::string& s) {
  if (s.empty() || s[0] == '.') return false;
  for (const char ch : s) {
    const auto c = static_cast<unsigned char>(ch);
    if (c < 0x20 || c > 0x7E || c == '/' || c == '\\') return false;
  }
  return true;
}

CLI::App* add_compile_command(CLI::App& app, compile_options& o) {
  CLI::App* cmd = app.add_subcommand(
      "compile",
      "Compile ROUTE_linea.txt and ROUTE_TRAIN-.txt from DIR into the simulator's files");
  cmd->add_option("--route", o.route, "Route name (first part of every file name)")->required();
  cmd->add_option("--train", o.train, "Train number")->required();
  cmd->add_option("--dir", o.dir, "Folder of the texts and of the compiled files")
      ->capture_default_str()
      ->type_name("DIR");
  cmd->add_flag("--no-plan", o.no_plan, "Neither read the curves nor write the plan file");
  return cmd;
}

int run_compile(const compile_options& o) {
  for (const auto& [what, value] : {std::pair{"route name", &o.route}, std::pair{"train number", &o.train}})
    if (!is_safe_name_part(*value)) {
      std::fprintf(stderr,
                   "scenario-builder: compile: the %s \"%s\" cannot be part of a file name "
                   "(printable ASCII, no / or \\, not starting with a dot)\n",
                   what, value->c_str());
      return 2;
    }

  disk_file_system disk;
  keep_sources fs(disk);
  scenario_model model;
  model.route_name = o.route;
  model.train_number = o.train;
  int32_t j = o.no_plan ? 0 : 1;
  const compile_result built = memorizza_percorso(model, j, fs, o.dir, write_policy::only_without_error);
  if (!built.io) {
    std::fprintf(stderr, "scenario-builder: %s\n", built.io.message.c_str());
    return 2;
  }
  if (built.stamp_error != 0) {
    std::fprintf(stderr, "%s\n", describe_error(built.stamp_error, 0, {}).c_str());
    return 1;
  }
  if (model.error_code != 0) {
    std::fprintf(stderr, "%s\n", describe_error(model.error_code, model.error_position, built.site).c_str());
    return 1;
  }
  return 0;
}

}  // namespace sb
