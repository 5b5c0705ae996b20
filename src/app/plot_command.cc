#include "app/plot_command.h"

#include <CLI/CLI.hpp>

#include <iostream>
#include <optional>
#include <utility>

#include "app/compile_command.h"
#include "app/route_plot.h"
#include "builder/compiled_readers.h"
#include "builder/scenario_files.h"

namespace sb {

namespace {

// Reads and decodes one compiled file; on failure prints one line and
// leaves the exit status in `status`.
template <class T, class Decode>
std::optional<T> load(file_system& fs, const std::string& path, const char* what, Decode decode,
                      std::ostream& err, int& status) {
  std::string bytes;
  if (const io_result r = fs.read_file(path, bytes); !r) {
    err << "scenario-builder: " << r.message << "\n";
    status = 2;
    return std::nullopt;
  }
  decode_result<T> d = decode(bytes);
  if (!d) {
    err << "scenario-builder: " << describe_decode_error(path, what, *d.error) << "\n";
    status = 1;
    return std::nullopt;
  }
  return std::move(d.value);
}

}  // namespace

CLI::App* add_plot_command(CLI::App& app, plot_options& o) {
  CLI::App* cmd = app.add_subcommand(
      "plot",
      "Draw the plan and the longitudinal profile of a compiled scenario into one SVG file.\n"
      "Exit status: 0 done, 1 damaged compiled file, 2 usage or input/output failure.");
  cmd->add_option("--route", o.route, "Route name (first part of every file name)")->required();
  cmd->add_option("--train", o.train, "Train number")->required();
  cmd->add_option("--dir", o.dir, "Folder of the compiled files")->capture_default_str()->type_name("DIR");
  cmd->add_option("--svg", o.svg, "The picture to write")->required()->type_name("OUT.svg");
  return cmd;
}

int run_plot(const plot_options& o, file_system& fs, std::ostream& err) {
  for (const auto& [what, value] : {std::pair{"route name", &o.route}, std::pair{"train number", &o.train}})
    if (!is_safe_name_part(*value)) {
      err << "scenario-builder: plot: the " << what << " \"" << *value
          << "\" cannot be part of a file name (printable ASCII, no / or \\, not starting with a dot)\n";
      return 2;
    }

  const scenario_identity id{o.route, o.train};
  int status = 0;
  const auto cells = load<std::vector<track_cell>>(fs, join_path(o.dir, cell_file_name(id)), "cell",
                                                   decode_cell_file, err, status);
  if (!cells) return status;
  const auto table =
      load<scenario_table_t>(fs, join_path(o.dir, table_file_name(id)), "table", decode_table_file, err, status);
  if (!table) return status;
  // A scenario compiled without curves has no plan file; its profile is
  // still worth drawing.
  std::optional<track_plan_t> plan;
  const std::string plan_path = join_path(o.dir, plan_file_name(id));
  if (fs.exists(plan_path)) {
    plan = load<track_plan_t>(fs, plan_path, "plan", decode_plan_file, err, status);
    if (!plan) return status;
  }

  const std::string picture = render_route_svg(*cells, *table, plan ? &*plan : nullptr);
  if (const io_result r = fs.write_file(o.svg, picture); !r) {
    err << "scenario-builder: " << r.message << "\n";
    return 2;
  }
  return 0;
}

int run_plot(const plot_options& options) {
  disk_file_system fs;
  return run_plot(options, fs, std::cerr);
}

}  // namespace sb
