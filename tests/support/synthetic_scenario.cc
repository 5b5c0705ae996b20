#include "synthetic_scenario.h"

#include <cstdio>
#include <string>

namespace sb {

namespace {

// The line is cut into blocks of 1500 m (30 cells). Every kind of item has
// its own cell within a block, so no two items ever meet:
//   cell 30m + 1   signal at 1500m (approach codes on cells 29..23 of the
//                  block before, which never need to be free)
//   cell 30m + 5   reduction point at 1500m + 250
//   cell 30m + 11  indication board at 1500m + 500
//   cell 30m + 16  maximum-speed board at 1500m + 750
//   cell 30m + 21  slowdown start at 1500m + 1000 (warning on cell 27 of
//                  the block before, end on cell 25, or on cell 7 of the
//                  next block for the long ones)
//   cell 30m + 23  station end marker, station centred on 1500m + 900
constexpr int block = 1500;
constexpr int route_length = 1000000;
constexpr int last_signal_block = route_length / block;  // 666

constexpr int boards = 40;
constexpr int board_every = 16;  // blocks 5, 21, ... 629
constexpr int stations = 38;     // rows 1 to 38: the board rows start at 41
constexpr int station_every = 17;  // blocks 10, 27, ... 639
constexpr int slowdowns = 6;
// Blocks 23, 125, ... 533: never a station's block nor one next to it.
constexpr int slowdown_every = 6 * station_every;

class text {
 public:
  template <typename... Args>
  void row(const char* format, Args... args) {
    if constexpr (sizeof...(Args) == 0) {
      bytes_ += format;
    } else {
      char buffer[256];
      const int n = std::snprintf(buffer, sizeof buffer, format, args...);
      bytes_.append(buffer, static_cast<size_t>(n));
    }
    bytes_ += "\r\n";
  }
  std::string take() { return std::move(bytes_); }

 private:
  std::string bytes_;
};

std::string line_text() {
  text t;
  t.row("[generale]");
  t.row("lunghezza percorso,    %d", route_length);
  t.row("progressiva chilometrica uno,    0,    0,    0");
  t.row("progressiva chilometrica due,    0,    0,    0");
  t.row("progressiva chilometrica tre,    0,    0,    0");
  t.row("sfondo uno,    1");
  t.row("sfondo due,    0");
  t.row("sfondo tre,    0");
  t.row("ripetizione segnali 4 codici,    0,    990000");

  // Curves of every sharpness and both sides, 600 m every 2 km; the last
  // ends at 998900, short of the plan's limit of metre 1000000.
  t.row("[curve]");
  for (int i = 0; i < 500; ++i)
    t.row("curva%c%d,  %d,  600", i % 2 == 0 ? 'd' : 's', 1 + i % 6, 2000 * i + 300);

  t.row("[pendenze]");
  for (int i = 0; i < 400; ++i) t.row("pendenza, %d,  %d", 2500 * i + 50, (i * 7) % 21 - 10);

  t.row("[montagne]");
  for (int i = 0; i < 20; ++i) t.row("montagna,   %d,  %d,  11", 50000 * i + 20000, 50000 * i + 26000);

  t.row("[cartelli]");
  for (int m = 3; m <= last_signal_block; m += 7) {
    const int v = 100 + 5 * (m % 13);
    t.row("indicatori_vmax, %d,  %d,  %d,  %d,  0,  %d,  %d,  %d,  0", block * m + 750, v, v + 10, v + 15, v,
          v + 10, v + 15);
  }

  t.row("[indicazioni]");
  for (int i = 0; i < boards; ++i) {
    const int c = block * (board_every * i + 5) + 500;
    t.row("cartello_indicatore,  %d,   (Km %d+%03d)", c, c / 1000, c % 1000);
  }
  t.row("[fine]");
  return t.take();
}

std::string train_text() {
  text t;
  t.row("[generale]");
  t.row("numero vetture,    12");
  t.row("percentuale massa frenata,    130");
  t.row("sabbia,    200");
  t.row("orologio,    6              10            0 ");

  t.row("[aderenze]");
  for (int i = 0; i < 10; ++i) t.row("aderenza,   %d,    %d", 100000 * i, 90 + i);

  t.row("[vel_limite]");
  for (int i = 0; i < 100; ++i) t.row("velocita,  %d,   %d", 10000 * i + 100, 100 + 5 * (i % 17));

  t.row("[stazioni]");
  for (int i = 0; i < stations; ++i) {
    const int m = station_every * i + 10;
    const int kind = i == 0 ? 2 : i % 5 == 0 ? 4 : 12;
    const int stop = i == 0 ? 1 : kind == 4 ? 45 : 0;
    const int hours = i == 0 ? 6 : 0, minutes = i == 0 ? 12 : 0;
    t.row("stazione,  %d, %d,  600,  0, 0, 0,  1,1,0,  4,1,1,    %d,  %d,%d, 0, STAZIONE %d", block * m + 900,
          kind, stop, hours, minutes, i + 1);
  }

  t.row("[rallentamenti]");
  for (int i = 0; i < slowdowns; ++i) {
    const int m = slowdown_every * i + 23;
    t.row("rallentamento,  %d,    %d,  %d, 0,  %d,  %d", block * m + 1000, i % 2 == 0 ? 60 : 120,
          i % 3 == 0 ? 800 : 200, i % 2, i % 2 == 0 ? 60 : 0);
  }

  t.row("[abbattimenti]");
  for (int i = 0; i < 10; ++i) t.row("abbattimento,  %d,  %d", block * (60 * i + 40) + 250, i % 2 == 0 ? 150 : 0);

  t.row("[segnali]");
  for (int m = 1; m <= last_signal_block; ++m)
    t.row("segnale,   %d,   2, %d, %d,  0, 0,    2,  %d,0,0, 0", block * m, 1 + m % 4, m % 2, 1 + m % 3);
  t.row("[codici]");
  t.row("[fine]");
  return t.take();
}

}  // namespace

synthetic_scenario largest_scenario() { return {"Sintetica", "1", line_text(), train_text()}; }

}  // namespace sb
