// Small helpers shared by the tests.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/file_system.h"

namespace sb::test {

// A fresh empty folder under the system's temporary folder, removed with
// everything in it when the object goes.
class temp_folder {
 public:
  temp_folder();
  ~temp_folder();
  temp_folder(const temp_folder&) = delete;
  temp_folder& operator=(const temp_folder&) = delete;

  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return join_path(path_, name); }

 private:
  std::string path_;
};

std::string read_bytes(const std::string& path);
void write_bytes(const std::string& path, const std::string& bytes);
// Names of the entries of a folder, sorted.
std::vector<std::string> list_folder(const std::string& path);

// Splits a text with CR LF line ends into its lines (the last CR LF ends
// the last line; it does not start an empty one).
std::vector<std::string> split_crlf_lines(const std::string& text);

struct run_result {
  int exit_status = -1;
  std::string out;
  std::string err;
};
// Changes to the environment a program inherits: a value sets the
// variable, none removes it.
using env_changes = std::vector<std::pair<std::string, std::optional<std::string>>>;

// Runs a program with arguments, without a shell, with `cwd` as its
// working folder (when not empty), stdin closed and this process's
// environment with `env` applied. DISPLAY is removed unless `env` sets it:
// programs under test open no window on the display that the desktop tests
// watch.
run_result run_program(const std::string& program, const std::vector<std::string>& args,
                       const std::string& cwd = {}, const env_changes& env = {});

#ifdef _WIN32
// The program with `arguments` after its name on the one command line
// Windows hands it: a blank, then the rest as a person types it.
run_result run_command_line(const std::string& program, const std::string& arguments, const std::string& cwd = {},
                            const env_changes& env = {});
#endif

// The built program under test.
std::string program_path();

}  // namespace sb::test
