// The compile step alone, in memory, on the shipped scenario and on the
// largest one the format allows; and each compiled-file encoder alone.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "builder/compile_step.h"
#include "builder/compiled_files.h"
#include "builder/scenario_files.h"
#include "documents/documents.h"
#include "support/memory_file_system.h"
#include "support/synthetic_scenario.h"

namespace {

using sb::scenario_model;

constexpr const char* folder = "/bench";

sb::synthetic_scenario shipped_scenario() {
  return {"Ortesa-Vildoro", "418", sb::testo_linea().render(), sb::testo_treno().render()};
}

// Puts the two texts where the reader looks for them (it deletes them).
void lay_texts(const sb::synthetic_scenario& s, sb::test::memory_file_system& fs) {
  const sb::scenario_identity id{s.route_name, s.train_number};
  fs.files.clear();
  fs.written_sizes.clear();
  // Only the sizes of the compiled files are kept: the product streams
  // them to disk and holds none of them whole.
  fs.keep_written = false;
  fs.files[sb::join_path(folder, sb::line_file_name(id))] = s.line_text;
  fs.files[sb::join_path(folder, sb::train_file_name(id))] = s.train_text;
}

struct compile_outcome {
  int32_t error_code = 0;
  size_t output_bytes = 0;
};

compile_outcome compile_once(const sb::synthetic_scenario& s, sb::test::memory_file_system& fs, scenario_model& model) {
  model = scenario_model{};
  model.route_name = s.route_name;
  model.train_number = s.train_number;
  lay_texts(s, fs);
  const sb::compile_result r = sb::memorizza_percorso(model, 1, fs, folder, sb::write_policy::always);
  compile_outcome o;
  o.error_code = r.files_written ? model.error_code : -1;
  for (const auto& [path, size] : fs.written_sizes) o.output_bytes += size;
  return o;
}

// A benchmark of a failing build would measure the wrong thing: stop.
scenario_model compiled_or_die(const sb::synthetic_scenario& s) {
  sb::test::memory_file_system fs;
  scenario_model model;
  const compile_outcome o = compile_once(s, fs, model);
  if (o.error_code != 0) {
    std::fprintf(stderr, "scenario %s does not build: error %d\n", s.route_name.c_str(), o.error_code);
    std::exit(1);
  }
  return model;
}

void compile_step(benchmark::State& state, const sb::synthetic_scenario& s) {
  sb::test::memory_file_system fs;
  scenario_model model;
  size_t output_bytes = 0;
  for (auto _ : state) {
    state.PauseTiming();
    model = scenario_model{};
    model.route_name = s.route_name;
    model.train_number = s.train_number;
    lay_texts(s, fs);
    state.ResumeTiming();
    const sb::compile_result r = sb::memorizza_percorso(model, 1, fs, folder, sb::write_policy::always);
    benchmark::DoNotOptimize(r.files_written);
    state.PauseTiming();
    if (!r.files_written || model.error_code != 0) {
      state.SkipWithError("the build failed");
      break;
    }
    output_bytes = 0;
    for (const auto& [path, size] : fs.written_sizes) output_bytes += size;
    state.ResumeTiming();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * output_bytes));
  state.counters["output_bytes"] = static_cast<double>(output_bytes);
}

// Takes the encoder's chunks as the disk would, without keeping them.
class counting_sink : public sb::byte_sink {
 public:
  void append(std::string_view bytes) override {
    size += bytes.size();
    benchmark::DoNotOptimize(bytes.data());
  }
  size_t size = 0;
};

template <typename Encode>
void encoder(benchmark::State& state, Encode encode) {
  size_t bytes = 0;
  for (auto _ : state) {
    counting_sink out;
    encode(out);
    bytes = out.size;
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
  state.counters["output_bytes"] = static_cast<double>(bytes);
}

void register_all() {
  // The models are built once, checked, and kept for the encoders.
  static const sb::synthetic_scenario shipped = shipped_scenario();
  static const sb::synthetic_scenario largest = sb::largest_scenario();
  static const scenario_model shipped_model = compiled_or_die(shipped);
  static const scenario_model largest_model = compiled_or_die(largest);

  benchmark::RegisterBenchmark("compile_step/shipped", compile_step, shipped)->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("compile_step/largest", compile_step, largest)->Unit(benchmark::kMillisecond);

  for (const auto& [name, model] : {std::pair{"shipped", &shipped_model}, std::pair{"largest", &largest_model}}) {
    const scenario_model* m = model;
    benchmark::RegisterBenchmark((std::string("encode_plan_file/") + name).c_str(), [m](benchmark::State& st) {
      encoder(st, [m](sb::byte_sink& out) { sb::encode_plan_file(m->track_plan, out); });
    })->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark((std::string("encode_table_file/") + name).c_str(), [m](benchmark::State& st) {
      encoder(st, [m](sb::byte_sink& out) { sb::encode_table_file(m->scenario_table, out); });
    })->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark((std::string("encode_cell_file/") + name).c_str(), [m](benchmark::State& st) {
      encoder(st, [m](sb::byte_sink& out) { sb::encode_cell_file(m->cells, out); });
    })->Unit(benchmark::kMicrosecond);
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
