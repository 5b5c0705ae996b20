// scenario-builder: with no argument, writes the shipped scenario's texts
// beside the program and compiles them; subcommands serve scenario authors.
#include <CLI/CLI.hpp>

#include <iostream>
#include <new>
#include <sstream>
#include <string>
#include <vector>

#include "app/check_command.h"
#include "app/compile_command.h"
#include "app/inspect_command.h"
#include "app/plain_run.h"
#include "app/plot_command.h"
#include "app/standard_streams.h"
#include "app/texts_command.h"
#include "app/tool_options.h"
#include "platform/desktop.h"
#include "platform/program_folder.h"

namespace {

sb::exit_status run(int argc, char** argv) {
  using sb::exit_status;
  CLI::App app{"Writes and compiles the Ortesa-Vildoro scenario for train 418.\n"
               "Without arguments the files go into the program's own folder.",
               "scenario-builder"};
  app.set_version_flag("--version", std::string("scenario-builder ") + SB_VERSION);
  std::string dir;
  app.add_option("--dir", dir, "Write the scenario into DIR instead of the program's folder")->type_name("DIR");
  double wait = sb::default_lock_wait;
  sb::add_wait_option(app, wait);
  app.require_subcommand(0, 1);

  sb::check_command_options check;
  CLI::App* check_cmd = sb::add_check_command(app, check);
  sb::compile_options compile;
  CLI::App* compile_cmd = sb::add_compile_command(app, compile);
  sb::inspect_options inspect;
  CLI::App* inspect_cmd = sb::add_inspect_command(app, inspect);
  sb::plot_options plot;
  CLI::App* plot_cmd = sb::add_plot_command(app, plot);
  sb::texts_options texts;
  CLI::App* texts_cmd = sb::add_texts_command(app, texts);

  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& e) {
    return static_cast<exit_status>(app.exit(e));
  } catch (const CLI::CallForAllHelp& e) {
    return static_cast<exit_status>(app.exit(e));
  } catch (const CLI::CallForVersion& e) {
    return static_cast<exit_status>(app.exit(e));
  } catch (const CLI::ParseError& e) {
    sb::failure_line(std::cerr) << e.what() << "\n"
              << "Run 'scenario-builder --help' for usage.\n";
    return exit_status::failure;
  }

  sb::disk_file_system fs;
  if (check_cmd->parsed()) return sb::run_check(check, fs, std::cout, std::cerr);
  if (compile_cmd->parsed()) return sb::run_compile(compile, fs, std::cout, std::cerr);
  if (inspect_cmd->parsed()) return sb::run_inspect(inspect, fs, std::cout, std::cerr);
  if (plot_cmd->parsed()) return sb::run_plot(plot, fs, std::cout, std::cerr);
  if (texts_cmd->parsed()) return sb::run_texts(texts, fs, std::cout, std::cerr);

  std::string folder = dir;
  if (folder.empty()) {
    folder = sb::program_folder();
    if (folder.empty()) {
      sb::failure_line(std::cerr) << "cannot tell the program's own folder\n";
      return exit_status::failure;
    }
  }
  // Gathered, so that a run that gave up its console can still show it.
  std::ostringstream failure;
  const sb::exit_status status = sb::run_plain(folder, fs, failure, sb::desktop_use::when_available, wait);
  if (!failure.str().empty()) sb::tell_failure(failure.str());
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args = sb::program_arguments(argc, argv, sb::path_options);
  std::vector<char*> pointers;
  for (std::string& a : args) pointers.push_back(a.data());
  pointers.push_back(nullptr);
  sb::checked_standard_streams streams;
  sb::exit_status status;
  try {
    status = run(static_cast<int>(args.size()), pointers.data());
  } catch (const std::bad_alloc&) {
    // Whatever asked for the memory, the run ends with a message: a
    // scenario of the format's size needs a small part of what failed here.
    sb::tell_failure(std::string(sb::failure_prefix) + "out of memory\n");
    status = sb::exit_status::failure;
  }
  return sb::to_int(streams.finish(status));
}
