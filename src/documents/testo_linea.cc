// The line description of Ortesa - Vildoro: general values, curves,
// gradients, the mountain zone and the boards, in the scenario text format.
// The rows are held as numbers and laid out here; the layout's blank counts
// are part of the text and are kept exactly.
#include <string>

#include "documents/documents.h"
#include "documents/text_layout.h"

namespace sb {

namespace {

struct curve_row {
  char side;  // 'd' right, 's' left
  int curve_class;
  long start;
  long length;
  bool wide;  // two blanks before a six-digit start
};

// Starts below 100000 always have two blanks before them; six-digit starts
// have one unless marked wide.
const curve_row curves[] = {
    {'d', 1, 1000, 600, false},    {'s', 1, 5000, 1000, false},   {'d', 2, 9000, 400, false},
    {'s', 3, 12000, 600, false},   {'d', 1, 20000, 1000, false},  {'d', 1, 25000, 1000, false},
    {'d', 2, 30000, 800, false},   {'d', 1, 33000, 1000, false},  {'d', 1, 36000, 500, false},
    {'s', 1, 40000, 2000, false},  {'s', 2, 50000, 400, false},   {'d', 2, 50500, 500, false},
    {'d', 1, 55000, 800, false},   {'d', 1, 60000, 800, false},   {'s', 1, 65000, 1000, false},
    {'s', 3, 70000, 500, false},   {'s', 1, 72000, 500, false},   {'s', 2, 80000, 500, false},
    {'s', 2, 88000, 500, false},   {'s', 3, 95000, 300, false},   {'s', 3, 106000, 1000, true},
    {'d', 4, 109800, 800, true},   {'s', 3, 111950, 1000, false}, {'s', 5, 113050, 200, false},
    {'d', 5, 114450, 500, false},  {'s', 1, 119150, 2000, false}, {'s', 2, 124100, 800, false},
    {'d', 2, 128050, 1000, false}, {'s', 1, 132300, 300, false},  {'d', 4, 133500, 400, false},
    {'s', 4, 134300, 950, false},  {'d', 5, 135250, 300, false},  {'d', 3, 140050, 2000, false},
    {'s', 4, 142450, 600, false},  {'s', 4, 145000, 400, true},   {'d', 4, 146500, 400, true},
    {'d', 1, 153750, 1000, false}, {'s', 1, 163850, 1000, false}, {'s', 1, 174050, 1000, false},
    {'d', 1, 193050, 1000, false}, {'s', 2, 199300, 700, true},   {'d', 2, 200000, 700, true},
    {'s', 4, 202200, 850, true},   {'d', 6, 204300, 250, false},  {'s', 4, 208900, 400, false},
    {'s', 4, 211000, 500, false},  {'d', 3, 213000, 2000, false}, {'d', 3, 215350, 1000, false},
    {'s', 4, 217550, 1400, false}, {'d', 3, 221650, 3000, false}, {'s', 3, 227050, 2000, false},
    {'d', 3, 229050, 2000, false}, {'s', 5, 232600, 200, false},  {'d', 2, 234400, 2000, true},
    {'d', 4, 240800, 300, true},   {'s', 3, 241200, 700, true},   {'d', 5, 245950, 100, false},
    {'s', 5, 247050, 200, false},  {'d', 3, 271750, 600, false},  {'d', 4, 272800, 400, false},
    {'s', 4, 273250, 300, false},  {'s', 4, 287650, 500, false},  {'d', 4, 290050, 400, false},
    {'s', 3, 294650, 600, true},   {'d', 5, 301050, 400, false},  {'s', 5, 301450, 600, false},
    {'s', 3, 302450, 1000, false}, {'d', 4, 304550, 900, false},  {'d', 4, 308350, 400, true},
    {'d', 4, 312700, 500, false},  {'s', 4, 313750, 600, false},  {'s', 6, 314600, 300, false},
    {'d', 5, 315350, 500, false},  {'d', 5, 322450, 400, false},  {'s', 5, 323200, 500, false},
    {'s', 4, 324350, 500, false},  {'d', 5, 324850, 300, false},  {'s', 4, 329550, 500, false},
    {'d', 4, 330050, 500, false},  {'s', 3, 341750, 1000, false}, {'d', 4, 343400, 550, true},
    {'s', 4, 344450, 600, true},   {'s', 2, 346050, 400, true},   {'s', 3, 347050, 400, true},
    {'d', 3, 347650, 600, true},
};

struct gradient_row {
  long chainage;
  int value;  // per mille
};

const gradient_row gradients[] = {
    {202050, 0},  {205050, 10}, {209050, 0},  {210050, -5}, {219050, 1},  {227050, 4},
    {231050, 0},  {232850, 4},  {240050, -5}, {246050, 0},  {247550, 4},  {261050, 0},
    {263050, -5}, {272650, -6}, {280600, 2},  {283050, 5},  {287050, 0},  {291050, -6},
    {299050, 5},  {301550, 0},  {302850, -5}, {311050, 0},  {326050, 5},  {331050, 6},
    {333050, -5}, {339050, 0},  {343050, 8},  {345050, 0},
};

// A board shows the same speeds and stripes on both sides of the track.
struct board_row {
  long chainage;
  int va, vb, vc, stripes;
};

const board_row boards[] = {
    {204350, 140, 155, 160, 0}, {207450, 120, 130, 135, 0}, {219950, 140, 150, 160, 0},
    {224950, 120, 130, 135, 0}, {229100, 140, 150, 160, 0}, {232300, 140, 160, 170, 0},
    {244550, 120, 130, 135, 2}, {244750, 120, 130, 135, 1}, {244950, 120, 130, 135, 0},
    {248050, 140, 160, 180, 0}, {269550, 120, 125, 130, 2}, {269750, 120, 125, 130, 1},
    {269950, 120, 125, 130, 0}, {274250, 140, 150, 150, 0}, {298950, 130, 135, 145, 0},
    {303500, 140, 150, 150, 0}, {311200, 110, 115, 125, 0}, {314350, 140, 150, 150, 0},
    {322600, 130, 135, 140, 0}, {326100, 140, 150, 150, 0}, {333850, 130, 140, 150, 0},
    {335950, 125, 130, 130, 0}, {341500, 130, 140, 150, 0}, {345550, 140, 150, 160, 0},
    {346350, 100, 110, 115, 2}, {346650, 100, 110, 115, 1}, {346950, 100, 110, 115, 0},
    {348350, 60, 65, 70, 2},    {348650, 60, 65, 70, 1},    {348900, 60, 65, 70, 0},
};
// The one board written with two blanks before its chainage.
constexpr long wide_board = 219950;

std::string curve_line(const curve_row& c) {
  const bool two_blanks = c.start < 100000 || c.wide;
  return std::string("curva") + c.side + std::to_string(c.curve_class) + "," + blanks(two_blanks ? 2 : 1) +
         std::to_string(c.start) + ",  " + std::to_string(c.length);
}

std::string gradient_line(const gradient_row& g) {
  return "pendenza, " + std::to_string(g.chainage) + "," + right_aligned(g.value, 4);
}

std::string board_line(const board_row& b) {
  std::string side;
  for (int v : {b.va, b.vb, b.vc, b.stripes}) side += ",  " + std::to_string(v);
  return "indicatori_vmax," + blanks(b.chainage == wide_board ? 2 : 1) + std::to_string(b.chainage) + side +
         side;
}

}  // namespace

line_list testo_linea() {
  line_filler f;
  f.add("[generale]");
  f.add("lunghezza percorso,    358000");
  f.add("progressiva chilometrica uno,    0,    0,    0");
  f.add("progressiva chilometrica due,    0,    0,    0");
  f.add("progressiva chilometrica tre,    0,    0,    0");
  f.add("sfondo uno,    1");
  f.add("sfondo due,    0");
  f.add("sfondo tre,    0");
  f.add("ripetizione segnali 4 codici,    0,    349000");
  f.add("[curve]");
  for (const curve_row& c : curves) f.add(curve_line(c));
  f.add("[pendenze]");
  for (const gradient_row& g : gradients) f.add(gradient_line(g));
  f.add("[montagne]");
  f.add("montagna,   204400,  209250,  11");
  f.add("[cartelli]");
  for (const board_row& b : boards) f.add(board_line(b));
  f.add("[indicazioni]");
  f.add("cartello_indicatore,  208550,   (Km 208+500)");
  f.add("cartello_indicatore,  323450,   (Km 323+402)");
  f.add("[fine]");
  return f.finish();
}

}  // namespace sb
