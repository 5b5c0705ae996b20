// Writes the reader fuzzer's seed corpus: the shipped scenario as its own
// writers render it, and small variants that each end in one code. Every
// seed is built once here and must give the code its name promises.
//
//   make_corpus OUT_FOLDER
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "builder/compile_step.h"
#include "builder/scenario_files.h"
#include "documents/documents.h"

namespace {

std::string crlf(const std::vector<std::string>& lines) {
  std::string s;
  for (const auto& l : lines) (s += l) += "\r\n";
  return s;
}

// A line file of route length 10000 (cells 0 to 340) with these body rows.
std::string line_text(const std::vector<std::string>& body, const std::string& length = "10000") {
  std::vector<std::string> l{"[generale]", "lunghezza percorso,    " + length, "[curve]"};
  l.insert(l.end(), body.begin(), body.end());
  l.push_back("[fine]");
  return crlf(l);
}

std::string train_text(const std::vector<std::string>& body) {
  std::vector<std::string> l{"[generale]"};
  l.insert(l.end(), body.begin(), body.end());
  l.push_back("[fine]");
  return crlf(l);
}

struct seed {
  std::string name;
  int32_t code;  // what building it must end with (stamping codes included)
  std::optional<std::string> line;
  std::optional<std::string> train;
  char flags = '1';
};

// The code the compile step ends with, the way the fuzzer runs it.
int32_t build(const seed& s) {
  sb::scenario_model m;
  m.route_name = "Ortesa-Vildoro";
  m.train_number = "418";
  const sb::scenario_identity id{m.route_name, m.train_number};
  sb::memory_file_system fs;
  if (s.line) fs.files[sb::join_path("/f", sb::line_file_name(id))] = *s.line;
  if (s.train) fs.files[sb::join_path("/f", sb::train_file_name(id))] = *s.train;
  int32_t j = s.flags & 1;
  const sb::compile_result r = sb::memorizza_percorso(m, j, fs, "/f", sb::write_policy::always);
  return r.stamp_error != 0 ? r.stamp_error : m.error_code;
}

std::string station(int at, int kind, int length, const std::string& name) {
  return "stazione, " + std::to_string(at) + ", " + std::to_string(kind) + ", " + std::to_string(length) +
         ", 0,0,0, 0,0,0, 0,0,0, 0, 0,0,0, " + name;
}

std::vector<seed> seeds() {
  const std::string t = train_text({"velocita,  0,   100"});
  std::vector<seed> s = {
      {"shipped", 0, sb::testo_linea().render(), sb::testo_treno().render()},
      {"shipped_no_plan", 0, sb::testo_linea().render(), sb::testo_treno().render(), '0'},
      {"small_ok", 0, line_text({"pendenza, 1000, -5", "curvad4, 1000, 100", "montagna, 2000, 3000, 11"}),
       train_text({"velocita, 0, 100", "aderenza, 0, 100", "orologio, 21 56 30", "sabbia, 200",
                   "percentuale massa frenata, 125", "numero vetture, 10", station(3000, 2, 800, "A"),
                   "segnale, 5000, 2,4,0,0,0,2,1,0,0,0", "rallentamento, 7000, 60, 600, 0, 1, 60",
                   "abbattimento, 9000, 0"})},
      {"code_001_route_too_long", 1, line_text({}, "1000001"), t},
      {"code_002_progression", 2,
       crlf({"[generale]", "lunghezza percorso, 10000", "progressiva chilometrica uno, 0, 120, 0", "[fine]"}), t},
      {"code_003_repetition_start", 3, crlf({"[generale]", "ripetizione segnali 4 codici, 10, 100", "[fine]"}), t},
      {"code_004_repetition_end", 4, crlf({"[generale]", "ripetizione segnali 4 codici, 0, 120", "[fine]"}), t},
      {"code_005_repetition_system", 5, crlf({"[generale]", "ripetizione segnali codici, 0, 100", "[fine]"}), t},
      {"code_006_board_taken", 6, line_text({"cartello_indicatore, 1000, A", "cartello_indicatore, 1010, B"}), t},
      {"code_007_reduction_taken", 7, line_text({}), train_text({"abbattimento, 1000, 1", "abbattimento, 1000, 0"})},
      {"code_008_station_grid", 8, line_text({}), train_text({station(1010, 2, 200, "A")})},
      {"code_009_station_length", 9, line_text({}), train_text({station(1000, 2, 250, "A")})},
      {"code_011_signal_no_room", 11, line_text({"cartello_indicatore, 3950, A", "cartello_indicatore, 3900, B"}),
       train_text({"segnale, 4000, 2,4,0,0,0,2,1,0,0,0", "rallentamento, 6000, 60, 200, 0, 0, 0"})},
      {"code_012_no_room_before_start", 12,
       line_text({"cartello_indicatore, 5650, A", "cartello_indicatore, 5700, B", "cartello_indicatore, 5750, C"}),
       train_text({"rallentamento, 6000, 60, 200, 0, 0, 0"})},
      {"code_013_no_room_along", 13,
       line_text({"cartello_indicatore, 6350, A", "cartello_indicatore, 6400, B", "cartello_indicatore, 6450, C"}),
       train_text({"rallentamento, 6000, 60, 1000, 0, 0, 0"})},
      {"code_015_beyond", 15, line_text({"pendenza, 16950, 1"}), t},
      {"code_015_curve_past_plan", 15, line_text({"curvad1, 16000, 999"}), t},
      {"code_016_signal_taken", 16, line_text({}),
       train_text({"segnale, 2000, 2,4,0,0,0,2,1,0,0,0", "segnale, 2000, 2,4,0,0,0,2,1,0,0,0"})},
      {"code_017_warning_taken", 17, line_text({}),
       train_text({"abbattimento, 4850, 1", "rallentamento, 6000, 60, 200, 0, 0, 0"})},
      {"code_018_start_taken", 18, line_text({}),
       train_text({"abbattimento, 6050, 1", "rallentamento, 6000, 60, 200, 0, 0, 0"})},
      {"code_019_end_taken", 19, line_text({}),
       train_text({"abbattimento, 6250, 1", "rallentamento, 6000, 60, 200, 0, 0, 0"})},
      {"code_020_approach_taken", 20, line_text({}),
       train_text({"abbattimento, 4700, 1", "rallentamento, 6000, 60, 200, 0, 1, 0"})},
      {"code_021_indicator_taken", 21,
       line_text({"cartello_indicatore, 1000, A", "indicatori_vmax, 1000, 1,1,1,0,1,1,1,0"}), t},
      {"code_022_stations_close", 22, line_text({}),
       train_text({station(1000, 2, 200, "A"), station(1400, 2, 200, "B")})},
      {"code_024_station_origin", 24, line_text({}), train_text({station(0, 2, 200, "A")})},
      {"code_025_no_number", 25, line_text({"pendenza, 1000, x"}), t},
      {"code_025_byte_range", 25, line_text({}), train_text({station(1000, 300, 200, "A")})},
      {"code_025_speed_code", 25, line_text({}), train_text({"velocita, 0, 1280", "velocita, 1000, 5"})},
      {"code_025_no_train_file", 25, line_text({}), std::nullopt},
      {"code_025_no_route_length", 25, crlf({"[generale]", "sfondo uno, 1", "[fine]"}), t},
      {"code_101_no_line_file", 101, std::nullopt, t, '3'},
      {"code_102_no_generale", 102, std::string("x,[generale]"), t},
      {"code_103_curve_sharpness", 103, line_text({"curvad, 1000, 100"}), t},
      {"code_1250_marker_in_use", 1250, line_text({"cartello_indicatore, 0, A"}), t},
      {"code_1251_code_in_use", 1251, line_text({"indicatori_vmax, 0, 0,5,0,0, 0,0,0,0"}), t},
      {"comments_and_case", 0,
       crlf({"stray", "[Generale]", "LUNGHEZZA PERCORSO, 10000", "Progressiva chilometrica uno, 1000, 1000, 0",
             "progressiva chilometrica due, 2000, 2000, 1", "- a comment -", "-- another --", "sfondo uno, 7",
             "[curve]", "-x-", "-y-", "-z-", "pendenza, 1000, 3", "CurvaS61, 2000, 300", "[fine]"}),
       train_text({"orologio,\t21\t56,30", "-c-", "velocita, 0, 100"})},
  };
  // Too many stations: with no board the 79th gives 10.
  std::vector<std::string> stations;
  for (int i = 0; i < 80; ++i) stations.push_back(station(1000 + 1000 * i, 28, 200, "S"));
  s.push_back({"code_010_stations", 10, line_text({}, "100000"), train_text(stations)});
  return s;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_corpus OUT_FOLDER\n");
    return 2;
  }
  int wrong = 0;
  for (const seed& s : seeds()) {
    const int32_t got = build(s);
    if (got != s.code) {
      std::fprintf(stderr, "make_corpus: %s gives %d, not %d\n", s.name.c_str(), got, s.code);
      ++wrong;
      continue;
    }
    std::string bytes(1, s.flags);
    if (s.line) bytes += *s.line;
    if (s.train) bytes += "#####" + *s.train;
    std::ofstream(std::string(argv[1]) + "/" + s.name, std::ios::binary) << bytes;
  }
  return wrong == 0 ? 0 : 1;
}
