// Options that several tools share, parsed once into their values.
#pragma once

#include <array>
#include <initializer_list>
#include <iosfwd>
#include <memory>
#include <string>
#include <string_view>

#include "app/text_output.h"
#include "platform/file_system.h"

namespace CLI {
class App;
}

namespace sb {

// The options whose value is a path: a person on Windows may end one with
// a backslash inside its quotes.
inline constexpr std::array<std::string_view, 2> path_options{"--dir", "--svg"};

// --format, limited to the formats the tool offers.
void add_format_option(CLI::App& cmd, output_format& format, std::initializer_list<output_format> offered);

// --wait SECONDS.
void add_wait_option(CLI::App& cmd, double& seconds);
// The folder lock as a command takes it: after a second of waiting it says
// on `err` whom it waits for.
lock_request lock_for(bool shared, double wait_seconds, std::ostream& err);
// Takes the lock, or says why not on `err`; the lock is empty then.
std::unique_ptr<folder_lock> take_folder_lock(file_system& fs, const std::string& folder, bool shared,
                                              double wait_seconds, std::ostream& err);

// --route, --train and --dir, which name a scenario's files.
void add_scenario_options(CLI::App& cmd, std::string& route, std::string& train, std::string& dir,
                          const char* dir_help);

// A route name or train number must be usable as part of a file name:
// printable ASCII, no path separator, not starting with a dot, not empty.
bool is_safe_name_part(const std::string& s);
// Checks both parts and says why one is refused, for `command`. False
// when one is.
bool check_scenario_names(const std::string& command, const std::string& route, const std::string& train,
                          std::ostream& err);
// Where the system finds files whatever their letter case, the texts found
// in `dir` must bear the names given: the compiled files are named from
// them and the names are stamped into the table and its integrity codes.
// Otherwise says which to give, for `command`, and returns false.
bool texts_named_as_given(const std::string& command, const std::string& route, const std::string& train,
                          file_system& fs, const std::string& dir, std::ostream& err);

}  // namespace sb
