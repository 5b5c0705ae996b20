#include "builder/compile_step.h"

#include "builder/compiled_files.h"
#include "builder/integrity_codes.h"
#include "builder/protection_pass.h"

namespace sb {

compile_result memorizza_percorso(scenario_model& model, int32_t& j, file_system& fs,
                                  const std::string& folder, write_policy policy) {
  compile_result result;
  model.geometry_flag = j;
  model.error_code = 0;
  clear_scenario_table(model);

  const reader_result read = memorizza_dati(model, fs, folder);
  result.site = read.site;
  if (!read.io) {
    result.io = read.io;
    return result;
  }
  // Without cells there is nothing to complete, stamp or write.
  if (!model.has_cells()) return result;

  signal_protection_pass(model);
  // The pass's codes are found in the cells, not in a text.
  if (model.error_code >= 11 && model.error_code <= 13) result.site = {{}, 0, true, {}};

  result.stamp_error = stamp_integrity(model);
  if (result.stamp_error != 0) return result;

  if (policy == write_policy::only_without_error && model.error_code != 0) return result;
  result.io = write_compiled_files(model, fs, folder);
  result.files_written = result.io.ok;
  return result;
}

}  // namespace sb
