// libFuzzer target for the check of authors' texts: every build the check
// makes, the warnings and faults it names, and both of its reports (text
// and JSON), on two texts held in memory. The input is laid out as the
// reader's fuzzer takes it (fuzz/reader_fuzzer.cc), so the two share
// seeds: byte 0 flags (bit 0: geometry 1; bit 1: no line file), the line
// text up to the first "#####", then the train text. Routes longer than
// 30 km are passed over: the check builds up to 200 times a text.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <string_view>

#include "app/diagnostics_output.h"
#include "builder/scenario_files.h"
#include "check/scenario_check.h"
#include "support/memory_file_system.h"

namespace {

constexpr std::string_view separator = "#####";
constexpr const char* folder = "/f";
constexpr int64_t route_cap = 30000;

[[noreturn]] void broken(const char* what) {
  std::fprintf(stderr, "check_fuzzer: %s\n", what);
  std::abort();
}

bool route_beyond_cap(std::string_view text) {
  std::string lower(text);
  for (char& c : lower)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  for (size_t at = lower.find("lunghezza"); at != std::string::npos; at = lower.find("lunghezza", at + 1)) {
    size_t i = lower.find_first_of("0123456789", at);
    if (i == std::string::npos) return false;
    int64_t value = 0;
    for (; i < lower.size() && lower[i] >= '0' && lower[i] <= '9'; ++i) {
      value = value * 10 + (lower[i] - '0');
      if (value > route_cap) return true;
    }
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const std::string_view all(reinterpret_cast<const char*>(data), size);
  const uint8_t flags = data[0];
  const std::string_view rest = all.substr(1);
  const size_t cut = rest.find(separator);
  if (route_beyond_cap(rest.substr(0, cut))) return -1;

  const sb::scenario_identity id{"Prova", "7"};
  sb::test::memory_file_system fs;
  fs.keep_written = false;
  if ((flags & 2) == 0) fs.files[sb::join_path(folder, sb::line_file_name(id))] = std::string(rest.substr(0, cut));
  if (cut != std::string_view::npos)
    fs.files[sb::join_path(folder, sb::train_file_name(id))] = std::string(rest.substr(cut + separator.size()));
  const auto before = fs.files;

  const sb::check_report report = sb::check_scenario({id, (flags & 1) != 0 ? 1 : 0, folder, ""}, fs);
  if (!report.io) broken("a check in memory failed to read");
  if (fs.files != before || !fs.written_sizes.empty()) broken("the check changed or wrote a file");

  std::ostringstream text, json;
  sb::print_text(report.diagnostics, text);
  sb::print_json(report.diagnostics, json);
  for (const sb::diagnostic& d : report.diagnostics) {
    if (d.line < 0 || d.column < 0) broken("a diagnostic at a negative place");
    if (d.level == sb::severity::error && !d.code) broken("an error without its code");
  }
  return 0;
}
