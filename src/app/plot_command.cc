#include "app/plot_command.h"

#include <CLI/CLI.hpp>

#include <optional>
#include <ostream>
#include <utility>

#include "app/route_plot.h"
#include "app/tool_options.h"
#include "builder/compiled_files.h"
#include "builder/scenario_files.h"

namespace sb {

namespace {

// Reads and decodes one compiled file; on failure prints one line and
// leaves the exit status in `status`. A missing file that may be missing
// gives nothing and no failure.
template <class T, class Decode>
std::optional<T> load(file_system& fs, const std::string& path, compiled_kind kind, Decode decode, bool optional,
                      std::ostream& err, exit_status& status) {
  std::string bytes;
  if (const io_result r = fs.read_file(path, bytes, largest_compiled_file(kind)); !r) {
    if (optional && r.not_found()) return std::nullopt;
    failure_line(err) << r.message << "\n";
    status = exit_status::failure;
    return std::nullopt;
  }
  decode_result<T> d = decode(bytes);
  if (!d) {
    failure_line(err) << describe_decode_error(path, kind, *d.error) << "\n";
    status = exit_status::fault;
    return std::nullopt;
  }
  return std::move(d.value);
}

// "-", and the names the system gives standard output: writing there must
// not replace the link they are with a file.
bool names_standard_output(const std::string& path) {
  return path == "-" || path == "/dev/stdout" || path == "/dev/fd/1" || path == "/proc/self/fd/1";
}

}  // namespace

CLI::App* add_plot_command(CLI::App& app, plot_options& o) {
  CLI::App* cmd = app.add_subcommand(
      "plot",
      "Draw the plan and the longitudinal profile of a compiled scenario into one SVG file.\n"
      "Exit status: 0 done, 1 damaged compiled file, 2 usage or input/output failure.");
  add_scenario_options(*cmd, o.route, o.train, o.dir, "Folder of the compiled files");
  cmd->add_option("--svg", o.svg, "The picture to write; - (or /dev/stdout) for standard output")
      ->required()
      ->type_name("OUT.svg");
  add_wait_option(*cmd, o.wait);
  return cmd;
}

exit_status run_plot(const plot_options& o, file_system& fs, std::ostream& out, std::ostream& err) {
  if (!check_scenario_names("plot", o.route, o.train, err)) return exit_status::failure;
  const scenario_identity id{o.route, o.train};
  exit_status status = exit_status::done;
  // The compiled files are read under the folder's shared lock, so that
  // they are one set; it is let go before the picture is written, which
  // may go into the same folder.
  auto reading = take_folder_lock(fs, o.dir, true, o.wait, err);
  if (!reading) return exit_status::failure;
  const auto cells = load<std::vector<track_cell>>(fs, join_path(o.dir, cell_file_name(id)), compiled_kind::cells,
                                                   decode_cell_file, false, err, status);
  if (!cells) return status;
  const auto table = load<scenario_table_t>(fs, join_path(o.dir, table_file_name(id)), compiled_kind::table,
                                            decode_table_file, false, err, status);
  if (!table) return status;
  // A scenario compiled without curves has no plan file; its profile is
  // still worth drawing.
  const auto plan = load<track_plan_t>(fs, join_path(o.dir, plan_file_name(id)), compiled_kind::plan,
                                       decode_plan_file, true, err, status);
  if (status != exit_status::done) return status;
  reading.reset();

  const std::string picture = render_route_svg(*cells, *table, plan ? &*plan : nullptr);
  if (names_standard_output(o.svg)) {
    out << picture;
    return out.flush() ? exit_status::done : exit_status::failure;
  }
  const auto writing = take_folder_lock(fs, folder_of_path(o.svg), false, o.wait, err);
  if (!writing) return exit_status::failure;
  if (const io_result r = fs.write_file(o.svg, picture); !r) {
    failure_line(err) << r.message << "\n";
    return exit_status::failure;
  }
  return exit_status::done;
}

}  // namespace sb
