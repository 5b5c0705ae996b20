// The train description of train 418 on Ortesa - Vildoro: general values,
// adhesion, speed limits, stations with the timetable, the slowdown and the
// signals, in the scenario text format. The rows are held as numbers and
// laid out here; the layout's blank counts are part of the text.
#include <string>

#include "documents/documents.h"
#include "documents/text_layout.h"

namespace sb {

namespace {

struct speed_row {
  long chainage;
  int speed;
};

const speed_row speeds[] = {
    {201900, 75},  {204350, 160}, {208600, 135}, {219950, 160}, {226050, 135}, {229000, 160},
    {231800, 170}, {246050, 135}, {247950, 170}, {271000, 130}, {274200, 150}, {300050, 145},
    {303500, 150}, {312350, 125}, {314350, 150}, {323500, 140}, {326000, 150}, {337150, 130},
    {341500, 150}, {345550, 160}, {348050, 115}, {349800, 70},
};

struct station_row {
  long position;
  int kind;
  int length;
  int flag_a, flag_b, flag_c;
  int value_a, value_b, flag_d;
  int value_c, value_d, value_e;
  int stop_value;
  int hours, minutes, seconds;
  const char* name;
};

const station_row stations[] = {
    {203900, 2, 800, 0, 0, 0, 1, 1, 0, 4, 1, 1, 1, 21, 56, 50, "ORTESA"},
    {209500, 12, 500, 0, 0, 0, 1, 1, 0, 4, 1, 1, 0, 0, 0, 0, "BRASCOLA"},
    {219200, 12, 600, 0, 0, 0, 1, 1, 0, 4, 1, 1, 0, 0, 0, 0, "CASTELRIVO"},
    {227500, 12, 600, 0, 0, 0, 1, 1, 0, 4, 1, 1, 0, 0, 0, 0, "SAN VERANO"},
    {231800, 12, 600, 0, 0, 0, 1, 1, 0, 4, 1, 1, 0, 0, 0, 0, "POGGIOLMO"},
    {240600, 22, 200, 0, 0, 0, 0, 0, 0, 4, 1, 1, 0, 0, 0, 0, "BIVIO TRESANE"},
    {246700, 4, 600, 0, 0, 0, 1, 1, 0, 4, 1, 1, 45, 22, 14, 0, "LUMERA ALTA-VESCONE"},
    {253200, 12, 500, 0, 0, 0, 1, 1, 0, 4, 1, 1, 0, 0, 0, 0, "MARVENZA"},
    {262300, 12, 600, 0, 0, 0, 1, 1, 0, 4, 1, 1, 45, 22, 26, 0, "ROCCADORA"},
    {272650, 12, 500, 0, 0, 0, 1, 1, 0, 4, 1, 1, 0, 0, 0, 0, "SELVARA"},
    {280600, 12, 600, 0, 0, 0, 1, 1, 0, 4, 1, 1, 0, 0, 0, 0, "CAMPOLUNE"},
    {284000, 12, 600, 0, 0, 0, 1, 1, 0, 4, 1, 1, 0, 0, 0, 0, "FORNELIA"},
    {288500, 2, 600, 0, 0, 1, 1, 1, 0, 4, 1, 1, 70, 22, 43, 0, "VALMERISE"},
    {293300, 12, 600, 0, 0, 0, 1, 1, 0, 4, 1, 1, 0, 0, 0, 0, "PIANSERRA"},
    {302200, 12, 600, 0, 0, 0, 1, 1, 0, 4, 1, 1, 0, 0, 0, 0, "BORGO ALDINO"},
    {306000, 28, 200, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, "FELSINARE"},
    {312350, 4, 600, 0, 0, 0, 1, 1, 0, 4, 1, 1, 45, 22, 59, 0, "LIRAVA"},
    {321650, 12, 600, 0, 0, 0, 1, 1, 0, 4, 1, 1, 0, 0, 0, 0, "TERVIA"},
    {330750, 12, 600, 0, 0, 0, 1, 1, 0, 4, 1, 1, 0, 0, 0, 0, "MONSIA"},
    {337150, 12, 600, 0, 0, 0, 1, 1, 0, 4, 1, 1, 0, 0, 0, 0, "CERVALTO"},
    {343000, 12, 600, 0, 0, 0, 1, 1, 0, 4, 1, 1, 0, 0, 0, 0, "SOVERNA"},
    {350000, 2, 500, 1, 0, 0, 1, 1, 0, 2, 1, 1, 0, 23, 23, 0, "VILDORO CENTRALE"},
};

// The aspects a signal can show, as the ten values after `sx`.
struct signal_kind {
  int s1, s2, s3, rapp, dx, d1, d2, d3, tempo;
};

constexpr signal_kind A{4, 0, 0, 0, 2, 1, 0, 0, 0};
constexpr signal_kind B{4, 1, 0, 0, 2, 3, 1, 0, 0};
constexpr signal_kind C{4, 1, 1, 0, 2, 2, 1, 1, 0};
constexpr signal_kind D{3, 1, 1, 0, 2, 2, 1, 1, 0};
constexpr signal_kind E{4, 0, 0, 0, 0, 0, 0, 0, 0};
constexpr signal_kind F{4, 1, 0, 0, 0, 0, 0, 0, 0};
constexpr signal_kind G{4, 1, 1, 0, 0, 0, 0, 0, 0};
constexpr signal_kind H{4, 1, 0, 0, 2, 2, 1, 0, 0};
constexpr signal_kind I{3, 0, 0, 0, 2, 1, 0, 0, 0};
constexpr signal_kind J{3, 1, 0, 0, 2, 3, 1, 0, 120};
constexpr signal_kind K{4, 1, 1, 0, 2, 2, 1, 1, 135};
constexpr signal_kind L{5, 6, 0, 0, 2, 3, 1, 0, 0};
constexpr signal_kind M{2, 3, 1, 1, 2, 2, 1, 1, 0};

struct signal_row {
  long posizione;
  signal_kind kind;
};

const signal_row signals[] = {
    {205800, E}, {207550, F}, {208600, G}, {211300, A}, {213050, A}, {214800, A}, {216600, B},
    {218100, C}, {221200, A}, {222800, A}, {224500, B}, {225950, C}, {229400, B}, {230700, C},
    {234200, A}, {235500, A}, {236800, A}, {238100, B}, {239400, H}, {242100, A}, {244000, B},
    {245550, D}, {248700, A}, {250600, B}, {252100, C}, {255450, A}, {257000, A}, {258650, A},
    {260050, B}, {261200, D}, {264450, A}, {266400, A}, {268250, A}, {270150, B}, {271450, C},
    {274550, A}, {276550, A}, {278250, B}, {279500, C}, {282650, C}, {285800, B}, {287400, D},
    {290300, B}, {291950, C}, {295300, A}, {297050, A}, {298600, I}, {300050, J}, {301100, K},
    {304700, A}, {306550, A}, {308350, A}, {310150, B}, {311350, D}, {314700, A}, {316400, A},
    {317950, A}, {319450, B}, {320550, C}, {323950, A}, {325700, A}, {327050, A}, {328450, B},
    {329650, C}, {332950, A}, {334750, B}, {336000, C}, {339050, A}, {340450, B}, {341950, C},
    {344750, A}, {346150, A}, {347500, L}, {348950, M},
};

// Every signal shows its aspects on the left side of the track.
constexpr int signal_sx = 2;

std::string n(long v) { return std::to_string(v); }

std::string speed_line(const speed_row& r) {
  return "velocita,  " + n(r.chainage) + "," + right_aligned(r.speed, 6);
}

// The second station row is written with three blanks before its chainage,
// the others with two.
std::string station_line(const station_row& s, bool wide) {
  return "stazione," + blanks(wide ? 3 : 2) + n(s.position) + "," + right_aligned(s.kind, 3) + ",  " +
         n(s.length) + ",  " + n(s.flag_a) + ", " + n(s.flag_b) + ", " + n(s.flag_c) + ",  " + n(s.value_a) +
         "," + n(s.value_b) + "," + n(s.flag_d) + ",  " + n(s.value_c) + "," + n(s.value_d) + "," +
         n(s.value_e) + "," + right_aligned(s.stop_value, 5) + "," + right_aligned(s.hours, 4) + "," +
         right_aligned(s.minutes, 2) + "," + right_aligned(s.seconds, 2) + ", " + s.name;
}

// The first three signal rows are written with three blanks before their
// chainage, the others with two.
std::string signal_line(const signal_row& r, bool wide) {
  const signal_kind& k = r.kind;
  return "segnale," + blanks(wide ? 3 : 2) + n(r.posizione) + ",   " + n(signal_sx) + ", " + n(k.s1) + ", " +
         n(k.s2) + ",  " + n(k.s3) + ", " + n(k.rapp) + ",    " + n(k.dx) + ",  " + n(k.d1) + "," + n(k.d2) +
         "," + n(k.d3) + ", " + n(k.tempo);
}

}  // namespace

line_list testo_treno() {
  line_filler f;
  f.add("[generale]");
  f.add("numero vetture,    10");
  f.add("percentuale massa frenata,    125");
  f.add("sabbia,    200");
  // The clock's three numbers are parted by blanks alone, and the line ends
  // in a blank.
  f.add("orologio," + blanks(4) + "21" + blanks(14) + "56" + blanks(12) + "30 ");
  f.add("[aderenze]");
  f.add("aderenza,   0,    100");
  f.add("[vel_limite]");
  for (const speed_row& r : speeds) f.add(speed_line(r));
  f.add("[stazioni]");
  int index = 0;
  for (const station_row& s : stations) f.add(station_line(s, index++ == 1));
  f.add("[rallentamenti]");
  f.add("rallentamento,  324900,    60,  200, 0,  0,  60");
  f.add("[segnali]");
  index = 0;
  for (const signal_row& r : signals) f.add(signal_line(r, index++ < 3));
  f.add("[codici]");
  f.add("[fine]");
  return f.finish();
}

}  // namespace sb
