// What the benchmarks share: a fresh stand-in Movara with both plug-ins
// loaded and the journal off, stock-male animations keyed over many frames,
// and the export and import requests as Movara sends them.
#ifndef BENCHMARKS_BENCHMARK_SUPPORT_H
#define BENCHMARKS_BENCHMARK_SUPPORT_H

#include <cstdint>
#include <string>

#include "movara_api.h"
#include "movara_host.h"

// The stand-in for the length of one benchmark: reset, journal off, Orlune
// and Vestan loaded; everything unloaded and reset again at the end.
class BENCHMARK_HOST_TYPE {
 public:
  BENCHMARK_HOST_TYPE();
  ~BENCHMARK_HOST_TYPE();
  BENCHMARK_HOST_TYPE(const BENCHMARK_HOST_TYPE&) = delete;
  BENCHMARK_HOST_TYPE& operator=(const BENCHMARK_HOST_TYPE&) = delete;

  // Empty when both plug-ins loaded; otherwise why not.
  const std::string& load_error_get_f() const { return load_error; }

  // Message 6 through Orlune: the range in the export options, the animation
  // and an identifier of `path`. Answers Orlune's answer (0: done).
  long animation_export_f(void* animation, long start_frame, long end_frame,
                          const std::string& path);
  // 'IMPA' through Vestan into a new animation (null when it fails).
  // Answers Vestan's answer (0: done).
  long animation_import_f(const std::string& path, void** animation);

 private:
  MVH_PLUGIN_TYPE orlune_plugin;
  MVH_PLUGIN_TYPE vestan_plugin;
  bool vestan_loaded = false;
  std::string load_error;
};

// A 30 fps animation of `figure_count` stock-male figures, each keyed on every
// joint and on the four root channels (x, y, z translation and heading) at
// frames 0, key_step, 2 * key_step, ... below frame_count. Values vary with
// the frame so that no two keys are alike.
void* stock_male_animation_create_f(MOVARA_LONG_TYPE frame_count, MOVARA_LONG_TYPE key_step,
                                    MOVARA_LONG_TYPE figure_count);

// Keys one such animation holds: (19 joints + 4 channels) per keyed frame per figure.
long long stock_male_key_count_get_f(MOVARA_LONG_TYPE frame_count, MOVARA_LONG_TYPE key_step,
                                     MOVARA_LONG_TYPE figure_count);

// A path in the benchmarks' scratch folder (created on first use).
std::string scratch_path_get_f(const std::string& file_name);

// Size of a file in bytes; 0 when it cannot be read.
std::int64_t file_size_get_f(const std::string& path);

#endif  // BENCHMARKS_BENCHMARK_SUPPORT_H
