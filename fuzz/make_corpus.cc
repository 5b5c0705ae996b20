// Writes the reader fuzzer's seed corpus from the scenario cases of the
// tests, one seed a case, in the fuzzer's input layout: a flags byte, the
// line text, "#####" and the train text.
//
//   make_corpus CASES_FOLDER OUT_FOLDER
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>

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

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: make_corpus CASES_FOLDER OUT_FOLDER\n");
    return 2;
  }
  int seeds = 0;
  for (const auto& entry : fs::directory_iterator(argv[1])) {
    if (!entry.is_directory()) continue;
    const fs::path& folder = entry.path();
    const std::optional<std::string> line = text_ending(folder, "_linea.txt");
    const std::optional<std::string> train = text_ending(folder, "-.txt");
    const bool no_plan = fs::exists(folder / "args") && read_whole(folder / "args").find("--no-plan") != std::string::npos;
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
