// The check of authors' texts on the largest texts it reads: 64 MiB of
// comment lines, a million rows, a million rows that each give a warning;
// the text and JSON reports included. Every step must be linear in the
// text's bytes and rows.
#include <benchmark/benchmark.h>

#include <sstream>
#include <string>

#include "app/diagnostics_output.h"
#include "builder/scenario_files.h"
#include "check/scenario_check.h"
#include "platform/file_system.h"
#include "support/memory_file_system.h"

namespace {

constexpr const char* folder = "/bench";

struct texts {
  std::string line, train;
};

const std::string train_text = "[generale]\r\nvelocita, 0, 100\r\naderenza, 0, 100\r\n[fine]\r\n";

// Prose lines up to the largest text the reader takes.
texts comment_lines() {
  std::string line = "[generale]\r\nlunghezza percorso, 100000\r\n[curve]\r\n";
  const std::string comment = "# a line of prose that names no keyword, as authors write notes\r\n";
  while (line.size() + comment.size() + 8 < sb::largest_source_text) line += comment;
  return {line + "[fine]\r\n", train_text};
}

// A million gradient rows on a 1000 km line, fifty to a cell; `off_grid`
// moves each one metre off the 50 m grid, so that each gives a warning.
texts million_rows(bool off_grid) {
  std::string line = "[generale]\r\nlunghezza percorso, 1000000\r\n[pendenze]\r\n";
  for (int i = 0; i < 1000000; ++i)
    line += "pendenza, " + std::to_string(i - i % 50 + (off_grid ? 1 : 0)) + ", " + std::to_string(i % 7) + "\r\n";
  return {line + "[fine]\r\n", train_text};
}

void check(benchmark::State& state, const texts& t, bool json) {
  sb::test::memory_file_system fs;
  const sb::scenario_identity id{"Prova", "7"};
  fs.files[sb::join_path(folder, sb::line_file_name(id))] = t.line;
  fs.files[sb::join_path(folder, sb::train_file_name(id))] = t.train;
  size_t diagnostics = 0, shown = 0;
  for (auto _ : state) {
    const sb::check_report r = sb::check_scenario({id, 0, folder, ""}, fs);
    std::ostringstream out;
    if (json)
      sb::print_json(r.diagnostics, out);
    else
      sb::print_text(r.diagnostics, out);
    diagnostics = r.diagnostics.size();
    shown = out.str().size();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * (t.line.size() + t.train.size())));
  state.counters["diagnostics"] = static_cast<double>(diagnostics);
  state.counters["report_bytes"] = static_cast<double>(shown);
}

void register_all() {
  static const texts comments = comment_lines();
  static const texts rows = million_rows(false);
  static const texts warned = million_rows(true);
  for (const bool json : {false, true}) {
    const std::string format = json ? "/json" : "/text";
    benchmark::RegisterBenchmark(("check/comments_64MiB" + format).c_str(), check, comments, json)
        ->Unit(benchmark::kMillisecond)->Iterations(2);
    benchmark::RegisterBenchmark(("check/rows_1M" + format).c_str(), check, rows, json)
        ->Unit(benchmark::kMillisecond)->Iterations(2);
    benchmark::RegisterBenchmark(("check/rows_1M_each_warned" + format).c_str(), check, warned, json)
        ->Unit(benchmark::kMillisecond)->Iterations(2);
  }
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  register_all();
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
