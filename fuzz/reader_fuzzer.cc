// libFuzzer target for the scenario reader: the whole compile step (reader,
// protection pass, stamping, encoders) on two texts held in memory.
//
// Input layout, chosen so that mutations of one text rarely disturb the
// other and so that corpus files stay readable:
//   byte 0      flags: bit 0 set = geometry flag 1 (curves and plan file),
//               bit 1 set = no line file at all; '1' and '0' are the usual
//               values in the corpus
//   bytes 1..   the line text, up to the first "#####"
//   after it    the train text; without a "#####" there is no train file
// Every other byte goes to the texts unchanged (NUL, CR, high bytes).
//
// The route length is not capped: a 1000000 m route means a plan of about
// a million points and a fraction of a second per run under the
// sanitizers, which is slow but is what the program itself accepts. Built
// with SB_FUZZ_ROUTE_CAP (reader_fuzzer_capped), inputs whose route is
// longer than that many metres are passed over, for depth at speed.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "builder/compile_step.h"
#include "builder/error_codes.h"
#include "builder/scenario_files.h"
#include "support/memory_file_system.h"

namespace {

constexpr std::string_view separator = "#####";
constexpr const char* folder = "/f";

[[noreturn]] void broken(const char* what) {
  std::fprintf(stderr, "reader_fuzzer: %s\n", what);
  std::abort();
}

#ifdef SB_FUZZ_ROUTE_CAP
// The first number after any "lunghezza", in any case, beyond the cap: a
// rough look, enough to keep the long routes out.
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
      if (value > SB_FUZZ_ROUTE_CAP) return true;
    }
  }
  return false;
}
#endif

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const std::string_view all(reinterpret_cast<const char*>(data), size);
  const uint8_t flags = data[0];
  const std::string_view rest = all.substr(1);
  const size_t cut = rest.find(separator);
#ifdef SB_FUZZ_ROUTE_CAP
  if (route_beyond_cap(rest.substr(0, cut))) return -1;  // not kept in the corpus
#endif

  sb::scenario_model model;
  model.route_name = "Ortesa-Vildoro";
  model.train_number = "418";
  const sb::scenario_identity id{model.route_name, model.train_number};
  const std::string line_path = sb::join_path(folder, sb::line_file_name(id));
  const std::string train_path = sb::join_path(folder, sb::train_file_name(id));

  // Only the sizes of what is written are kept: copying megabytes of plan
  // file on every run would slow the fuzzer down for nothing.
  sb::test::memory_file_system fs;
  fs.keep_written = false;
  const bool line_missing = (flags & 2) != 0;
  if (!line_missing) fs.files[line_path] = std::string(rest.substr(0, cut));
  if (cut != std::string_view::npos) fs.files[train_path] = std::string(rest.substr(cut + separator.size()));

  const sb::compile_result r = sb::memorizza_percorso(model, flags & 1, fs, folder, sb::write_policy::always);

  // What must hold whatever the texts said.
  if (!r.io) broken("an input/output failure from memory");
  if (line_missing) {
    if (model.error_code != 101) broken("a missing line file did not give 101");
  } else {
    // The line text goes on every path; the train text at least when the
    // reader got through, or failed on something unreadable.
    if (fs.files.count(line_path) != 0) broken("the line text survived the reader");
    if ((model.error_code == 0 || model.error_code == 25) && fs.files.count(train_path) != 0)
      broken("the train text survived the reader");
  }
  if (model.has_cells() && model.cells.size() != static_cast<size_t>(model.last_cell) + 1)
    broken("cells and last_cell disagree");
  if (r.files_written) {
    const std::string cell_path = sb::join_path(folder, sb::cell_file_name(id));
    const auto it = fs.written_sizes.find(cell_path);
    if (it == fs.written_sizes.end() || it->second != 15 * model.cells.size())
      broken("the cell file does not hold every cell");
  }
  if (r.error) {
    if (sb::meaning_of(r.error->code).empty()) broken("a code without a meaning");
    if (!sb::stops_the_build(r.error->code) && sb::code_of(r.error->code) != model.error_code)
      broken("the error and the model disagree");
    (void)sb::describe(*r.error);
  } else if (model.error_code != 0) {
    broken("the model holds a code the build did not report");
  }
  return 0;
}
