#include "documents/documents.h"

namespace sb {

io_result dati_linea(const scenario_identity& id, file_system& fs, const std::string& folder) {
  return write_document(fs, folder, line_file_name(id), testo_linea());
}
io_result dati_treno(const scenario_identity& id, file_system& fs, const std::string& folder) {
  return write_document(fs, folder, train_file_name(id), testo_treno());
}
io_result dati_note(const scenario_identity& id, file_system& fs, const std::string& folder) {
  return write_document(fs, folder, notes_file_name(id), testo_note());
}
io_result dati_rallentamenti(const scenario_identity& id, file_system& fs, const std::string& folder) {
  return write_document(fs, folder, slow_order_file_name(id), testo_rallentamenti());
}
io_result dati_scheda(const scenario_identity& id, file_system& fs, const std::string& folder) {
  return write_document(fs, folder, timetable_file_name(id), testo_scheda());
}

}  // namespace sb
