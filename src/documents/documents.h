// The five writers of the scenario's fixed texts. Each writes one file into
// `folder`, named after the scenario's identity, durable.
#pragma once

#include <string>

#include "builder/scenario_files.h"
#include "documents/line_list.h"
#include "platform/file_system.h"

namespace sb {

// The fixed contents, as line lists closed by the end marker.
line_list testo_linea();       // line description
line_list testo_treno();       // train description
line_list testo_note();        // notes sheet
line_list testo_rallentamenti();  // slow-order form
line_list testo_scheda();      // timetable card

io_result dati_linea(const scenario_identity& id, file_system& fs, const std::string& folder);
io_result dati_treno(const scenario_identity& id, file_system& fs, const std::string& folder);
io_result dati_note(const scenario_identity& id, file_system& fs, const std::string& folder);
io_result dati_rallentamenti(const scenario_identity& id, file_system& fs, const std::string& folder);
io_result dati_scheda(const scenario_identity& id, file_system& fs, const std::string& folder);

// The same files in the plain run's two sets. The source texts (line, then
// train) live only until the compile step has read and deleted them, so
// the run writes them transient; the papers (notes, slow orders,
// timetable) are one set, all replaced or none.
io_result write_source_texts(const scenario_identity& id, file_system& fs, const std::string& folder,
                             durability keep);
io_result write_papers(const scenario_identity& id, file_system& fs, const std::string& folder, durability keep);

}  // namespace sb
