// The driver's timetable card of train 418: the title boxes and a table of
// 39 rows from Ortesa to Vildoro Centrale. The rows are laid out cell by
// cell so that every row has the same 83 characters as the table's rules.
#include <string>

#include "documents/documents.h"
#include "documents/text_layout.h"

namespace sb {

namespace {

enum class timing { none, departure, passing, stop, arrival };

struct card_row {
  int limit_speed;    // km/h, 0 for a blank cell
  int running_speed;  // km/h, 0 for a blank cell
  long chainage;      // metres, 0 for a blank cell
  const char* place;
  timing kind;
  const char* time;         // the departure, passing or arrival time
  const char* second_time;  // the departure after an arrival, for a stop
  const char* recovery;     // minutes with one decimal, "" for a blank cell
};

constexpr timing no = timing::none;
constexpr timing dep = timing::departure;
constexpr timing pass = timing::passing;
constexpr timing stop = timing::stop;
constexpr timing arr = timing::arrival;

// Station rows name the stations of the train description in order; the
// limit speeds, read downwards, are its speed limits in order.
const card_row rows[] = {
    {75, 60, 204000, "ORTESA", dep, "21.47", "", ""},
    {160, 120, 204359, "Imb.Nord Gall. Km 204.359", no, "", "", ""},
    {135, 130, 208500, "Km 208.500", no, "", "", ""},
    {0, 0, 209500, "BRASCOLA", pass, "21.53", "", "1.0"},
    {0, 0, 219190, "CASTELRIVO", pass, "21.58", "", "1.0"},
    {160, 150, 220000, "Cippo Km 220.000", no, "", "", ""},
    {135, 130, 0, "Segn.Prot. San Verano", no, "", "", ""},
    {0, 0, 227500, "SAN VERANO", pass, "22.02", "", "0.5"},
    {160, 150, 229000, "Km 229.000", no, "", "", ""},
    {170, 0, 231810, "POGGIOLMO", pass, "22.04", "", ""},
    {0, 0, 240590, "BIVIO TRESANE", pass, "22.08", "", "0.5"},
    {135, 135, 246000, "Cippo Km 246.000", no, "", "", ""},
    {0, 0, 246700, "LUMERA ALTA-VESCONE", stop, "22.12", "22.14", "0.5"},
    {170, 160, 248000, "Cippo Km 248.000", no, "", "", ""},
    {0, 0, 253200, "MARVENZA", pass, "22.19", "", "0.5"},
    {0, 0, 262290, "ROCCADORA", stop, "22.25", "22.26", "1.0"},
    {130, 130, 271000, "Cippo Km 271.000", no, "", "", ""},
    {0, 0, 272530, "SELVARA", pass, "22.32", "", "0.5"},
    {150, 140, 274204, "Torrente Arvenza", no, "", "", ""},
    {0, 0, 280580, "CAMPOLUNE", pass, "22.35", "", ""},
    {0, 0, 283970, "FORNELIA", pass, "22.37", "", ""},
    {0, 0, 288490, "VALMERISE", stop, "22.41", "22.43", "0.5"},
    {0, 0, 293270, "PIANSERRA", pass, "22.47", "", "0.5"},
    {145, 0, 0, "Segn.Avv. Borgo Aldino", no, "", "", ""},
    {0, 0, 302190, "BORGO ALDINO", pass, "22.52", "", "1.0"},
    {150, 0, 303510, "Km 303.510", no, "", "", ""},
    {0, 0, 305980, "FELSINARE", pass, "22.54", "", "0.5"},
    {125, 125, 312360, "LIRAVA", stop, "22.57", "22.59", ""},
    {150, 140, 314347, "Torrente Lisora", no, "", "", ""},
    {0, 0, 321660, "TERVIA", pass, "23.05", "", "0.5"},
    {140, 0, 323402, "Km 323.402", no, "", "", ""},
    {150, 150, 326000, "Cippo Km 326.000", no, "", "", ""},
    {0, 0, 330730, "MONSIA", pass, "23.09", "", ""},
    {130, 130, 337140, "CERVALTO", pass, "23.13", "", "0.5"},
    {150, 150, 341500, "Km 341.500", no, "", "", ""},
    {0, 0, 342990, "SOVERNA", pass, "23.16", "", "0.5"},
    {160, 0, 345557, "Km 345.557", no, "", "", ""},
    {115, 115, 348000, "Cippo Km 348.000", no, "", "", ""},
    {70, 70, 349970, "VILDORO CENTRALE", arr, "23.23", "", "2.0"},
};

std::string speed_cell(int speed) { return speed == 0 ? blanks(5) : right_aligned(speed, 4) + " "; }

std::string chainage_cell(long metres) {
  if (metres == 0) return blanks(10);
  std::string fraction = std::to_string(metres % 1000);
  fraction.insert(0, 3 - fraction.size(), '0');
  return " " + std::to_string(metres / 1000) + "." + fraction + "  ";
}

// Arrivals start in the cell's second column, passing times in its
// seventh and departures in its tenth.
std::string time_cell(const card_row& r) {
  const std::string t = r.time;
  switch (r.kind) {
    case timing::departure: return blanks(9) + t + blanks(2);
    case timing::passing: return blanks(6) + t + blanks(5);
    case timing::stop: return " " + t + " - " + r.second_time + blanks(2);
    case timing::arrival: return " " + t + blanks(10);
    case timing::none: break;
  }
  return blanks(16);
}

std::string recovery_cell(const std::string& recovery) {
  return recovery.empty() ? blanks(5) : " " + recovery + " ";
}

std::string timetable_row(const card_row& r) {
  return " |" + speed_cell(r.limit_speed) + "|" + speed_cell(r.running_speed) + "|" +
         chainage_cell(r.chainage) + "|" + blanks(5) + "|" + " " + left_aligned(r.place, 27) + "|" +
         time_cell(r) + "|" + recovery_cell(r.recovery) + "|";
}

constexpr const char* table_rule =
    " |_____|_____|__________|_____|____________________________|________________|_____|";

}  // namespace

line_list testo_scheda() {
  line_filler f;
  f.add("");
  f.add("");
  f.add("  ___________________                                               ______________");
  f.add(" |                   |                    SCHEDA                   |              |");
  f.add(" |   TRENO n. 418    |                   da: Ortesa                |    V200 C    |");
  f.add(" |___________________|                    a: Vildoro Centrale      |     125%     |");
  f.add("                                                                   |______________|");
  f.add("  ___________________                ___________________");
  // The printed card has seven blanks after this box; they are kept.
  f.add(" |  CLASSIFICAZIONE  |              |  MASSA BLOCCATA   |       ");
  f.add(" |        IC         |              |      600T         |");
  f.add(" |___________________|              |___________________|");
  f.add("");
  f.add("  ________________________________________________________________________________");
  f.add(" | Vel.| Vel.| Progr Km |  No |   Localita' di  Servizio   |     Orario     | Rec |");
  f.add(" | Lim.|Marc.|          |  Rs |                            |                |     |");
  f.add(table_rule);
  for (const card_row& r : rows) f.add(timetable_row(r));
  f.add(table_rule);
  f.add("");
  return f.finish();
}

}  // namespace sb
