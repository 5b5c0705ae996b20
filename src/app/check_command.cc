#include "app/check_command.h"

#include <CLI/CLI.hpp>

#include <ostream>

#include "app/diagnostics_output.h"
#include "app/tool_options.h"
#include "check/scenario_check.h"

namespace sb {

std::string shown_folder(const std::string& dir) { return dir == "." ? std::string() : dir; }

CLI::App* add_check_command(CLI::App& app, check_command_options& o) {
  CLI::App* cmd = app.add_subcommand(
      "check",
      "Report every error and warning of ROUTE_linea.txt and ROUTE_TRAIN-.txt in DIR; writes nothing.\n"
      "Exit status: 0 no error, 1 errors (or warnings with --strict), 2 usage or input/output failure.");
  add_scenario_options(*cmd, o.route, o.train, o.dir, "Folder of the texts");
  add_format_option(*cmd, o.format, {output_format::text, output_format::json});
  cmd->add_flag("--strict", o.strict, "Count warnings as errors");
  cmd->add_flag("--no-plan", o.no_plan, "Do not read the curves, as compile --no-plan");
  add_wait_option(*cmd, o.wait);
  return cmd;
}

exit_status run_check(const check_command_options& o, file_system& fs, std::ostream& out, std::ostream& err) {
  if (!check_scenario_names("check", o.route, o.train, err)) return exit_status::failure;
  // Shared with other readers: a set a killed run left half replaced is
  // finished first.
  const auto held = take_folder_lock(fs, o.dir, true, o.wait, err);
  if (!held) return exit_status::failure;
  if (!texts_named_as_given("check", o.route, o.train, fs, o.dir, err)) return exit_status::failure;
  const check_options options{{o.route, o.train}, o.no_plan ? 0 : 1, o.dir, shown_folder(o.dir)};
  const check_report report = check_scenario(options, fs);
  if (!report.io) {
    failure_line(err) << report.io.message << "\n";
    return exit_status::failure;
  }
  const diagnostic_counts c = count(report.diagnostics);
  if (o.format == output_format::json) {
    print_json(report.diagnostics, out);
  } else {
    print_text(report.diagnostics, out);
    out << o.route << " " << o.train << ": " << counts_text(c) << "\n";
  }
  return c.errors > 0 || (o.strict && c.warnings > 0) ? exit_status::fault : exit_status::done;
}

}  // namespace sb
