#include "app/plain_run.h"

#include <cstdio>
#include <string>

#include "app/errore.h"
#include "builder/compile_step.h"
#include "builder/error_codes.h"
#include "documents/documents.h"
#include "platform/wait_window.h"

namespace sb {

namespace {

int io_failure(const io_result& r) {
  std::fprintf(stderr, "scenario-builder: %s\n", r.message.c_str());
  return 2;
}

}  // namespace

int run_plain(const std::string& folder) {
  scenario_model model;
  model.route_name = "Ortesa-Vildoro";
  model.train_number = "418";
  const auto window = show_wait_window();

  disk_file_system fs;
  using writer = io_result (*)(const scenario_model&, file_system&, const std::string&);
  for (writer write : {dati_linea, dati_treno, dati_note, dati_rallentamenti, dati_scheda}) {
    const io_result r = write(model, fs, folder);
    if (!r) return io_failure(r);
  }
  return compile_and_report(model, fs, folder);
}

int compile_and_report(scenario_model& model, file_system& fs, const std::string& folder) {
  int32_t j = 1;
  const compile_result built = memorizza_percorso(model, j, fs, folder, write_policy::always);
  if (!built.io) return io_failure(built.io);
  if (built.stamp_error != 0) return errore(std::to_string(built.stamp_error));
  if (model.error_code != 0) {
    // The files are written all the same; the failure is never hidden.
    std::fprintf(stderr, "%s\n", describe_error(model.error_code, model.error_position, built.site).c_str());
    return 1;
  }
  return 0;
}

}  // namespace sb
