#include "builder/scenario_reader.h"

#include "builder/scenario_files.h"

namespace sb {

namespace {

// Deletes a source text; one already gone is no failure.
io_result remove_text(file_system& fs, const std::string& path) {
  io_result r = fs.remove_file(path);
  return r.not_found() ? io_result::success() : r;
}

}  // namespace

reader_result memorizza_dati(scenario_model& m, file_system& fs, const std::string& folder, build_observer* seen) {
  const scenario_identity id{m.route_name, m.train_number};
  const text_names names{line_file_name(id), train_file_name(id)};
  const std::string line_path = join_path(folder, names.line), train_path = join_path(folder, names.train);
  reader_result result;

  m.scenario_table[table_row::scenery_and_identity].text = m.route_name;
  m.scenario_table[table_row::repetition_and_clock].text = m.train_number;

  // An unreadable text takes both texts with it, wherever it was found.
  const auto finish = [&](const phase_outcome& outcome, const std::string& read_path) {
    if (outcome.error) result.error = outcome.error;
    result.io = remove_text(fs, read_path);
    if (result.io && result.error && result.error->code == error::unreadable_text)
      result.io = remove_text(fs, train_path);
    return result.io.ok() && !outcome.reader_ends;
  };

  std::string text;
  if (io_result r = fs.read_file(line_path, text, largest_source_text); !r) {
    if (!r.not_found()) {
      result.io = r;
      return result;
    }
    m.error_code = code_of(error::no_line_file);
    result.error = build_error{error::no_line_file, std::nullopt, names.line, 0, {}};
    if (seen) seen->reader_fault(*result.error);
    return result;
  }
  line_carry carry;
  if (!finish(read_line_text(m, text, names, carry, seen), line_path)) return result;

  if (io_result r = fs.read_file(train_path, text, largest_source_text); !r) {
    if (!r.not_found()) {
      result.io = r;
      return result;
    }
    m.error_code = code_of(error::unreadable_text);
    result.error = build_error{error::unreadable_text, std::nullopt, names.train, 0, "the train file does not exist"};
    if (seen) seen->reader_fault(*result.error);
    return result;
  }
  finish(read_train_text(m, text, names, carry, seen), train_path);
  return result;
}

}  // namespace sb
