#include "builder/integrity_codes.h"

#include <string>
#include <utility>

namespace sb {
namespace {

// Pads any identity to the full window; no j and no k.
constexpr const char* fill_text = "aabbccddeeffgghhiillmmnnoo";
constexpr size_t code_window = 25;


// Train number, then route name, lower-cased, then the fill. Only ASCII
// capitals change: other bytes are taken as they are, so the codes never
// depend on the locale.
const std::string& build_key_text(scenario_model& model) {
  std::string key = model.scenario_table[table_row::repetition_and_clock].text;
  key += model.scenario_table[table_row::scenery_and_identity].text;
  for (char& ch : key) {
    if (ch >= 'A' && ch <= 'Z') ch = static_cast<char>(ch - 'A' + 'a');
  }
  key += fill_text;
  model.current_field = std::move(key);
  return model.current_field;
}

// Character code of the i-th character of the window, i from 1; a byte
// counts from 0 to 255 whatever the signedness of char.
int32_t code_at(const std::string& key, size_t i) { return static_cast<unsigned char>(key[i - 1]); }

}  // namespace

int32_t codice_gara_og(scenario_model& model) {
  const std::string& key = build_key_text(model);
  int32_t sum = 0;
  for (size_t i = 1; i <= code_window; ++i) sum += code_at(key, i);
  return sum;
}

int32_t codice_gara_st(scenario_model& model) {
  const std::string& key = build_key_text(model);
  int32_t sum = 0;
  for (size_t i = 1; i <= code_window; ++i) sum += static_cast<int32_t>(i) * code_at(key, i);
  return sum;
}

error stamp_integrity(scenario_model& model) {
  // Cell 1 carries a marker and a code; the reader always creates far more
  // cells than that, so a shorter array only comes from a model that never
  // got that far, and there is nothing to stamp.
  if (model.cells.size() < 2) return error::none;
  table_entry& row = model.scenario_table[table_row::scenery_and_identity];
  track_cell& cell = model.cells[1];

  if (row.value_a != 0 || cell.value_1 != 0) return error::marker_in_use;
  row.value_a = table_marker;
  cell.value_1 = cell_marker;

  if (row.time_of_day != 0 || cell.value_2 != 0) return error::code_field_in_use;
  row.time_of_day = codice_gara_st(model);
  cell.value_2 = static_cast<int16_t>(codice_gara_og(model));
  return error::none;
}

}  // namespace sb
