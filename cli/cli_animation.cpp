#include "cli_animation.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <map>
#include <sstream>

#include "seq_format.h"

namespace {

void* const CLI_ANIMATION_NONE = reinterpret_cast<void*>(-1);

DT_DATA_DIRECTORY_TYPE** cli_skeleton_directory_get_f(void* skeleton) {
  return static_cast<DT_DATA_DIRECTORY_TYPE**>(skeleton);
}

// Takes Movara's error message (and clears the state) for a failed step.
std::string cli_movara_error_take_f(const std::string& fallback) {
  std::string message = mvh_error_message_get_f();
  em_error_reset();
  return message.empty() ? fallback : message;
}

bool cli_frame_valid_f(long frame) {
  return frame >= 0 && frame <= 0x7FFFFFFFL;
}

// Builds the skeleton of a figure that does not use the stock male one.
void* cli_skeleton_build_f(const CLI_SKELETON_TYPE& description, const std::string& where,
                           std::string* error) {
  std::string name = description.name;
  void* skeleton = skl_skeleton_skel_create_f(&name[0]);
  if (skeleton == nullptr) {
    *error = where + ": " + cli_movara_error_take_f("Movara could not create the skeleton");
    return nullptr;
  }
  for (std::size_t index = 0; index < description.joints.size(); ++index) {
    const CLI_JOINT_TYPE& joint = description.joints[index];
    std::string joint_name = joint.name;
    const short id = skl_skeleton_joint_create_f(skeleton, &joint_name[0]);
    if (id < 0) {
      *error = where + ": joint " + std::to_string(index) + " '" + joint.name + "': " +
               cli_movara_error_take_f("Movara could not create the joint");
      skl_skeleton_dispose(skeleton);
      return nullptr;
    }
    if (!joint.internal_name.empty() && joint.internal_name != joint.name) {
      mvh_skeleton_internal_name_set(skeleton, id, joint.internal_name);
    }
  }
  if (description.model_creator != 0 || !description.model_file.empty()) {
    mvh_skeleton_model_set(skeleton, description.model_creator, description.model_file);
  }
  char no_text[1] = {0};
  if (skl_skeleton_skel_completed_f(skeleton, no_text) == 0) {
    *error = where + ": " + cli_movara_error_take_f("Movara could not complete the skeleton");
    skl_skeleton_dispose(skeleton);
    return nullptr;
  }
  return skeleton;
}

bool cli_figure_keys_set_f(const CLI_FIGURE_TYPE& description, void* figure, const std::string& where,
                           std::string* error) {
  void* skeleton = fig_figure_get_skel(figure);
  for (const CLI_ORIENTATION_TRACK_TYPE& track : description.orientation_tracks) {
    std::string joint_name = track.joint;
    const short joint = skl_skeleton_joint_id_get_f(skeleton, &joint_name[0]);
    if (joint < 0) {
      *error = where + ": the skeleton has no joint '" + track.joint + "'";
      return false;
    }
    for (const MVH_ORIENTATION_KEY_TYPE& key : track.keys) {
      if (!cli_frame_valid_f(key.frame)) {
        *error = where + ": frame " + std::to_string(key.frame) + " of joint '" + track.joint +
                 "' is outside 0 to 2147483647";
        return false;
      }
      quaternion q = key.q;
      fgf_frame_joint_orientation_set(figure, static_cast<MOVARA_LONG_TYPE>(key.frame), joint, &q);
    }
  }
  for (const CLI_CHANNEL_TRACK_TYPE& track : description.channel_tracks) {
    for (const MVH_VALUE_KEY_TYPE& key : track.keys) {
      if (!cli_frame_valid_f(key.frame)) {
        *error = where + ": frame " + std::to_string(key.frame) + " of channel " +
                 std::to_string(track.channel) + " is outside 0 to 2147483647";
        return false;
      }
      fgf_frame_value_set_f(figure, static_cast<MOVARA_LONG_TYPE>(key.frame),
                            static_cast<MOVARA_LONG_TYPE>(track.channel), key.value);
    }
  }
  if (em_error_occurred_f() != 0) {
    *error = where + ": " + cli_movara_error_take_f("Movara refused a key");
    return false;
  }
  return true;
}

}  // namespace

bool cli_animation_build_f(const CLI_ANIMATION_TYPE& animation, void** handle, std::string* error) {
  void* created = anm_animation_create_f();
  if (created == CLI_ANIMATION_NONE) {
    *error = cli_movara_error_take_f("Movara could not create an animation");
    return false;
  }
  anm_animation_frame_rate_set(created, static_cast<float>(animation.frame_rate));
  for (std::size_t index = 0; index < animation.figures.size(); ++index) {
    const CLI_FIGURE_TYPE& description = animation.figures[index];
    const std::string where = "figure " + std::to_string(index);
    void* skeleton = nullptr;
    if (!description.skeleton.stock) {
      skeleton = cli_skeleton_build_f(description.skeleton, where, error);
      if (skeleton == nullptr) {
        anm_animation_dispose(created);
        return false;
      }
    }
    void* figure = anm_animation_figure_add_f(created, skeleton, 1);
    if (figure == nullptr) {
      *error = where + ": " + cli_movara_error_take_f("Movara could not add the figure");
      if (skeleton != nullptr) {
        skl_skeleton_dispose(skeleton);
      }
      anm_animation_dispose(created);
      return false;
    }
    fig_figure_pin_to_floor_set(figure, description.pinned ? 1 : 0);
    if (!cli_figure_keys_set_f(description, figure, where, error)) {
      anm_animation_dispose(created);
      return false;
    }
  }
  *handle = created;
  return true;
}

std::string cli_skeleton_joint_name_get_f(void* skeleton, short joint) {
  char buffer[MOVARA_TEXT_CAPACITY] = {0};
  skj_joint_name_get_e(cli_skeleton_directory_get_f(skeleton), joint, buffer);
  buffer[MOVARA_TEXT_CAPACITY - 1] = 0;
  return buffer;
}

std::string cli_skeleton_joint_internal_name_get_f(void* skeleton, short joint) {
  char buffer[MOVARA_TEXT_CAPACITY] = {0};
  skj_joint_internal_name_get_e(cli_skeleton_directory_get_f(skeleton), joint, buffer);
  buffer[MOVARA_TEXT_CAPACITY - 1] = 0;
  return buffer;
}

bool cli_skeleton_stock_f(void* skeleton) {
  return mvh_skeleton_name_get_f(skeleton) == "male" &&
         sk_skeleton_model_creator_get_f(cli_skeleton_directory_get_f(skeleton)) == MODEL_CREATOR_MALE;
}

std::string cli_fourcc_text_get_f(MOVARA_LONG_TYPE code) {
  const std::uint32_t pattern = static_cast<std::uint32_t>(code);
  std::string text;
  for (int shift = 24; shift >= 0; shift -= 8) {
    const char character = static_cast<char>((pattern >> shift) & 0xFFu);
    if (character < 0x20 || character > 0x7E) {
      return std::string();
    }
    text += character;
  }
  return text;
}

CLI_ANIMATION_TYPE cli_animation_read_f(void* handle) {
  CLI_ANIMATION_TYPE animation;
  animation.frame_rate = static_cast<double>(anm_animation_frame_rate_get_f(handle));
  const MOVARA_LONG_TYPE count = anm_animation_figure_count_get_f(handle);
  for (MOVARA_LONG_TYPE index = 0; index < count; ++index) {
    void* figure = anm_animation_figure_get_by_index_f(handle, index);
    void* skeleton = fig_figure_get_skel(figure);
    CLI_FIGURE_TYPE description;
    description.pinned = fig_figure_pin_to_floor_get_f(figure) != 0;
    const short joint_count = skl_skeleton_joint_count_get_f(skeleton);
    if (cli_skeleton_stock_f(skeleton)) {
      description.skeleton.stock = true;
    } else {
      description.skeleton.name = mvh_skeleton_name_get_f(skeleton);
      description.skeleton.model_file = mvh_skeleton_model_file_path_get_f(skeleton);
      description.skeleton.model_creator =
          sk_skeleton_model_creator_get_f(cli_skeleton_directory_get_f(skeleton));
      for (short joint = 0; joint < joint_count; ++joint) {
        CLI_JOINT_TYPE joint_description;
        joint_description.name = cli_skeleton_joint_name_get_f(skeleton, joint);
        const std::string internal_name = cli_skeleton_joint_internal_name_get_f(skeleton, joint);
        if (internal_name != joint_description.name) {
          joint_description.internal_name = internal_name;
        }
        description.skeleton.joints.push_back(joint_description);
      }
    }
    for (short joint = 0; joint < joint_count; ++joint) {
      CLI_ORIENTATION_TRACK_TYPE track;
      track.keys = mvh_figure_orientation_keys_get_f(figure, joint);
      if (!track.keys.empty()) {
        track.joint = cli_skeleton_joint_name_get_f(skeleton, joint);
        description.orientation_tracks.push_back(track);
      }
    }
    for (const long channel : mvh_figure_keyed_channels_get_f(figure)) {
      CLI_CHANNEL_TRACK_TYPE track;
      track.channel = channel;
      track.keys = mvh_figure_value_keys_get_f(figure, channel);
      description.channel_tracks.push_back(track);
    }
    animation.figures.push_back(description);
  }
  return animation;
}

long cli_animation_last_key_frame_get_f(const CLI_ANIMATION_TYPE& animation) {
  long last = -1;
  for (const CLI_FIGURE_TYPE& figure : animation.figures) {
    for (const CLI_ORIENTATION_TRACK_TYPE& track : figure.orientation_tracks) {
      for (const MVH_ORIENTATION_KEY_TYPE& key : track.keys) {
        last = std::max(last, key.frame);
      }
    }
    for (const CLI_CHANNEL_TRACK_TYPE& track : figure.channel_tracks) {
      for (const MVH_VALUE_KEY_TYPE& key : track.keys) {
        last = std::max(last, key.frame);
      }
    }
  }
  return last;
}

long cli_frame_round_trip_get_f(long frame, double frame_rate, long start_frame) {
  // The same time conversion as the exporter's, then the importer's n - 1.
  const double frame_number =
      seq_file_frames_get_f(static_cast<std::int64_t>(frame) - start_frame, static_cast<float>(frame_rate)) + 1.0;
  return static_cast<long>(frame_number) - 1;
}

namespace {

// Float precision for a value of this size: a few units in the last place.
double cli_tolerance_get_f(double magnitude) {
  return 8.0 * static_cast<double>(FLT_EPSILON) * std::max(1.0, std::fabs(magnitude));
}

struct CLI_QUATERNION_TYPE {
  double component[4];
};

CLI_QUATERNION_TYPE cli_quaternion_normalised_get_f(const quaternion& q) {
  CLI_QUATERNION_TYPE result{{static_cast<double>(q.w), static_cast<double>(q.x),
                              static_cast<double>(q.y), static_cast<double>(q.z)}};
  double length = 0.0;
  for (const double value : result.component) {
    length += value * value;
  }
  length = std::sqrt(length);
  if (length > 0.0) {
    for (double& value : result.component) {
      value /= length;
    }
  }
  return result;
}

// Largest component difference of two rotations; q and -q are the same rotation.
double cli_quaternion_difference_get_f(const quaternion& first, const quaternion& second) {
  const CLI_QUATERNION_TYPE a = cli_quaternion_normalised_get_f(first);
  const CLI_QUATERNION_TYPE b = cli_quaternion_normalised_get_f(second);
  double same = 0.0;
  double opposite = 0.0;
  for (int index = 0; index < 4; ++index) {
    same = std::max(same, std::fabs(a.component[index] - b.component[index]));
    opposite = std::max(opposite, std::fabs(a.component[index] + b.component[index]));
  }
  return std::min(same, opposite);
}

double cli_angle_difference_get_f(double first, double second) {
  double difference = std::fmod(std::fabs(first - second), 360.0);
  return std::min(difference, 360.0 - difference);
}

std::string cli_number_text_get_f(double value) {
  std::ostringstream text;
  text.precision(9);
  text << value;
  return text.str();
}

// Keys of a track as they should come back: by round-trip frame, the last
// original key that lands on a frame wins (the importer replaces it).
template <typename KEY_TYPE>
std::map<long, KEY_TYPE> cli_keys_mapped_get_f(const std::vector<KEY_TYPE>& keys, double frame_rate,
                                               long start_frame, long end_frame) {
  std::map<long, KEY_TYPE> mapped;
  for (const KEY_TYPE& key : keys) {
    if (key.frame >= start_frame && key.frame <= end_frame) {
      mapped[cli_frame_round_trip_get_f(key.frame, frame_rate, start_frame)] = key;
    }
  }
  return mapped;
}

// Matches expected and imported keys frame by frame; `difference` measures one pair.
template <typename KEY_TYPE, typename DIFFERENCE_TYPE>
void cli_track_compare(const std::string& track, const std::map<long, KEY_TYPE>& expected,
                       const std::vector<KEY_TYPE>& imported, DIFFERENCE_TYPE difference,
                       double* largest, CLI_COMPARISON_TYPE* comparison) {
  std::map<long, const KEY_TYPE*> found;
  for (const KEY_TYPE& key : imported) {
    found[key.frame] = &key;
  }
  for (const auto& entry : expected) {
    const auto match = found.find(entry.first);
    if (match == found.end()) {
      comparison->mismatches.push_back(track + ": no key at frame " + std::to_string(entry.first) +
                                       " (from frame " + std::to_string(entry.second.frame) + ")");
      continue;
    }
    double tolerance = 0.0;
    const double measured = difference(entry.second, *match->second, &tolerance);
    *largest = std::max(*largest, measured);
    ++comparison->keys_compared;
    if (measured > tolerance) {
      comparison->mismatches.push_back(track + ": frame " + std::to_string(entry.first) +
                                       " differs by " + cli_number_text_get_f(measured));
    }
  }
  for (const auto& entry : found) {
    if (expected.find(entry.first) == expected.end()) {
      comparison->mismatches.push_back(track + ": unexpected key at frame " +
                                       std::to_string(entry.first));
    }
  }
}

}  // namespace

CLI_COMPARISON_TYPE cli_figure_compare_f(void* original, double frame_rate, long start_frame,
                                         long end_frame, void* imported) {
  CLI_COMPARISON_TYPE comparison;
  void* original_skeleton = fig_figure_get_skel(original);
  void* imported_skeleton = fig_figure_get_skel(imported);
  const bool internal_names = sk_skeleton_model_creator_get_f(
                                  cli_skeleton_directory_get_f(original_skeleton)) == MODEL_CREATOR_MALE;
  const short joint_count = skl_skeleton_joint_count_get_f(original_skeleton);
  for (short joint = 0; joint < joint_count; ++joint) {
    std::string name = internal_names ? cli_skeleton_joint_internal_name_get_f(original_skeleton, joint)
                                      : cli_skeleton_joint_name_get_f(original_skeleton, joint);
    const std::map<long, MVH_ORIENTATION_KEY_TYPE> expected = cli_keys_mapped_get_f(
        mvh_figure_orientation_keys_get_f(original, joint), frame_rate, start_frame, end_frame);
    const short imported_joint = skl_skeleton_joint_id_get_f(imported_skeleton, &name[0]);
    if (imported_joint < 0) {
      if (!expected.empty()) {
        comparison.mismatches.push_back("joint '" + name + "' is missing from the imported figure");
      }
      continue;
    }
    cli_track_compare(
        "joint '" + name + "'", expected, mvh_figure_orientation_keys_get_f(imported, imported_joint),
        [](const MVH_ORIENTATION_KEY_TYPE& a, const MVH_ORIENTATION_KEY_TYPE& b, double* tolerance) {
          *tolerance = cli_tolerance_get_f(1.0);
          return cli_quaternion_difference_get_f(a.q, b.q);
        },
        &comparison.orientation, &comparison);
  }
  for (const long channel : {1L, 2L, 3L}) {
    cli_track_compare(
        "channel " + std::to_string(channel),
        cli_keys_mapped_get_f(mvh_figure_value_keys_get_f(original, channel), frame_rate, start_frame,
                              end_frame),
        mvh_figure_value_keys_get_f(imported, channel),
        [](const MVH_VALUE_KEY_TYPE& a, const MVH_VALUE_KEY_TYPE& b, double* tolerance) {
          *tolerance = cli_tolerance_get_f(static_cast<double>(a.value));
          return std::fabs(static_cast<double>(a.value) - static_cast<double>(b.value));
        },
        &comparison.translation, &comparison);
  }
  cli_track_compare(
      "heading",
      cli_keys_mapped_get_f(mvh_figure_value_keys_get_f(original, CHANNEL_HEADING), frame_rate,
                            start_frame, end_frame),
      mvh_figure_value_keys_get_f(imported, CHANNEL_HEADING),
      [](const MVH_VALUE_KEY_TYPE& a, const MVH_VALUE_KEY_TYPE& b, double* tolerance) {
        *tolerance = cli_tolerance_get_f(180.0);
        return cli_angle_difference_get_f(static_cast<double>(a.value), static_cast<double>(b.value));
      },
      &comparison.heading, &comparison);
  return comparison;
}
