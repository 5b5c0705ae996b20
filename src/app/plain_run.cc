#include "app/plain_run.h"

#include <ostream>

#include "app/errore.h"
#include "app/tool_options.h"
#include "builder/compile_step.h"
#include "builder/scenario_files.h"
#include "documents/documents.h"
#include "platform/desktop.h"

namespace sb {

namespace {

exit_status io_failure(const io_result& r, std::ostream& err) {
  failure_line(err) << r.message << "\n";
  return exit_status::failure;
}

}  // namespace

exit_status run_plain(const std::string& folder, file_system& fs, std::ostream& err, desktop_use use,
                      double wait_seconds) {
  const scenario_identity id = shipped_identity();
  scenario_model model;
  model.route_name = id.route_name;
  model.train_number = id.train_number;
  const auto window = show_wait_window(use);
  // Runs that share the folder take turns: each writes its texts, reads
  // them back and deletes them while no other run touches them.
  const auto held = take_folder_lock(fs, folder, false, wait_seconds, err);
  if (!held) return exit_status::failure;

  // What must survive is synced, and nothing else: the source texts are
  // deleted by the compile step before the lock goes; the papers are synced
  // before they replace the old ones, and the compiled set's folder sync
  // that follows makes their names durable with its own. A build that
  // writes no compiled file leaves the papers whole all the same.
  if (const io_result r = write_source_texts(id, fs, folder, durability::transient); !r) return io_failure(r, err);
  if (const io_result r = write_papers(id, fs, folder, durability::with_next_set); !r) return io_failure(r, err);
  return compile_and_report(model, fs, folder, err, use);
}

exit_status compile_and_report(scenario_model& model, file_system& fs, const std::string& folder, std::ostream& err,
                               desktop_use use) {
  const compile_result built = memorizza_percorso(model, 1, fs, folder, write_policy::always);
  if (!built.io) return io_failure(built.io, err);
  if (!built.error) return exit_status::done;
  if (stops_the_build(built.error->code)) return errore(std::to_string(code_of(built.error->code)), use);
  // The files are written all the same; the failure is never hidden.
  err << describe(*built.error) << "\n";
  return exit_status::fault;
}

}  // namespace sb
