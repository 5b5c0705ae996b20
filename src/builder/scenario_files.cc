#include "builder/scenario_files.h"

namespace sb {

namespace {
std::string with_train(const scenario_identity& id) {
  return id.route_name + "_" + id.train_number;
}
}  // namespace

std::string line_file_name(const scenario_identity& id) { return id.route_name + "_linea.txt"; }
std::string train_file_name(const scenario_identity& id) { return with_train(id) + "-.txt"; }
std::string notes_file_name(const scenario_identity& id) { return with_train(id) + "_note.txt"; }
std::string slow_order_file_name(const scenario_identity& id) {
  return with_train(id) + "_rallentamenti.txt";
}
std::string timetable_file_name(const scenario_identity& id) {
  return with_train(id) + "_scheda_treno.txt";
}
std::string plan_file_name(const scenario_identity& id) { return id.route_name + "_linea.dat"; }
std::string table_file_name(const scenario_identity& id) { return with_train(id) + ".sim"; }
std::string cell_file_name(const scenario_identity& id) { return with_train(id) + ".dat"; }

}  // namespace sb
