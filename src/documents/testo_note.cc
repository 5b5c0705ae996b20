// The notes sheet handed to the driver: the train, the late start, the
// credits and the timetable edition the scenario follows.
#include "documents/documents.h"
#include "documents/text_layout.h"

namespace sb {

line_list testo_note() {
  line_filler f;
  // Lines 1 and 9 end in a blank on the printed sheet; keep it.
  f.add("Simulazione del treno Intercity 418 'Frelanto' Bersica-Vildoro ");
  f.add("(tratto simulato Ortesa - Vildoro Centrale).");
  f.add("Il treno parte da Ortesa con un ritardo di 10 minuti, facilmente recuperabili.");
  f.add("Buon divertimento");
  f.add("");
  f.add("Scenario a cura del gruppo di lavoro");
  f.add("della linea Ortesa - Vildoro");
  f.add("Orario Giugno 2001");
  f.add("5R ");
  return f.finish();
}

}  // namespace sb
