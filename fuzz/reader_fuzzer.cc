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
// sanitizers, which is slow but is what the program itself accepts.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <string_view>

#include "builder/compile_step.h"
#include "builder/error_codes.h"
#include "builder/scenario_files.h"
#include "platform/file_system.h"

namespace {

constexpr std::string_view separator = "#####";
constexpr const char* folder = "/f";

// Reads the two texts from memory and keeps only the sizes of what is
// written: copying megabytes of plan file into a map on every run would
// slow the fuzzer down for nothing.
class fuzz_files : public sb::file_system {
 public:
  bool exists(const std::string& path) override { return texts.count(path) != 0 || sizes.count(path) != 0; }
  sb::io_result read_file(const std::string& path, std::string& contents) override {
    const auto it = texts.find(path);
    if (it == texts.end()) return sb::io_result::failure(path, "No such file or directory");
    contents = it->second;
    return sb::io_result::success();
  }
  sb::io_result write_file(const std::string& path, std::string_view bytes) override {
    texts.erase(path);
    sizes[path] = bytes.size();
    return sb::io_result::success();
  }
  sb::io_result remove_file(const std::string& path) override {
    if (texts.erase(path) + sizes.erase(path) == 0)
      return sb::io_result::failure(path, "No such file or directory");
    return sb::io_result::success();
  }

  std::map<std::string, std::string> texts;
  std::map<std::string, size_t> sizes;
};

[[noreturn]] void broken(const char* what) {
  std::fprintf(stderr, "reader_fuzzer: %s\n", what);
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const std::string_view all(reinterpret_cast<const char*>(data), size);
  const uint8_t flags = data[0];
  const std::string_view rest = all.substr(1);
  const size_t cut = rest.find(separator);

  sb::scenario_model model;
  model.route_name = "Ortesa-Vildoro";
  model.train_number = "418";
  const sb::scenario_identity id{model.route_name, model.train_number};
  const std::string line_path = sb::join_path(folder, sb::line_file_name(id));
  const std::string train_path = sb::join_path(folder, sb::train_file_name(id));

  fuzz_files fs;
  const bool line_missing = (flags & 2) != 0;
  if (!line_missing) fs.texts[line_path] = std::string(rest.substr(0, cut));
  if (cut != std::string_view::npos) fs.texts[train_path] = std::string(rest.substr(cut + separator.size()));

  int32_t j = flags & 1;
  const sb::compile_result r = sb::memorizza_percorso(model, j, fs, folder, sb::write_policy::always);

  // What must hold whatever the texts said.
  if (!r.io) broken("an input/output failure from memory");
  if (line_missing) {
    if (model.error_code != 101) broken("a missing line file did not give 101");
  } else {
    // The line text goes on every path; the train text at least when the
    // reader got through, or failed on something unreadable.
    if (fs.exists(line_path)) broken("the line text survived the reader");
    if ((model.error_code == 0 || model.error_code == 25) && fs.exists(train_path))
      broken("the train text survived the reader");
  }
  if (model.has_cells() && model.cells.size() != static_cast<size_t>(model.last_cell) + 1)
    broken("cells and last_cell disagree");
  if (r.files_written) {
    const std::string cell_path = sb::join_path(folder, sb::cell_file_name(id));
    const auto it = fs.sizes.find(cell_path);
    if (it == fs.sizes.end() || it->second != 15 * model.cells.size())
      broken("the cell file does not hold every cell");
  }
  if (model.error_code != 0 && sb::error_meaning(model.error_code).empty()) broken("a code without a meaning");
  (void)sb::describe_error(model.error_code, model.error_position, r.site);
  return 0;
}
