// scenario-builder: with no argument, writes the shipped scenario's texts
// beside the program and compiles them; subcommands serve scenario authors.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <iostream>
#include <string>

#include "app/inspect_command.h"
#include "app/plain_run.h"
#include "platform/program_folder.h"

int main(int argc, char** argv) {
  CLI::App app{"Writes and compiles the Ortesa-Vildoro scenario for train 418.\n"
               "Without arguments the files go into the program's own folder.",
               "scenario-builder"};
  app.set_version_flag("--version", std::string("scenario-builder ") + SB_VERSION);
  std::string dir;
  app.add_option("--dir", dir, "Write the scenario into DIR instead of the program's folder")
      ->type_name("DIR");
  app.require_subcommand(0, 1);
  sb::inspect_options inspect;
  CLI::App* inspect_command = sb::add_inspect_command(app, inspect);

  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForAllHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForVersion& e) {
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    std::cerr << "scenario-builder: " << e.what() << "\n"
              << "Usage: scenario-builder [--dir DIR] | inspect FILE [OPTIONS] | --help | --version\n";
    return 2;
  }

  if (inspect_command->parsed()) return sb::run_inspect(inspect);

  std::string folder = dir;
  if (folder.empty()) {
    folder = sb::program_folder();
    if (folder.empty()) {
      std::fprintf(stderr, "scenario-builder: cannot tell the program's own folder\n");
      return 2;
    }
  }
  return sb::run_plain(folder);
}
