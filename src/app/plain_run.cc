#include "app/plain_run.h"

#include <ostream>

#include "app/errore.h"
#include "app/tool_options.h"
#include "builder/compile_step.h"
#include "documents/documents.h"
#include "platform/desktop.h"

namespace sb {

namespace {

exit_status io_failure(const io_result& r, std::ostream& err) {
  err << "scenario-builder: " << r.message << "\n";
  return exit_status::failure;
}

}  // namespace

exit_status run_plain(const std::string& folder, file_system& fs, std::ostream& err, double wait_seconds) {
  scenario_model model;
  model.route_name = "Ortesa-Vildoro";
  model.train_number = "418";
  const auto window = show_wait_window();
  // Runs that share the folder take turns: each writes its texts, reads
  // them back and deletes them while no other run touches them.
  const auto held = take_folder_lock(fs, folder, false, wait_seconds, err);
  if (!held) return exit_status::failure;

  const scenario_identity id{model.route_name, model.train_number};
  using writer = io_result (*)(const scenario_identity&, file_system&, const std::string&);
  for (writer write : {dati_linea, dati_treno, dati_note, dati_rallentamenti, dati_scheda}) {
    if (const io_result r = write(id, fs, folder); !r) return io_failure(r, err);
  }
  return compile_and_report(model, fs, folder, err);
}

exit_status compile_and_report(scenario_model& model, file_system& fs, const std::string& folder, std::ostream& err) {
  int32_t j = 1;
  const compile_result built = memorizza_percorso(model, j, fs, folder, write_policy::always);
  if (!built.io) return io_failure(built.io, err);
  if (!built.error) return exit_status::done;
  if (stops_the_build(built.error->code)) return errore(std::to_string(code_of(built.error->code)));
  // The files are written all the same; the failure is never hidden.
  err << describe(*built.error) << "\n";
  return exit_status::fault;
}

}  // namespace sb
