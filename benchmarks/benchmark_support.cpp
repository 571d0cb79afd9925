#include "benchmark_support.h"

#include <cstdint>
#include <filesystem>
#include <system_error>

namespace {

constexpr short STOCK_MALE_JOINT_COUNT = 19;
constexpr long long ROOT_CHANNEL_COUNT = 4;

// A quaternion that turns with the frame and the joint; unnormalised keys are
// kept as set, so only the direction matters.
quaternion joint_quaternion_get_f(MOVARA_LONG_TYPE frame, short joint) {
  const float phase = static_cast<float>(frame % 360) * 0.01745f + static_cast<float>(joint);
  quaternion q;
  q.w = 1.0f;
  q.x = 0.1f * phase;
  q.y = 0.05f * static_cast<float>(joint);
  q.z = 0.02f * phase;
  return q;
}

}  // namespace

BENCHMARK_HOST_TYPE::BENCHMARK_HOST_TYPE() {
  // The journal would grow by one entry per call; a benchmark makes millions.
  mvh_journal_enable(false);
  mvh_reset();
  std::string error;
  if (!mvh_plugin_load_f(ORLUNE_MODULE_PATH, &orlune_plugin, &error)) {
    load_error = "Orlune: " + error;
    return;
  }
  if (!mvh_plugin_load_f(VESTAN_MODULE_PATH, &vestan_plugin, &error)) {
    load_error = "Vestan: " + error;
    return;
  }
  vestan_loaded = true;
}

BENCHMARK_HOST_TYPE::~BENCHMARK_HOST_TYPE() {
  if (vestan_loaded) {
    // Vestan's library object lives until 'LIBD', which Movara sends before
    // it unloads a plug-in.
    mvh_plugin_request_f(vestan_plugin, MSG_LIBD);
  }
  mvh_plugin_unload(&vestan_plugin);
  mvh_plugin_unload(&orlune_plugin);
  mvh_reset();
}

long BENCHMARK_HOST_TYPE::animation_export_f(void* animation, long start_frame, long end_frame,
                                             const std::string& path) {
  FM_FILE_IDENTIFIER_TYPE destination = {};
  if (!mvh_file_identifier_make_f(&destination, path)) {
    return ANSWER_FAILED;
  }
  DT_DATA_HEADER_TYPE** list = mvh_filter_data_list_create_f();
  mvh_export_options_set(list, start_frame, end_frame);
  const long answer = mvh_plugin_request_f(orlune_plugin, MSG_EXPORT, list, animation, &destination);
  mvh_filter_data_list_dispose(list);
  return answer;
}

long BENCHMARK_HOST_TYPE::animation_import_f(const std::string& path, void** animation) {
  *animation = nullptr;
  FM_FILE_IDENTIFIER_TYPE identifier = {};
  if (!mvh_file_identifier_make_f(&identifier, path)) {
    return ANSWER_FAILED;
  }
  return mvh_plugin_request_f(vestan_plugin, MSG_IMPA, nullptr, &identifier, animation);
}

void* stock_male_animation_create_f(MOVARA_LONG_TYPE frame_count, MOVARA_LONG_TYPE key_step,
                                    MOVARA_LONG_TYPE figure_count) {
  void* animation = anm_animation_create_f();
  anm_animation_frame_rate_set(animation, 30.0f);
  for (MOVARA_LONG_TYPE figure_index = 0; figure_index < figure_count; ++figure_index) {
    void* figure = anm_animation_figure_add_f(animation, nullptr, 0);
    if (figure == nullptr) {
      continue;
    }
    for (MOVARA_LONG_TYPE frame = 0; frame < frame_count; frame += key_step) {
      for (short joint = 0; joint < STOCK_MALE_JOINT_COUNT; ++joint) {
        quaternion q = joint_quaternion_get_f(frame + figure_index, joint);
        fgf_frame_joint_orientation_set(figure, frame, joint, &q);
      }
      const float step = static_cast<float>(frame % 1000);
      (void)fgf_frame_value_set_f(figure, frame, CHANNEL_TRANSLATION_X, 0.5f * step);
      (void)fgf_frame_value_set_f(figure, frame, CHANNEL_TRANSLATION_Y,
                                  MVH_STOCK_MALE_HIP_HEIGHT + 0.01f * step);
      (void)fgf_frame_value_set_f(figure, frame, CHANNEL_TRANSLATION_Z, -0.25f * step);
      (void)fgf_frame_value_set_f(figure, frame, CHANNEL_HEADING, 0.1f * step - 50.0f);
    }
  }
  return animation;
}

long long stock_male_key_count_get_f(MOVARA_LONG_TYPE frame_count, MOVARA_LONG_TYPE key_step,
                                     MOVARA_LONG_TYPE figure_count) {
  const long long keyed_frames = (static_cast<long long>(frame_count) + key_step - 1) / key_step;
  return keyed_frames * (STOCK_MALE_JOINT_COUNT + ROOT_CHANNEL_COUNT) * figure_count;
}

std::string scratch_path_get_f(const std::string& file_name) {
  const std::string folder = BENCHMARK_SCRATCH_DIRECTORY;
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  return folder + "/" + file_name;
}

std::int64_t file_size_get_f(const std::string& path) {
  std::error_code error;
  const std::uintmax_t size = std::filesystem::file_size(path, error);
  return error ? 0 : static_cast<std::int64_t>(size);
}
