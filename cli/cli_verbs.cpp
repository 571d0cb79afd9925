#include "cli_verbs.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <limits>
#include <sstream>

#include "cli_json.h"
#include "cli_plugin.h"
#include "seq_format.h"

namespace {

struct CLI_TRACK_SUMMARY_TYPE {
  std::string title;
  std::size_t key_count = 0;
  long first_frame = 0;
  long last_frame = 0;
};

template <typename KEY_TYPE>
CLI_TRACK_SUMMARY_TYPE cli_track_summary_get_f(const std::string& title, const std::vector<KEY_TYPE>& keys) {
  CLI_TRACK_SUMMARY_TYPE summary;
  summary.title = title;
  summary.key_count = keys.size();
  if (!keys.empty()) {
    summary.first_frame = keys.front().frame;
    summary.last_frame = keys.back().frame;
  }
  return summary;
}

std::string cli_channel_title_get_f(long channel) {
  switch (channel) {
    case CHANNEL_TRANSLATION_X:
      return "channel 1 (translation x)";
    case CHANNEL_TRANSLATION_Y:
      return "channel 2 (translation y)";
    case CHANNEL_TRANSLATION_Z:
      return "channel 3 (translation z)";
    case CHANNEL_HEADING:
      return "channel 1000000 (heading)";
    default:
      return "channel " + std::to_string(channel);
  }
}

std::string cli_rate_text_get_f(double frame_rate) {
  std::ostringstream text;
  text << frame_rate;
  return text.str();
}

}  // namespace

void cli_error_print(const std::string& line) {
  std::fflush(stdout);
  std::fprintf(stderr, "error: %s\n", line.c_str());
  std::fflush(stderr);
}

void cli_fault_arm(const CLI_OPTIONS_TYPE& options) {
  if (!options.fault_function.empty() && options.fault_call > 0) {
    mvh_fault_call_fail(options.fault_function, options.fault_call);
  }
}

std::string cli_skeleton_origin_get_f(void* skeleton, long skeletons_before, long skeletons_after) {
  if (cli_skeleton_stock_f(skeleton)) {
    return "stock";
  }
  // A built skeleton is new; a found one was held by Movara before (the one
  // the import built for the search is disposed of again).
  return skeletons_after > skeletons_before ? "built" : "found";
}

void cli_import_summary_print(const std::string& path, void* animation, const std::string& origin,
                              const CLI_SEQ_WALK_TYPE& walk) {
  const MOVARA_LONG_TYPE figure_count = anm_animation_figure_count_get_f(animation);
  std::printf("imported %s through Vestan: %ld figure%s at %s frames per second\n", path.c_str(),
              static_cast<long>(figure_count), figure_count == 1 ? "" : "s",
              cli_rate_text_get_f(static_cast<double>(anm_animation_frame_rate_get_f(animation))).c_str());
  for (MOVARA_LONG_TYPE index = 0; index < figure_count; ++index) {
    void* figure = anm_animation_figure_get_by_index_f(animation, index);
    void* skeleton = fig_figure_get_skel(figure);
    const short joint_count = skl_skeleton_joint_count_get_f(skeleton);
    const short root = skl_skeleton_root_id_get_f(skeleton);
    std::string origin_text = origin == "stock"   ? "Movara's stock male figure"
                              : origin == "found" ? "found: a skeleton Movara already held"
                                                  : "built from the file's joint names";
    std::printf("  skeleton    \"%s\" (%s), root \"%s\", %d joints\n",
                cli_text_printable_get_f(mvh_skeleton_name_get_f(skeleton)).c_str(), origin_text.c_str(),
                root >= 0 ? cli_text_printable_get_f(cli_skeleton_joint_name_get_f(skeleton, root)).c_str() : "",
                static_cast<int>(joint_count));

    std::size_t matched = 0;
    std::vector<std::string> skipped;
    for (const CLI_SEQ_JOINT_SECTION_TYPE& section : walk.joints) {
      std::string name = section.name;
      if (skl_skeleton_joint_id_get_f(skeleton, &name[0]) >= 0) {
        ++matched;
      } else {
        skipped.push_back("'" + cli_text_printable_get_f(section.name) + "'");
      }
    }
    std::string skipped_text;
    for (std::size_t at = 0; at < skipped.size(); ++at) {
      skipped_text += (at == 0 ? " (" : ", ") + skipped[at];
    }
    if (!skipped.empty()) {
      skipped_text += ": not in the skeleton, their keys were passed over)";
    }
    std::printf("  joints      %zu of %zu file sections matched, %zu skipped%s\n", matched,
                walk.joints.size(), skipped.size(), skipped_text.c_str());
    std::printf("  pinned      %s\n", fig_figure_pin_to_floor_get_f(figure) != 0 ? "yes, to the floor" : "no");

    std::vector<CLI_TRACK_SUMMARY_TYPE> tracks;
    short unkeyed = 0;
    for (short joint = 0; joint < joint_count; ++joint) {
      const std::vector<MVH_ORIENTATION_KEY_TYPE> keys = mvh_figure_orientation_keys_get_f(figure, joint);
      if (keys.empty()) {
        ++unkeyed;
        continue;
      }
      tracks.push_back(cli_track_summary_get_f(
          "joint '" + cli_text_printable_get_f(cli_skeleton_joint_name_get_f(skeleton, joint)) + "'", keys));
    }
    for (const long channel : mvh_figure_keyed_channels_get_f(figure)) {
      tracks.push_back(cli_track_summary_get_f(cli_channel_title_get_f(channel),
                                               mvh_figure_value_keys_get_f(figure, channel)));
    }
    std::size_t key_total = 0;
    long first = std::numeric_limits<long>::max();
    long last = std::numeric_limits<long>::min();
    for (const CLI_TRACK_SUMMARY_TYPE& track : tracks) {
      key_total += track.key_count;
      first = std::min(first, track.first_frame);
      last = std::max(last, track.last_frame);
    }
    if (tracks.empty()) {
      std::printf("  frames      none: the figure holds no keys\n");
    } else {
      std::printf("  frames      %ld..%ld\n", first, last);
    }
    const std::string unkeyed_text =
        unkeyed == 0 ? std::string()
                     : ", " + std::to_string(unkeyed) + (unkeyed == 1 ? " joint" : " joints") + " without keys";
    std::printf("  keys        %zu in %zu tracks%s\n", key_total, tracks.size(),
                unkeyed_text.c_str());
    for (const CLI_TRACK_SUMMARY_TYPE& track : tracks) {
      std::printf("    %-34s %5zu %s  frames %ld..%ld\n", track.title.c_str(), track.key_count,
                  track.key_count == 1 ? "key " : "keys", track.first_frame, track.last_frame);
    }
  }
}

bool cli_written_file_print_f(const std::string& path) {
  CLI_SEQ_WALK_TYPE walk;
  std::string error;
  if (!cli_seq_file_walk_f(path, &walk, &error)) {
    cli_error_print(path + ": " + error);
    return false;
  }
  long keys = 0;
  for (const CLI_SEQ_JOINT_SECTION_TYPE& section : walk.joints) {
    keys += section.track.key_count;
  }
  long root_keys = 0;
  for (const CLI_SEQ_TRACK_TYPE& track : walk.root_tracks) {
    root_keys += track.key_count;
  }
  std::printf("  wrote %s: skeleton \"%s\", %d joints, %ld orientation keys, %ld root keys, frame count %u\n",
              path.c_str(), cli_text_printable_get_f(walk.skeleton_name).c_str(),
              static_cast<int>(walk.joint_count), keys, root_keys, static_cast<unsigned>(walk.frame_count));
  if (!cli_seq_walk_sound_f(walk)) {
    cli_error_print(path + ": the written file is malformed: " + cli_seq_walk_complaint_get_f(walk));
    return false;
  }
  return true;
}

bool cli_export_range_check_f(long start_frame, long end_frame, double frame_rate, std::string* error) {
  if (start_frame < 0) {
    *error = "--start " + std::to_string(start_frame) + " is negative; frames count from 0";
    return false;
  }
  if (end_frame < start_frame) {
    *error = "the range " + std::to_string(start_frame) + ".." + std::to_string(end_frame) +
             " ends before it starts";
    return false;
  }
  // The writer holds a key buffer of 20 bytes for every frame of the range.
  const long long frames = static_cast<long long>(end_frame) - start_frame + 1;
  if (frames > std::numeric_limits<std::int32_t>::max() / SEQ_QUATERNION_RECORD_SIZE) {
    *error = "the range " + std::to_string(start_frame) + ".." + std::to_string(end_frame) +
             " is longer than one export can take";
    return false;
  }
  const double rate = static_cast<double>(static_cast<float>(frame_rate));
  const long long frame_count =
      static_cast<long long>(seq_file_frames_get_f(static_cast<std::int64_t>(frames), static_cast<float>(rate)));
  if (frame_count == 0) {
    *error = "frames " + std::to_string(start_frame) + ".." + std::to_string(end_frame) + " at " +
             cli_rate_text_get_f(rate) +
             " frames per second are shorter than one 30-fps frame: the file's frame count "
             "would be 0 and no import would take it";
    return false;
  }
  if ((frame_count & 0xFFFF) == 0) {
    *error = "frames " + std::to_string(start_frame) + ".." + std::to_string(end_frame) +
             " make a frame count of " + std::to_string(frame_count) +
             ", whose 16 stored bits are 0: no import would take the file";
    return false;
  }
  return true;
}

int cli_inspect_run_f(const std::string& path) {
  CLI_SEQ_WALK_TYPE walk;
  std::string error;
  if (!cli_seq_file_walk_f(path, &walk, &error)) {
    cli_error_print(path + ": " + error);
    return CLI_EXIT_FAILURE;
  }
  cli_seq_walk_print(path, walk, std::cout);
  std::cout.flush();
  if (!cli_seq_walk_sound_f(walk)) {
    cli_error_print(path + ": " + cli_seq_walk_complaint_get_f(walk));
    return CLI_EXIT_FAILURE;
  }
  return CLI_EXIT_SUCCESS;
}

int cli_import_run_f(const CLI_OPTIONS_TYPE& options, const std::string& path, const std::string& json_path) {
  CLI_PLUGIN_SESSION_TYPE vestan;
  std::string error;
  if (!cli_plugin_session_open_f(&vestan, options.plugin_folder, "vestan", options.verbose, &error)) {
    cli_error_print(error);
    return CLI_EXIT_FAILURE;
  }
  const long skeletons_before = mvh_skeleton_count_get_f();
  void* animation = nullptr;
  cli_fault_arm(options);
  const bool imported = cli_seq_import_f(&vestan, path, &animation, &error);
  const long skeletons_after = mvh_skeleton_count_get_f();
  mvh_fault_clear();
  cli_plugin_session_close(&vestan);
  if (!imported) {
    cli_error_print(error);
    return CLI_EXIT_FAILURE;
  }
  CLI_SEQ_WALK_TYPE walk;
  std::string walk_error;
  cli_seq_file_walk_f(path, &walk, &walk_error);
  std::string origin = "built";
  if (anm_animation_figure_count_get_f(animation) > 0) {
    origin = cli_skeleton_origin_get_f(fig_figure_get_skel(anm_animation_figure_get_by_index_f(animation, 0)),
                                       skeletons_before, skeletons_after);
  }
  cli_import_summary_print(path, animation, origin, walk);
  if (!walk.fault.empty()) {
    std::printf("  note: the import read the file as far as it goes: %s\n", walk.fault.c_str());
  }
  int status = CLI_EXIT_SUCCESS;
  if (!json_path.empty()) {
    if (cli_animation_json_file_write_f(json_path, cli_animation_read_f(animation), &error)) {
      std::printf("  wrote %s\n", json_path.c_str());
    } else {
      cli_error_print(json_path + ": " + error);
      status = CLI_EXIT_FAILURE;
    }
  }
  anm_animation_dispose(animation);
  return status;
}

int cli_export_run_f(const CLI_OPTIONS_TYPE& options, const std::string& json_path,
                     const std::string& seq_path, const CLI_RANGE_OPTIONS_TYPE& range) {
  CLI_ANIMATION_TYPE description;
  std::string error;
  if (!cli_animation_json_file_read_f(json_path, &description, &error)) {
    cli_error_print(json_path + ": " + error);
    return CLI_EXIT_FAILURE;
  }
  if (description.figures.empty()) {
    cli_error_print(json_path + ": the animation has no figures, so there is nothing to export");
    return CLI_EXIT_FAILURE;
  }
  for (std::size_t index = 0; index < description.figures.size(); ++index) {
    const CLI_SKELETON_TYPE& skeleton = description.figures[index].skeleton;
    if (skeleton.stock) {
      continue;
    }
    // The file names a skeleton by its model file, "male" without one, and
    // an import takes "male" for Movara's stock male figure.
    const std::string stored_name = skeleton.model_file.empty()
                                        ? std::string("male")
                                        : std::filesystem::path(skeleton.model_file).stem().string();
    if (stored_name == "male") {
      std::fprintf(stderr,
                   "warning: %s: figure %zu: skeleton \"%s\" %s, so its SEQ file names the skeleton "
                   "\"male\" and an import takes Movara's stock male figure for it\n",
                   json_path.c_str(), index, skeleton.name.c_str(),
                   skeleton.model_file.empty() ? "has no model_file" : "has a model file named male");
    }
  }
  const long last_key = std::max(0L, cli_animation_last_key_frame_get_f(description));
  const long start_frame = range.start_given ? range.start_frame : 0;
  const long end_frame = range.end_given ? range.end_frame : std::max(last_key, start_frame);
  if (!cli_export_range_check_f(start_frame, end_frame, description.frame_rate, &error)) {
    cli_error_print(seq_path + ": " + error);
    return CLI_EXIT_FAILURE;
  }

  CLI_PLUGIN_SESSION_TYPE orlune;
  if (!cli_plugin_session_open_f(&orlune, options.plugin_folder, "orlune", options.verbose, &error)) {
    cli_error_print(error);
    return CLI_EXIT_FAILURE;
  }
  void* animation = nullptr;
  if (!cli_animation_build_f(description, &animation, &error)) {
    cli_plugin_session_close(&orlune);
    cli_error_print(json_path + ": " + error);
    return CLI_EXIT_FAILURE;
  }
  std::vector<std::string> written;
  cli_fault_arm(options);
  const bool exported = cli_seq_export_f(&orlune, animation, seq_path, start_frame, end_frame, &written, &error);
  mvh_fault_clear();
  cli_plugin_session_close(&orlune);
  anm_animation_dispose(animation);
  if (!exported) {
    cli_error_print(error);
    return CLI_EXIT_FAILURE;
  }
  std::printf("exported %s through Orlune: %zu figure%s, frames %ld..%ld at %s frames per second\n",
              json_path.c_str(), description.figures.size(), description.figures.size() == 1 ? "" : "s",
              start_frame, end_frame, cli_rate_text_get_f(description.frame_rate).c_str());
  bool sound = true;
  for (const std::string& file : written) {
    sound = cli_written_file_print_f(file) && sound;
  }
  return sound ? CLI_EXIT_SUCCESS : CLI_EXIT_FAILURE;
}
