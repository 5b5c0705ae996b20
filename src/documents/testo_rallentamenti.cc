// The slow-order form "Modulo M. 3": one filled row for the scenario's
// slowdown (km 324, 60 km/h over 200 m between Tervia and Monsia), 22 empty
// rows and the legend of the specific prescriptions.
#include "documents/documents.h"
#include "documents/text_layout.h"

namespace sb {

namespace {
constexpr const char* table_rule =
    " |___|____________________________|____________|__________|_________|____________|";
constexpr const char* empty_row =
    " |   |                            |            |          |         |            |";
constexpr int empty_rows = 22;
}  // namespace

line_list testo_rallentamenti() {
  line_filler f;
  f.add("");
  f.add("                               Modulo M. 3");
  f.add("                           ORDINE DI RALLENTAMENTO");
  f.add(" ________________________________________________________________________________");
  f.add("  Linea  ORTESA - VILDORO CENTRALE");
  f.add("");
  f.add("  Si ordina al macchinista del treno  418  di effettuare i seguenti rallentamenti");
  f.add("  _______________________________________________________________________________");
  f.add(" |   |                            |Inizio dopo |          |         |            |");
  f.add(" | N.|      FRA LE STAZIONI       | il cippo   | Velocita'|Lunghezza|Prescrizioni|");
  f.add(" |   |   (o nelle Stazioni di)    |chilometrico|          |   metri | specifiche |");
  f.add(table_rule);
  f.add(" | 1 | TERVIA - MONSIA            |    324     |    60    |   200   |    ---     |");
  for (int i = 0; i < empty_rows; ++i) f.add(empty_row);
  f.add(table_rule);
  f.add("");
  f.add("              Prescrizioni specifiche");
  // The printed form lists D before C, and C runs over two lines.
  f.add(" A - Da rispettare con tutto il treno (per i treni viaggiatori)");
  f.add(" B - Interessa anche la stazione di .......");
  f.add(" D - Rallentamneto N. ... e N. ...  sono contigui");
  f.add(" C - Da rispettare dalle ore ....  alle ore ..... di tutti");
  f.add("     i giorni esclusi i seguenti:.........");
  return f.finish();
}

}  // namespace sb
