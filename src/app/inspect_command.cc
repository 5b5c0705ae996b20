#include "app/inspect_command.h"

#include <CLI/CLI.hpp>

#include <ostream>

#include "app/compiled_dumps.h"
#include "app/tool_options.h"

namespace sb {

namespace {

template <class T, class Dump>
exit_status dump_decoded(const decode_result<T>& r, compiled_kind kind, const inspect_options& o, Dump dump,
                         std::ostream& out, std::ostream& err) {
  if (!r) {
    failure_line(err) << describe_decode_error(o.path, kind, *r.error) << "\n";
    return exit_status::fault;
  }
  dump(r.value, dump_options{o.path, o.all, o.format}, out);
  return exit_status::done;
}

}  // namespace

CLI::App* add_inspect_command(CLI::App& app, inspect_options& o) {
  CLI::App* cmd = app.add_subcommand(
      "inspect",
      "Print what a compiled file holds: the cells (.dat), the table (.sim) or the plan "
      "(_linea.dat).\nExit status: 0 done, 1 damaged file, 2 usage or input/output failure.");
  cmd->add_option("FILE", o.path, "The compiled file")->required();
  cmd->add_flag("--all", o.all, "Every cell, table row or plan point, not only used ones");
  add_format_option(*cmd, o.format, {output_format::text, output_format::csv, output_format::json});
  cmd->add_option_function<std::string>(
         "--kind",
         [&o](const std::string& name) {
           o.kind = name == "cells" ? compiled_kind::cells : name == "table" ? compiled_kind::table : compiled_kind::plan;
         },
         "Which file it is, when its name does not tell")
      ->check(CLI::IsMember({"cells", "table", "plan"}))
      ->type_name("KIND");
  add_wait_option(*cmd, o.wait);
  return cmd;
}

exit_status run_inspect(const inspect_options& o, file_system& fs, std::ostream& out, std::ostream& err) {
  const compiled_kind kind = o.kind != compiled_kind::unknown ? o.kind : compiled_kind_of_name(o.path);
  if (kind == compiled_kind::unknown) {
    failure_line(err) << o.path
        << ": cannot tell the kind of compiled file from its name; give --kind cells|table|plan\n";
    return exit_status::failure;
  }
  // Shared with other readers, so that no set is read while a writer
  // replaces it.
  const auto held = take_folder_lock(fs, folder_of_path(o.path), true, o.wait, err);
  if (!held) return exit_status::failure;
  std::string bytes;
  if (const io_result r = fs.read_file(o.path, bytes, largest_compiled_file(kind)); !r) {
    failure_line(err) << r.message << "\n";
    return exit_status::failure;
  }
  switch (kind) {
    case compiled_kind::plan: return dump_decoded(decode_plan_file(bytes), kind, o, dump_plan, out, err);
    case compiled_kind::table: return dump_decoded(decode_table_file(bytes), kind, o, dump_table, out, err);
    case compiled_kind::cells:
    case compiled_kind::unknown: break;
  }
  return dump_decoded(decode_cell_file(bytes), kind, o, dump_cells, out, err);
}

}  // namespace sb
