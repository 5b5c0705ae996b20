// Writes the fuzzers' seed corpora from the scenario cases of the tests.
// For the reader, one seed a case, in its input layout: a flags byte, the
// line text, "#####" and the train text. With --compiled, for the
// compiled-file fuzzer: every compiled file that a case builds (the shipped
// scenario's among them), its kind byte first.
//
//   make_corpus [--compiled] CASES_FOLDER OUT_FOLDER
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>

#include "builder/compile_step.h"
#include "builder/compiled_files.h"
#include "builder/scenario_files.h"
#include "support/memory_file_system.h"

namespace {

namespace fs = std::filesystem;

std::string read_whole(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// The case's text whose name ends so, when it has one.
std::optional<std::string> text_ending(const fs::path& folder, const std::string& ending) {
  for (const auto& entry : fs::directory_iterator(folder)) {
    const std::string name = entry.path().filename().string();
    if (name.rfind("expected_", 0) != 0 && name.size() >= ending.size() &&
        name.compare(name.size() - ending.size(), ending.size(), ending) == 0)
      return read_whole(entry.path());
  }
  return std::nullopt;
}

}  // namespace

// Builds the case in memory as `compile` would and writes each compiled
// file it leaves as a seed; returns how many.
int compiled_seeds(const fs::path& folder, const std::optional<std::string>& line,
                   const std::optional<std::string>& train, bool no_plan, const fs::path& out) {
  // The route and train of the case's arguments, "Prova" and "7" unless
  // they say otherwise.
  sb::scenario_model model;
  model.route_name = "Prova";
  model.train_number = "7";
  std::istringstream args(fs::exists(folder / "args") ? read_whole(folder / "args") : "");
  for (std::string word; args >> word;) {
    if (word == "--route") args >> model.route_name;
    if (word == "--train") args >> model.train_number;
  }
  const sb::scenario_identity id{model.route_name, model.train_number};
  sb::test::memory_file_system memory;
  if (line) memory.files[sb::join_path("/c", sb::line_file_name(id))] = *line;
  if (train) memory.files[sb::join_path("/c", sb::train_file_name(id))] = *train;
  sb::memorizza_percorso(model, no_plan ? 0 : 1, memory, "/c", sb::write_policy::only_without_error);
  int seeds = 0;
  const std::pair<std::string, char> kinds[] = {
      {sb::cell_file_name(id), 0}, {sb::table_file_name(id), 1}, {sb::plan_file_name(id), 2}};
  for (const auto& [name, kind] : kinds) {
    const auto it = memory.files.find(sb::join_path("/c", name));
    if (it == memory.files.end()) continue;
    std::string bytes = it->second;
    // A plan has a point a metre: its first few hundred make a seed that
    // the fuzzer can run thousands of times a second.
    if (kind == 2) {
      const auto plan = sb::decode_plan_file(bytes);
      sb::track_plan_t start;
      for (int64_t i = 0; i < std::min<int64_t>(plan.value.size(), 300); ++i) {
        start.x.push_back(plan.value.x[static_cast<size_t>(i)]);
        start.y.push_back(plan.value.y[static_cast<size_t>(i)]);
      }
      bytes = sb::encode_plan_file(start);
    }
    std::ofstream(out / (folder.filename().string() + "." + std::to_string(kind)), std::ios::binary) << kind << bytes;
    ++seeds;
  }
  return seeds;
}

int main(int argc, char** argv) {
  const bool compiled = argc == 4 && std::string(argv[1]) == "--compiled";
  if (argc != 3 && !compiled) {
    std::fprintf(stderr, "usage: make_corpus [--compiled] CASES_FOLDER OUT_FOLDER\n");
    return 2;
  }
  if (compiled) ++argv;
  int seeds = 0;
  for (const auto& entry : fs::directory_iterator(argv[1])) {
    if (!entry.is_directory()) continue;
    const fs::path& folder = entry.path();
    const std::optional<std::string> line = text_ending(folder, "_linea.txt");
    const std::optional<std::string> train = text_ending(folder, "-.txt");
    const bool no_plan = fs::exists(folder / "args") && read_whole(folder / "args").find("--no-plan") != std::string::npos;
    if (compiled) {
      seeds += compiled_seeds(folder, line, train, no_plan, argv[2]);
      continue;
    }
    char flags = no_plan ? '0' : '1';
    if (!line) flags = static_cast<char>(flags | 2);
    std::string bytes(1, flags);
    if (line) bytes += *line;
    if (train) bytes += "#####" + *train;
    std::ofstream(fs::path(argv[2]) / folder.filename(), std::ios::binary) << bytes;
    ++seeds;
  }
  std::printf("make_corpus: %d seeds\n", seeds);
  return seeds > 0 ? 0 : 1;
}
