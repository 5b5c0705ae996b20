#include "app/tool_options.h"

#include <CLI/CLI.hpp>

#include <vector>
#include <ostream>
#include <utility>

#include "app/exit_status.h"
#include "builder/error_codes.h"
#include "builder/scenario_files.h"

namespace sb {

namespace {

const char* format_name(output_format f) {
  switch (f) {
    case output_format::csv: return "csv";
    case output_format::json: return "json";
    case output_format::text: break;
  }
  return "text";
}

}  // namespace

void add_format_option(CLI::App& cmd, output_format& format, std::initializer_list<output_format> offered) {
  std::vector<std::string> names;
  for (const output_format f : offered) names.push_back(format_name(f));
  const std::vector<output_format> values(offered);
  cmd.add_option_function<std::string>(
         "--format",
         [&format, names, values](const std::string& name) {
           for (size_t i = 0; i < names.size(); ++i)
             if (names[i] == name) format = values[i];
         },
         "Output format (default text)")
      ->check(CLI::IsMember(names))
      ->type_name("FORMAT");
}

void add_scenario_options(CLI::App& cmd, std::string& route, std::string& train, std::string& dir,
                          const char* dir_help) {
  cmd.add_option("--route", route, "Route name (first part of every file name)")->required();
  cmd.add_option("--train", train, "Train number")->required();
  cmd.add_option("--dir", dir, dir_help)->capture_default_str()->type_name("DIR");
}

void add_wait_option(CLI::App& cmd, double& seconds) {
  cmd.add_option("--wait", seconds, "Seconds to wait for another run's lock on the folder (default 60)")
      ->check(CLI::NonNegativeNumber)
      ->type_name("SECONDS");
}

lock_request lock_for(bool shared, double wait_seconds, std::ostream& err) {
  lock_request how;
  how.shared = shared;
  how.wait_seconds = wait_seconds;
  how.waiting = [&err](const std::string& folder, const std::string& holder) {
    failure_line(err) << folder << ": waiting for the folder lock held by "
        << (holder.empty() ? std::string("another run") : holder) << "\n";
    err.flush();
  };
  return how;
}

std::unique_ptr<folder_lock> take_folder_lock(file_system& fs, const std::string& folder, bool shared,
                                              double wait_seconds, std::ostream& err) {
  locked_folder held = fs.wait_for_folder(folder, lock_for(shared, wait_seconds, err));
  if (!held.result) {
    failure_line(err) << held.result.message << "\n";
    return nullptr;
  }
  return std::move(held.lock);
}

bool is_safe_name_part(const std::string& s) {
  if (s.empty() || s[0] == '.') return false;
  for (const char ch : s) {
    const auto c = static_cast<unsigned char>(ch);
    if (c < 0x20 || c > 0x7E || c == '/' || c == '\\') return false;
  }
  return true;
}

bool check_scenario_names(const std::string& command, const std::string& route, const std::string& train,
                          std::ostream& err) {
  for (const auto& [what, value] : {std::pair{"route name", &route}, std::pair{"train number", &train}})
    if (!is_safe_name_part(*value)) {
      failure_line(err) << command << ": the " << what << " " << quoted_for_message(*value)
          << " cannot be part of a file name (printable ASCII, no / or \\, not starting with a dot)\n";
      return false;
    }
  if (const auto clash = clashing_files({route, train})) {
    failure_line(err) << command << ": route " << route << " with train " << train
        << " would give two files one name: " << clash->first << " and " << clash->second << "\n";
    return false;
  }
  return true;
}

bool texts_named_as_given(const std::string& command, const std::string& route, const std::string& train,
                          file_system& fs, const std::string& dir, std::ostream& err) {
  const scenario_identity id{route, train};
  std::vector<std::string> stored_names;
  std::string right_route = route, right_train = train;
  bool only_case = true;
  for (const std::string& name : {line_file_name(id), train_file_name(id)}) {
    const std::string stored = fs.stored_name(dir, name);
    if (stored == name) continue;
    stored_names.push_back(stored);
    only_case = only_case && same_but_for_ascii_case(stored, name);
    if (!only_case) continue;
    // Both names begin with the route; the train's name goes on after "_".
    right_route = stored.substr(0, route.size());
    if (name == train_file_name(id)) right_train = stored.substr(route.size() + 1, train.size());
  }
  if (stored_names.empty()) return true;
  failure_line(err) << command << ": the texts are named " << stored_names[0];
  if (stored_names.size() > 1) err << " and " << stored_names[1];
  if (only_case) {
    err << ": use";
    if (right_route != route) err << " --route " << right_route;
    if (right_train != train) err << " --train " << right_train;
  } else {
    err << ", not as --route " << route << " --train " << train << " names them";
  }
  err << "\n";
  return false;
}

}  // namespace sb
