#include "documents/documents.h"

#include "builder/scenario_files.h"

namespace sb {

namespace {
scenario_identity identity_of(const scenario_model& m) { return {m.route_name, m.train_number}; }
}  // namespace

io_result dati_linea(const scenario_model& model, file_system& fs, const std::string& folder) {
  return write_document(fs, folder, line_file_name(identity_of(model)), testo_linea());
}
io_result dati_treno(const scenario_model& model, file_system& fs, const std::string& folder) {
  return write_document(fs, folder, train_file_name(identity_of(model)), testo_treno());
}
io_result dati_note(const scenario_model& model, file_system& fs, const std::string& folder) {
  return write_document(fs, folder, notes_file_name(identity_of(model)), testo_note());
}
io_result dati_rallentamenti(const scenario_model& model, file_system& fs, const std::string& folder) {
  return write_document(fs, folder, slow_order_file_name(identity_of(model)), testo_rallentamenti());
}
io_result dati_scheda(const scenario_model& model, file_system& fs, const std::string& folder) {
  return write_document(fs, folder, timetable_file_name(identity_of(model)), testo_scheda());
}

}  // namespace sb
