// Orlune's export, Vestan's import and the stand-in's key tracks over
// animations of 30,000 frames. Each benchmark reports its throughput and, as
// counters, the peak of live memory blocks that the plug-ins held through
// Movara (the stand-in's ledger) and the size of the SEQ file(s).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <iterator>
#include <string>

#include "benchmark_support.h"

namespace {

constexpr MOVARA_LONG_TYPE FRAME_COUNT = 30000;
constexpr MOVARA_LONG_TYPE DENSE_KEY_STEP = 1;
constexpr MOVARA_LONG_TYPE SPARSE_KEY_STEP = 10;
constexpr short STOCK_MALE_JOINT_COUNT = 19;

const MOVARA_LONG_TYPE root_channels[] = {CHANNEL_TRANSLATION_X, CHANNEL_TRANSLATION_Y,
                                          CHANNEL_TRANSLATION_Z, CHANNEL_HEADING};

void host_counters_set(benchmark::State& state, std::int64_t file_bytes) {
  state.counters["peak_live_block_bytes"] =
      benchmark::Counter(static_cast<double>(mvh_live_block_bytes_peak_get_f()));
  state.counters["file_bytes"] = benchmark::Counter(static_cast<double>(file_bytes));
}

// Skips the benchmark, with Movara's message, when a request did not succeed.
bool request_failed_f(benchmark::State& state, long answer, const char* what) {
  if (answer == 0) {
    return false;
  }
  const std::string message = std::string(what) + " answered " + std::to_string(answer) + ": " +
                              mvh_error_message_get_f();
  state.SkipWithError(message.c_str());
  return true;
}

// One stock-male figure keyed every `key_step` frames, exported whole.
void orlune_export_benchmark(benchmark::State& state, MOVARA_LONG_TYPE key_step) {
  BENCHMARK_HOST_TYPE host;
  if (!host.load_error_get_f().empty()) {
    state.SkipWithError(host.load_error_get_f().c_str());
    return;
  }
  void* animation = stock_male_animation_create_f(FRAME_COUNT, key_step, 1);
  const std::string path = scratch_path_get_f("export_step_" + std::to_string(key_step) + ".seq");
  for (auto _ : state) {
    if (request_failed_f(state, host.animation_export_f(animation, 0, FRAME_COUNT - 1, path),
                         "export")) {
      return;
    }
  }
  const std::int64_t file_bytes = file_size_get_f(path);
  state.SetBytesProcessed(state.iterations() * file_bytes);
  state.SetItemsProcessed(state.iterations() *
                          stock_male_key_count_get_f(FRAME_COUNT, key_step, 1));
  host_counters_set(state, file_bytes);
}
BENCHMARK_CAPTURE(orlune_export_benchmark, dense, DENSE_KEY_STEP)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(orlune_export_benchmark, sparse, SPARSE_KEY_STEP)->Unit(benchmark::kMillisecond);

// The file the export above writes, imported into a new animation each time.
void vestan_import_benchmark(benchmark::State& state, MOVARA_LONG_TYPE key_step) {
  const std::string path = scratch_path_get_f("import_step_" + std::to_string(key_step) + ".seq");
  {
    // Written by a host of its own, so that the import's host starts with an
    // empty ledger and its peak is the import's alone.
    BENCHMARK_HOST_TYPE writer;
    if (!writer.load_error_get_f().empty()) {
      state.SkipWithError(writer.load_error_get_f().c_str());
      return;
    }
    void* animation = stock_male_animation_create_f(FRAME_COUNT, key_step, 1);
    if (request_failed_f(state, writer.animation_export_f(animation, 0, FRAME_COUNT - 1, path),
                         "export")) {
      return;
    }
    anm_animation_dispose(animation);
  }
  BENCHMARK_HOST_TYPE host;
  if (!host.load_error_get_f().empty()) {
    state.SkipWithError(host.load_error_get_f().c_str());
    return;
  }
  // Key records in the file. The import may hold fewer keys: records whose
  // frame numbers coincide after the export's time conversion (a truncation
  // in double precision) land on one Movara frame, and the last one stays.
  const long long key_count = stock_male_key_count_get_f(FRAME_COUNT, key_step, 1);
  long imported_keys = 0;
  for (auto _ : state) {
    void* animation = nullptr;
    if (request_failed_f(state, host.animation_import_f(path, &animation), "import")) {
      return;
    }
    state.PauseTiming();
    void* figure = anm_animation_figure_get_by_index_f(animation, 0);
    imported_keys = figure == nullptr ? 0 : mvh_figure_key_count_get_f(figure);
    anm_animation_dispose(animation);
    state.ResumeTiming();
    // A benchmark of an import that gives back nothing, or more than the file
    // holds, measures nothing of use.
    if (imported_keys <= 0 || imported_keys > key_count) {
      const std::string message = "import gave " + std::to_string(imported_keys) +
                                  " keys from a file of " + std::to_string(key_count);
      state.SkipWithError(message.c_str());
      return;
    }
  }
  const std::int64_t file_bytes = file_size_get_f(path);
  state.SetBytesProcessed(state.iterations() * file_bytes);
  state.SetItemsProcessed(state.iterations() * key_count);
  host_counters_set(state, file_bytes);
  state.counters["imported_keys"] = benchmark::Counter(static_cast<double>(imported_keys));
}
BENCHMARK_CAPTURE(vestan_import_benchmark, dense, DENSE_KEY_STEP)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(vestan_import_benchmark, sparse, SPARSE_KEY_STEP)->Unit(benchmark::kMillisecond);

// The stand-in's tracks: a new animation keyed on every joint and root
// channel at every frame, then disposed of.
void movara_key_set_benchmark(benchmark::State& state) {
  BENCHMARK_HOST_TYPE host;
  for (auto _ : state) {
    void* animation = stock_male_animation_create_f(FRAME_COUNT, DENSE_KEY_STEP, 1);
    anm_animation_dispose(animation);
  }
  state.SetItemsProcessed(state.iterations() *
                          stock_male_key_count_get_f(FRAME_COUNT, DENSE_KEY_STEP, 1));
  host_counters_set(state, 0);
}
BENCHMARK(movara_key_set_benchmark)->Unit(benchmark::kMillisecond);

// Every joint orientation and root channel read at every frame, from tracks
// keyed every `key_step` frames (sparse: most reads interpolate).
void movara_key_get_benchmark(benchmark::State& state, MOVARA_LONG_TYPE key_step) {
  BENCHMARK_HOST_TYPE host;
  void* animation = stock_male_animation_create_f(FRAME_COUNT, key_step, 1);
  void* figure = anm_animation_figure_get_by_index_f(animation, 0);
  for (auto _ : state) {
    float sum = 0.0f;
    for (MOVARA_LONG_TYPE frame = 0; frame < FRAME_COUNT; ++frame) {
      for (short joint = 0; joint < STOCK_MALE_JOINT_COUNT; ++joint) {
        quaternion q = {};
        fgf_frame_joint_orientation_get(figure, frame, joint, &q, 0);
        sum += q.x;
      }
      for (MOVARA_LONG_TYPE channel : root_channels) {
        sum += fgf_frame_value_get_f(figure, frame, channel);
      }
    }
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * FRAME_COUNT *
                          (STOCK_MALE_JOINT_COUNT + static_cast<long long>(std::size(root_channels))));
  host_counters_set(state, 0);
}
BENCHMARK_CAPTURE(movara_key_get_benchmark, keyed, DENSE_KEY_STEP)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(movara_key_get_benchmark, interpolated, SPARSE_KEY_STEP)
    ->Unit(benchmark::kMillisecond);

// Two stock-male figures keyed at every frame: Orlune writes one file per
// figure (name_0.seq, name_1.seq).
void orlune_export_two_figures_benchmark(benchmark::State& state) {
  BENCHMARK_HOST_TYPE host;
  if (!host.load_error_get_f().empty()) {
    state.SkipWithError(host.load_error_get_f().c_str());
    return;
  }
  void* animation = stock_male_animation_create_f(FRAME_COUNT, DENSE_KEY_STEP, 2);
  const std::string path = scratch_path_get_f("two_figures.seq");
  for (auto _ : state) {
    if (request_failed_f(state, host.animation_export_f(animation, 0, FRAME_COUNT - 1, path),
                         "export")) {
      return;
    }
  }
  const std::int64_t file_bytes = file_size_get_f(scratch_path_get_f("two_figures_0.seq")) +
                                  file_size_get_f(scratch_path_get_f("two_figures_1.seq"));
  state.SetBytesProcessed(state.iterations() * file_bytes);
  state.SetItemsProcessed(state.iterations() *
                          stock_male_key_count_get_f(FRAME_COUNT, DENSE_KEY_STEP, 2));
  host_counters_set(state, file_bytes);
}
BENCHMARK(orlune_export_two_figures_benchmark)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
