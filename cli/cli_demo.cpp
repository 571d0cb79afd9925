// `movara demo`: a small built-in animation exported through Orlune and each
// of its files imported back through Vestan, key by key compared with the
// original.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "cli_json.h"
#include "cli_platform.h"
#include "cli_plugin.h"
#include "cli_verbs.h"

namespace fs = std::filesystem;

namespace {

constexpr double CLI_PI = 3.14159265358979323846;
constexpr long CLI_DEMO_LAST_FRAME = 48;
constexpr double CLI_DEMO_FRAME_RATE = 30.0;

// A rotation of `degrees` about the x (axis 0) or y (axis 1) axis.
quaternion cli_rotation_get_f(int axis, double degrees) {
  const double half = degrees * CLI_PI / 360.0;
  quaternion q{static_cast<float>(std::cos(half)), 0.0f, 0.0f, 0.0f};
  const float s = static_cast<float>(std::sin(half));
  if (axis == 0) {
    q.x = s;
  } else {
    q.y = s;
  }
  return q;
}

// The joint of the stock male skeleton whose name holds `word`; "" if none.
std::string cli_stock_joint_find_f(void* skeleton, const std::string& word, const std::string& side) {
  const short count = skl_skeleton_joint_count_get_f(skeleton);
  for (short joint = 0; joint < count; ++joint) {
    const std::string name = cli_skeleton_joint_name_get_f(skeleton, joint);
    if (name.find(word) != std::string::npos && name.find(side) != std::string::npos) {
      return name;
    }
  }
  return std::string();
}

void cli_orientation_track_add(CLI_FIGURE_TYPE* figure, const std::string& joint, long step,
                               double (*angle)(double phase), int axis) {
  if (joint.empty()) {
    return;
  }
  CLI_ORIENTATION_TRACK_TYPE track;
  track.joint = joint;
  for (long frame = 0; frame <= CLI_DEMO_LAST_FRAME; frame += step) {
    // Two steps every 24 frames.
    const double phase = 2.0 * CLI_PI * static_cast<double>(frame) / 24.0;
    track.keys.push_back(MVH_ORIENTATION_KEY_TYPE{frame, cli_rotation_get_f(axis, angle(phase))});
  }
  figure->orientation_tracks.push_back(track);
}

void cli_channel_track_add(CLI_FIGURE_TYPE* figure, long channel, long step, double (*value)(double frame)) {
  CLI_CHANNEL_TRACK_TYPE track;
  track.channel = channel;
  for (long frame = 0; frame <= CLI_DEMO_LAST_FRAME; frame += step) {
    track.keys.push_back(MVH_VALUE_KEY_TYPE{frame, static_cast<float>(value(static_cast<double>(frame)))});
  }
  figure->channel_tracks.push_back(track);
}

// The stock male figure walking four steps forward while turning a little.
CLI_FIGURE_TYPE cli_demo_walker_get_f() {
  CLI_FIGURE_TYPE figure;
  figure.skeleton.stock = true;
  figure.pinned = true;
  void* stock = mvh_stock_male_skeleton_create_f();
  const std::string root = cli_skeleton_joint_name_get_f(stock, skl_skeleton_root_id_get_f(stock));
  const std::string left_thigh = cli_stock_joint_find_f(stock, "Thigh", "Left");
  const std::string right_thigh = cli_stock_joint_find_f(stock, "Thigh", "Right");
  const std::string left_shin = cli_stock_joint_find_f(stock, "Shin", "Left");
  const std::string right_shin = cli_stock_joint_find_f(stock, "Shin", "Right");
  const std::string abdomen = cli_stock_joint_find_f(stock, "Abdomen", "");
  skl_skeleton_dispose(stock);

  cli_orientation_track_add(&figure, root, 4, [](double phase) { return 5.0 * std::sin(phase); }, 1);
  cli_orientation_track_add(&figure, abdomen, 8, [](double phase) { return -3.0 * std::sin(phase); }, 1);
  cli_orientation_track_add(&figure, left_thigh, 4, [](double phase) { return 25.0 * std::sin(phase); }, 0);
  cli_orientation_track_add(&figure, right_thigh, 4, [](double phase) { return -25.0 * std::sin(phase); }, 0);
  cli_orientation_track_add(
      &figure, left_shin, 4, [](double phase) { return 30.0 * std::max(0.0, std::cos(phase)); }, 0);
  cli_orientation_track_add(
      &figure, right_shin, 4, [](double phase) { return 30.0 * std::max(0.0, -std::cos(phase)); }, 0);
  cli_channel_track_add(&figure, CHANNEL_TRANSLATION_X, 4,
                        [](double frame) { return 2.0 * std::sin(2.0 * CLI_PI * frame / 48.0); });
  // The hip's height above the floor: its rest height with a small bob.
  cli_channel_track_add(&figure, CHANNEL_TRANSLATION_Y, 4, [](double frame) {
    return static_cast<double>(MVH_STOCK_MALE_HIP_HEIGHT) +
           1.5 * std::fabs(std::cos(2.0 * CLI_PI * frame / 24.0));
  });
  cli_channel_track_add(&figure, CHANNEL_TRANSLATION_Z, 4, [](double frame) { return 3.125 * frame; });
  cli_channel_track_add(&figure, CHANNEL_HEADING, 12, [](double frame) { return 20.0 * frame / 48.0; });
  return figure;
}

// A small machine on a skeleton of its own, made from a model file.
CLI_FIGURE_TYPE cli_demo_robot_get_f() {
  CLI_FIGURE_TYPE figure;
  figure.skeleton.name = "robot";
  figure.skeleton.model_file = "models/robot.obj";
  figure.skeleton.model_creator = fourcc_f("RBT1");
  figure.skeleton.joints = {{"base", "base_joint"}, {"turret", ""}, {"arm", ""}, {"claw", ""}};
  cli_orientation_track_add(&figure, "turret", 8, [](double phase) { return 30.0 * phase / CLI_PI; }, 1);
  cli_orientation_track_add(&figure, "arm", 8, [](double phase) { return 40.0 * std::sin(phase / 2.0); }, 0);
  cli_orientation_track_add(&figure, "claw", 16, [](double phase) { return 10.0 * std::cos(phase); }, 0);
  cli_channel_track_add(&figure, CHANNEL_TRANSLATION_X, 8, [](double frame) { return 120.0 + 1.25 * frame; });
  cli_channel_track_add(&figure, CHANNEL_TRANSLATION_Y, 16, [](double frame) { return 10.0 + frame / 16.0; });
  cli_channel_track_add(&figure, CHANNEL_HEADING, 24, [](double frame) { return -90.0 + 3.75 * frame; });
  return figure;
}

bool cli_demo_folder_make_f(const std::string& requested, std::string* folder, std::string* error) {
  std::error_code make_error;
  if (!requested.empty()) {
    fs::create_directories(requested, make_error);
    if (make_error || !fs::is_directory(requested)) {
      *error = requested + ": cannot be made a folder" +
               (make_error ? " (" + make_error.message() + ")" : std::string());
      return false;
    }
    *folder = requested;
    return true;
  }
  const fs::path temporary = fs::temp_directory_path(make_error);
  if (make_error) {
    *error = "no folder for temporary files (" + make_error.message() + "); give the demo a folder";
    return false;
  }
  for (int attempt = 0; attempt < 100; ++attempt) {
    const fs::path candidate = temporary / ("movara-demo-" + std::to_string(cli_process_id_get_f()) +
                                            (attempt == 0 ? std::string() : "-" + std::to_string(attempt)));
    if (fs::create_directory(candidate, make_error)) {
      *folder = candidate.string();
      return true;
    }
    if (make_error) {
      break;
    }
  }
  *error = "cannot make a fresh folder in " + temporary.string() + "; give the demo a folder";
  return false;
}

std::string cli_difference_text_get_f(double value) {
  char text[32];
  std::snprintf(text, sizeof(text), "%.3g", value);
  return text;
}

}  // namespace

int cli_demo_run_f(const CLI_OPTIONS_TYPE& options, const std::string& requested_folder) {
  std::string folder;
  std::string error;
  if (!cli_demo_folder_make_f(requested_folder, &folder, &error)) {
    cli_error_print(error);
    return CLI_EXIT_FAILURE;
  }
  CLI_ANIMATION_TYPE description;
  description.frame_rate = CLI_DEMO_FRAME_RATE;
  description.figures.push_back(cli_demo_walker_get_f());
  description.figures.push_back(cli_demo_robot_get_f());

  CLI_PLUGIN_SESSION_TYPE orlune;
  if (!cli_plugin_session_open_f(&orlune, options.plugin_folder, "orlune", options.verbose, &error)) {
    cli_error_print(error);
    return CLI_EXIT_FAILURE;
  }
  void* original = nullptr;
  if (!cli_animation_build_f(description, &original, &error)) {
    cli_plugin_session_close(&orlune);
    cli_error_print("the demo animation: " + error);
    return CLI_EXIT_FAILURE;
  }
  std::printf("movara demo: an animation of 2 figures, frames 0..%ld at %g frames per second\n",
              CLI_DEMO_LAST_FRAME, CLI_DEMO_FRAME_RATE);
  std::printf("  figure 0: Movara's stock male figure walking four steps\n");
  std::printf("  figure 1: a skeleton \"robot\" of 4 joints built from the model file models/robot.obj\n");

  const std::string destination = (fs::path(folder) / "walk.seq").string();
  std::vector<std::string> written;
  const bool exported =
      cli_seq_export_f(&orlune, original, destination, 0, CLI_DEMO_LAST_FRAME, &written, &error);
  cli_plugin_session_close(&orlune);
  if (!exported) {
    anm_animation_dispose(original);
    cli_error_print(error);
    return CLI_EXIT_FAILURE;
  }
  std::printf("exported through Orlune to %s: one file per figure\n", destination.c_str());
  bool succeeded = written.size() == description.figures.size();
  for (const std::string& file : written) {
    succeeded = cli_written_file_print_f(file) && succeeded;
  }
  if (written.size() != description.figures.size()) {
    cli_error_print(destination + ": Orlune wrote " + std::to_string(written.size()) + " files for " +
                    std::to_string(description.figures.size()) + " figures");
  }

  CLI_PLUGIN_SESSION_TYPE vestan;
  if (!cli_plugin_session_open_f(&vestan, options.plugin_folder, "vestan", options.verbose, &error)) {
    anm_animation_dispose(original);
    cli_error_print(error);
    return CLI_EXIT_FAILURE;
  }
  const double frame_rate = static_cast<double>(anm_animation_frame_rate_get_f(original));
  for (std::size_t index = 0; index < description.figures.size(); ++index) {
    // Orlune names the file of figure i walk_i.seq.
    const std::string file = (fs::path(folder) / ("walk_" + std::to_string(index) + ".seq")).string();
    if (std::find(written.begin(), written.end(), file) == written.end()) {
      continue;
    }
    const long skeletons_before = mvh_skeleton_count_get_f();
    void* imported = nullptr;
    if (!cli_seq_import_f(&vestan, file, &imported, &error)) {
      cli_error_print(error);
      succeeded = false;
      continue;
    }
    const long skeletons_after = mvh_skeleton_count_get_f();
    CLI_SEQ_WALK_TYPE walk;
    std::string walk_error;
    cli_seq_file_walk_f(file, &walk, &walk_error);
    void* imported_figure = anm_animation_figure_get_by_index_f(imported, 0);
    cli_import_summary_print(
        file, imported,
        cli_skeleton_origin_get_f(fig_figure_get_skel(imported_figure), skeletons_before, skeletons_after),
        walk);
    void* original_figure = anm_animation_figure_get_by_index_f(original, static_cast<MOVARA_LONG_TYPE>(index));
    const CLI_COMPARISON_TYPE comparison =
        cli_figure_compare_f(original_figure, frame_rate, 0, CLI_DEMO_LAST_FRAME, imported_figure);
    const bool close = comparison.mismatches.empty() && comparison.keys_compared > 0;
    std::printf("  round trip  %ld keys compared with figure %zu; largest difference: orientation %s, "
                "translation %s, heading %s degrees%s\n",
                comparison.keys_compared, index, cli_difference_text_get_f(comparison.orientation).c_str(),
                cli_difference_text_get_f(comparison.translation).c_str(),
                cli_difference_text_get_f(comparison.heading).c_str(),
                close ? ": within float precision" : "");
    for (const std::string& mismatch : comparison.mismatches) {
      std::printf("  mismatch    %s\n", mismatch.c_str());
    }
    if (!close) {
      cli_error_print(file + ": the imported keys differ from figure " + std::to_string(index) +
                      " beyond float precision (" + std::to_string(comparison.mismatches.size()) +
                      " mismatches)");
      succeeded = false;
    }
    anm_animation_dispose(imported);
  }
  cli_plugin_session_close(&vestan);
  anm_animation_dispose(original);
  if (succeeded) {
    std::printf("demo succeeded: %zu files written and imported back, every key within float precision\n",
                written.size());
    return CLI_EXIT_SUCCESS;
  }
  return CLI_EXIT_FAILURE;
}
