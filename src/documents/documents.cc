#include "documents/documents.h"

#include <initializer_list>
#include <vector>

namespace sb {

namespace {

// A document: where it goes and what it says.
struct document {
  std::string (*file_name)(const scenario_identity&);
  line_list (*text)();
};

constexpr document line_text{line_file_name, testo_linea};
constexpr document train_text{train_file_name, testo_treno};
constexpr document notes{notes_file_name, testo_note};
constexpr document slow_orders{slow_order_file_name, testo_rallentamenti};
constexpr document timetable{timetable_file_name, testo_scheda};

io_result write_documents(std::initializer_list<document> documents, const scenario_identity& id, file_system& fs,
                          const std::string& folder, durability keep) {
  std::vector<file_to_write> set;
  set.reserve(documents.size());
  for (const document& d : documents) {
    set.push_back({join_path(folder, d.file_name(id)),
                   [bytes = d.text().render()](byte_sink& out) { out.append(bytes); }, keep});
  }
  return fs.write_files(set);
}

}  // namespace

io_result dati_linea(const scenario_identity& id, file_system& fs, const std::string& folder) {
  return write_documents({line_text}, id, fs, folder, durability::durable);
}
io_result dati_treno(const scenario_identity& id, file_system& fs, const std::string& folder) {
  return write_documents({train_text}, id, fs, folder, durability::durable);
}
io_result dati_note(const scenario_identity& id, file_system& fs, const std::string& folder) {
  return write_documents({notes}, id, fs, folder, durability::durable);
}
io_result dati_rallentamenti(const scenario_identity& id, file_system& fs, const std::string& folder) {
  return write_documents({slow_orders}, id, fs, folder, durability::durable);
}
io_result dati_scheda(const scenario_identity& id, file_system& fs, const std::string& folder) {
  return write_documents({timetable}, id, fs, folder, durability::durable);
}

io_result write_source_texts(const scenario_identity& id, file_system& fs, const std::string& folder,
                             durability keep) {
  return write_documents({line_text, train_text}, id, fs, folder, keep);
}

io_result write_papers(const scenario_identity& id, file_system& fs, const std::string& folder, durability keep) {
  return write_documents({notes, slow_orders, timetable}, id, fs, folder, keep);
}

}  // namespace sb
