#include "app/compile_command.h"

#include <CLI/CLI.hpp>

#include <ostream>

#include "app/check_command.h"
#include "app/diagnostics_output.h"
#include "app/tool_options.h"
#include "builder/compile_step.h"
#include "check/scenario_check.h"
#include "builder/scenario_files.h"

namespace sb {

namespace {

// The author's texts are read but never deleted; compiled files are written.
class keep_sources : public file_system {
 public:
  explicit keep_sources(file_system& inner) : inner_(inner) {}
  io_result read_file(const std::string& path, std::string& contents, size_t limit) override {
    return inner_.read_file(path, contents, limit);
  }
  io_result write_files(std::span<const file_to_write> files) override { return inner_.write_files(files); }
  io_result remove_file(const std::string&) override { return io_result::success(); }
  locked_folder lock_folder(const std::string& folder) override { return inner_.lock_folder(folder); }
  locked_folder wait_for_folder(const std::string& folder, const lock_request& how) override {
    return inner_.wait_for_folder(folder, how);
  }
  std::string stored_name(const std::string& folder, const std::string& name) override {
    return inner_.stored_name(folder, name);
  }

 private:
  file_system& inner_;
};

}  // namespace

CLI::App* add_compile_command(CLI::App& app, compile_options& o) {
  CLI::App* cmd = app.add_subcommand(
      "compile", "Compile ROUTE_linea.txt and ROUTE_TRAIN-.txt from DIR into the simulator's files");
  add_scenario_options(*cmd, o.route, o.train, o.dir, "Folder of the texts and of the compiled files");
  cmd->add_flag("--no-plan", o.no_plan, "Neither read the curves nor write the plan file");
  cmd->add_flag("--quiet", o.quiet, "No summary line when the build succeeds");
  add_wait_option(*cmd, o.wait);
  return cmd;
}

namespace {

// "Prova 7: 3 stations, 12 signals, 1 slowdown, 541 cells, plan 27001 points;
// wrote Prova_linea.dat Prova_7.sim Prova_7.dat"
std::string summary(const scenario_model& m, const compile_options& o) {
  const auto count_kind = [&m](uint8_t kind) {
    int n = 0;
    for (const track_cell& c : m.cells) n += c.kind == kind;
    return n;
  };
  const auto counted = [](int n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
  };
  const scenario_identity id{o.route, o.train};
  std::string s = o.route + " " + o.train + ": " +
                  counted(station_rows_end(m.scenario_table) - table_row::first_station, "station", "stations") +
                  ", " + counted(count_kind(cell_kind::signal), "signal", "signals") + ", " +
                  counted(count_kind(cell_kind::slowdown_start), "slowdown", "slowdowns") + ", " +
                  counted(static_cast<int>(m.cells.size()), "cell", "cells");
  s += o.no_plan ? ", no plan" : ", plan " + std::to_string(m.track_plan.size()) + " points";
  s += "; wrote";
  if (!o.no_plan) s += " " + plan_file_name(id);
  return s + " " + table_file_name(id) + " " + cell_file_name(id);
}

}  // namespace

exit_status run_compile(const compile_options& o, file_system& fs, std::ostream& out, std::ostream& err) {
  if (!check_scenario_names("compile", o.route, o.train, err)) return exit_status::failure;
  // A compile replaces a set of files: it takes turns with the runs that
  // write into the same folder.
  const auto held = take_folder_lock(fs, o.dir, false, o.wait, err);
  if (!held) return exit_status::failure;
  if (!texts_named_as_given("compile", o.route, o.train, fs, o.dir, err)) return exit_status::failure;
  keep_sources sources(fs);
  scenario_model model;
  model.route_name = o.route;
  model.train_number = o.train;
  const int32_t j = o.no_plan ? 0 : 1;
  const check_options options{{o.route, o.train}, j, o.dir, shown_folder(o.dir)};
  const observed_compile built =
      compile_with_warnings(model, j, sources, options, write_policy::only_without_error);
  if (!built.result.io) {
    failure_line(err) << built.result.io.message << "\n";
    return exit_status::failure;
  }
  print_text(built.diagnostics, err);
  if (built.result.error) return exit_status::fault;
  if (!o.quiet) out << summary(model, o) << "\n";
  return exit_status::done;
}

}  // namespace sb
