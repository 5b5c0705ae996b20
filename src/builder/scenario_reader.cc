#include "builder/scenario_reader.h"

#include <new>

#include "builder/reader_context.h"
#include "builder/scenario_files.h"

namespace sb {

reader_result memorizza_dati(scenario_model& m, file_system& fs, const std::string& folder) {
  const scenario_identity id{m.route_name, m.train_number};
  reader::context c{m, fs, folder, line_file_name(id), train_file_name(id), {}, {}};
  reader_result result;

  m.scenario_table[table_row::scenery_and_identity].text = m.route_name;
  m.scenario_table[table_row::repetition_and_clock].text = m.train_number;

  // Anything the texts cannot give as they must becomes code 25, with both
  // texts deleted.
  auto unreadable = [&](std::string detail, int line) {
    m.error_code = 25;
    c.site = {c.reading, line, false, std::move(detail)};
    c.remove_text(c.line_name);
    c.remove_text(c.train_name);
  };
  try {
    try {
      if (reader::read_line_file(c) == reader::phase_end::go_on) reader::read_train_file(c);
    } catch (const read_failure& f) {
      unreadable(f.detail, f.line);
    } catch (const std::bad_alloc&) {
      unreadable("out of memory", 0);
    }
  } catch (const reader::io_stop& stop) {
    result.io = stop.io;
  }
  result.site = c.site;
  return result;
}

}  // namespace sb
