// Small helpers shared by the tests.
#pragma once

#include <functional>
#include <memory>
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

// How a program under test is started.
struct run_options {
  std::string cwd;  // its working folder; empty: this process's
  // This process's environment with these changes. DISPLAY is removed
  // unless set here: programs under test open no window on the display
  // that the desktop tests watch.
  env_changes env;
  // POSIX only. Its stdin and stdout are pipes to the test (`input`,
  // `output`) instead of a closed stdin and a collected stdout.
  bool talk = false;
  // POSIX only. Runs in the child just before the program replaces it
  // (resource limits, another user); false ends the child with 127.
  std::function<bool()> in_child;
  // Windows only. Appended to the command line as a person types it, after
  // the quoted arguments.
  std::string typed_arguments;
};

// A program started without a shell. Its output goes through temporary
// files, so that neither stdout nor stderr can fill up while the other is
// read; `wait` collects them. A program still running when the object goes
// is killed. Exit status 127: the program could not start; 128 + N: ended
// by signal N.
class child_program {
 public:
  child_program(const std::string& program, const std::vector<std::string>& args, const run_options& options = {});
  ~child_program();
  child_program(const child_program&) = delete;
  child_program& operator=(const child_program&) = delete;

  // With `talk`: the write end of its stdin, the read end of its stdout.
  int input() const { return input_; }
  int output() const { return output_; }
  void close_input();

  // Its exit status once it has ended; none while it runs. Never waits.
  std::optional<int> status();
  // Waits for the end; the output, for what is not a pipe.
  run_result wait();

 private:
  std::unique_ptr<temp_folder> scratch_;
  std::optional<int> status_;
  int input_ = -1, output_ = -1;
#ifdef _WIN32
  void* process_ = nullptr;
#else
  int pid_ = -1;
#endif
};

// Runs a program to its end (see `child_program`).
run_result run_program(const std::string& program, const std::vector<std::string>& args,
                       const run_options& options);
run_result run_program(const std::string& program, const std::vector<std::string>& args,
                       const std::string& cwd = {}, const env_changes& env = {});

// What a plain run of the shipped scenario leaves in its folder, sorted
// as `list_folder` gives it.
std::vector<std::string> plain_run_files();

#ifdef _WIN32
// The program with `arguments` after its name on the one command line
// Windows hands it: a blank, then the rest as a person types it.
run_result run_command_line(const std::string& program, const std::string& arguments, const std::string& cwd = {},
                            const env_changes& env = {});
#endif

// The built program under test.
std::string program_path();

}  // namespace sb::test
