#include "builder/compile_step.h"

#include "builder/compiled_files.h"
#include "builder/integrity_codes.h"
#include "builder/protection_pass.h"
#include "builder/scenario_reader.h"

namespace sb {

compile_result memorizza_percorso(scenario_model& model, int32_t j, file_system& fs,
                                  const std::string& folder, write_policy policy, build_observer* seen) {
  compile_result result;
  model.geometry_flag = j;
  model.error_code = 0;
  clear_scenario_table(model);

  reader_result read = memorizza_dati(model, fs, folder, seen);
  if (seen) seen->reader_done(read.error);
  result.error = std::move(read.error);
  if (!read.io) {
    result.io = read.io;
    return result;
  }
  // Without cells there is nothing to complete, stamp or write.
  if (!model.has_cells()) return result;

  // The pass's last fault stands over the reader's.
  if (std::optional<build_error> pass = signal_protection_pass(model, seen))
    result.error = std::move(pass);

  if (const error stop = stamp_integrity(model); stop != error::none) {
    result.error = build_error{stop, std::nullopt, {}, 0, {}};
    return result;
  }

  if (policy == write_policy::only_without_error && result.error) return result;
  result.io = write_compiled_files(model, fs, folder);
  result.files_written = result.io.ok();
  return result;
}

}  // namespace sb
