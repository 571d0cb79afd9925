// The stand-in Movara's animation model: animations, figures, skeletons,
// joints, part objects, keys, the stock male, and quaternion maths.
#include <cmath>
#include <cstring>
#include <limits>

#include "movara_internal.h"

using namespace mvh;

namespace {

constexpr double DEGREES_PER_RADIAN = 57.295779513082320876798154814105;

std::string caller_text_get_f(FUNCTION_ID_TYPE caller) { return function_name_get_f(caller); }

template <typename VALUE>
VALUE* ledger_find_f(std::unordered_map<void*, std::unique_ptr<VALUE>>& ledger, void* handle,
                     FUNCTION_ID_TYPE caller, const char* what) {
  auto found = ledger.find(handle);
  if (found != ledger.end()) return found->second.get();
  if (caller != FN_COUNT) {
    ++state_get_f().handle_misuse;
    error_set(caller_text_get_f(caller) + ": " + handle_text_get_f(handle) + " is not " + what);
  }
  return nullptr;
}

SKELETON_TYPE* skeleton_new_f(const std::string& name) {
  auto skeleton = std::make_unique<SKELETON_TYPE>();
  skeleton->directory_pointer = &skeleton->directory;
  skeleton->directory.kind = fourcc_f("SKEL");
  skeleton->name = name;
  SKELETON_TYPE* result = skeleton.get();
  state_get_f().skeleton_ledger.emplace(result->handle_get_f(), std::move(skeleton));
  return result;
}

void skeleton_destroy(SKELETON_TYPE* skeleton) {
  STATE_TYPE& state = state_get_f();
  for (JOINT_TYPE& joint : skeleton->joints) {
    if (joint.part_object != nullptr) state.part_object_ledger.erase(joint.part_object);
  }
  for (auto it = state.library.begin(); it != state.library.end(); ++it) {
    if (*it == skeleton) {
      state.library.erase(it);
      break;
    }
  }
  state.skeleton_ledger.erase(skeleton->handle_get_f());
}

void skeleton_joint_add(SKELETON_TYPE* skeleton, const std::string& name, const std::string& internal_name,
                        coord3 offset) {
  JOINT_TYPE joint;
  joint.name = name;
  joint.internal_name = internal_name;
  joint.offset = offset;
  skeleton->joints.push_back(joint);
  skeleton->directory.count = static_cast<MOVARA_LONG_TYPE>(skeleton->joints.size());
}

struct STOCK_JOINT_TYPE {
  const char* name;
  const char* internal_name;
  coord3 offset;  // from the parent joint; the hip's from the floor
};

const STOCK_JOINT_TYPE stock_male_joints[] = {
    {"Hip", "hip", {0.0f, MVH_STOCK_MALE_HIP_HEIGHT, 0.0f}},
    {"Abdomen", "abdomen", {0.0f, 8.0f, 0.0f}},
    {"Chest", "chest", {0.0f, 16.0f, 0.0f}},
    {"Neck", "neck", {0.0f, 21.0f, 0.0f}},
    {"Head", "head", {0.0f, 9.0f, 0.0f}},
    {"Left Collar", "lCollar", {3.0f, 18.0f, 0.0f}},
    {"Left Shoulder", "lShldr", {14.0f, 0.0f, 0.0f}},
    {"Left Forearm", "lForeArm", {28.0f, 0.0f, 0.0f}},
    {"Left Hand", "lHand", {26.0f, 0.0f, 0.0f}},
    {"Right Collar", "rCollar", {-3.0f, 18.0f, 0.0f}},
    {"Right Shoulder", "rShldr", {-14.0f, 0.0f, 0.0f}},
    {"Right Forearm", "rForeArm", {-28.0f, 0.0f, 0.0f}},
    {"Right Hand", "rHand", {-26.0f, 0.0f, 0.0f}},
    {"Left Thigh", "lThigh", {9.0f, -4.0f, 0.0f}},
    {"Left Shin", "lShin", {0.0f, -44.0f, 0.0f}},
    {"Left Foot", "lFoot", {0.0f, -43.0f, 0.0f}},
    {"Right Thigh", "rThigh", {-9.0f, -4.0f, 0.0f}},
    {"Right Shin", "rShin", {0.0f, -44.0f, 0.0f}},
    {"Right Foot", "rFoot", {0.0f, -43.0f, 0.0f}},
};
static_assert(sizeof(stock_male_joints) / sizeof(stock_male_joints[0]) == 19, "the stock male has 19 joints");

SKELETON_TYPE* stock_male_new_f() {
  SKELETON_TYPE* skeleton = skeleton_new_f("male");
  skeleton->creator = MODEL_CREATOR_MALE;
  skeleton->human = true;
  for (const STOCK_JOINT_TYPE& joint : stock_male_joints) {
    skeleton_joint_add(skeleton, joint.name, joint.internal_name, joint.offset);
  }
  skeleton->completed = true;
  return skeleton;
}

// A figure stops using its skeleton: the skeleton goes with its last user
// unless the library holds it.
void skeleton_release(SKELETON_TYPE* skeleton) {
  if (skeleton == nullptr) return;
  if (skeleton->figure_users > 0) --skeleton->figure_users;
  if (skeleton->figure_users == 0 && !skeleton->in_library) skeleton_destroy(skeleton);
}

void animation_destroy(ANIMATION_TYPE* animation) {
  STATE_TYPE& state = state_get_f();
  for (FIGURE_TYPE* figure : animation->figures) {
    SKELETON_TYPE* skeleton = figure->skeleton;
    state.figure_ledger.erase(figure);
    skeleton_release(skeleton);
  }
  animation->figures.clear();
  for (auto it = state.animations.begin(); it != state.animations.end(); ++it) {
    if (*it == animation) {
      state.animations.erase(it);
      break;
    }
  }
  state.animation_ledger.erase(animation);
}

bool joint_valid_f(const FIGURE_TYPE* figure, short joint) {
  return joint >= 0 && static_cast<std::size_t>(joint) < figure->orientations.size();
}

bool joint_check_f(const FIGURE_TYPE* figure, short joint, FUNCTION_ID_TYPE caller) {
  if (joint_valid_f(figure, joint)) return true;
  error_set(caller_text_get_f(caller) + ": joint " + std::to_string(joint) + " is not a joint of the figure's " +
            std::to_string(figure->orientations.size()) + " joints");
  return false;
}

bool skeleton_joint_check_f(const SKELETON_TYPE* skeleton, short joint, FUNCTION_ID_TYPE caller) {
  if (joint >= 0 && static_cast<std::size_t>(joint) < skeleton->joints.size()) return true;
  error_set(caller_text_get_f(caller) + ": joint " + std::to_string(joint) + " is not a joint of skeleton " +
            skeleton->name);
  return false;
}

quaternion identity_get_f() { return quaternion{1.0f, 0.0f, 0.0f, 0.0f}; }

quaternion normalised_get_f(double w, double x, double y, double z) {
  double length = std::sqrt(w * w + x * x + y * y + z * z);
  if (!(length > 0.0) || !std::isfinite(length)) return identity_get_f();
  return quaternion{static_cast<float>(w / length), static_cast<float>(x / length), static_cast<float>(y / length),
                    static_cast<float>(z / length)};
}

quaternion orientation_read_f(const FIGURE_TYPE* figure, std::int32_t frame, short joint) {
  const TRACK_TYPE<quaternion>& track = figure->orientations[static_cast<std::size_t>(joint)];
  if (frame < 0 || track.keys.empty()) return identity_get_f();
  return track.sample_f(frame, [](const quaternion& a, const quaternion& b, double t) {
    double dot = static_cast<double>(a.w) * b.w + static_cast<double>(a.x) * b.x +
                 static_cast<double>(a.y) * b.y + static_cast<double>(a.z) * b.z;
    double sign = dot < 0.0 ? -1.0 : 1.0;  // the shorter way round
    return normalised_get_f(a.w + (sign * b.w - a.w) * t, a.x + (sign * b.x - a.x) * t,
                            a.y + (sign * b.y - a.y) * t, a.z + (sign * b.z - a.z) * t);
  });
}

float base_value_get_f(const FIGURE_TYPE* figure, std::int32_t channel) {
  auto found = figure->base_values.find(channel);
  if (found != figure->base_values.end()) return found->second;
  if (channel == CHANNEL_FLOOR) return base_value_get_f(figure, CHANNEL_TRANSLATION_Y);
  if (channel == CHANNEL_TRANSLATION_Y && !figure->skeleton->joints.empty()) {
    return figure->skeleton->joints.front().offset.y;
  }
  return 0.0f;
}

float value_read_f(const FIGURE_TYPE* figure, std::int32_t frame, std::int32_t channel) {
  if (frame < 0) return base_value_get_f(figure, channel);
  // The floor channel: Movara's floor is at height 0, so the root's height
  // above it is the vertical translation itself.
  if (channel == CHANNEL_FLOOR) return value_read_f(figure, frame, CHANNEL_TRANSLATION_Y);
  auto found = figure->channels.find(channel);
  if (found == figure->channels.end() || found->second.keys.empty()) return base_value_get_f(figure, channel);
  const TRACK_TYPE<float>& track = found->second;
  return track.sample_f(frame, [](float before, float after, double t) {
    return static_cast<float>(before + (static_cast<double>(after) - before) * t);
  });
}

}  // namespace

ANIMATION_TYPE* mvh::animation_find_f(void* handle, FUNCTION_ID_TYPE caller) {
  return ledger_find_f(state_get_f().animation_ledger, handle, caller, "an animation");
}
FIGURE_TYPE* mvh::figure_find_f(void* handle, FUNCTION_ID_TYPE caller) {
  return ledger_find_f(state_get_f().figure_ledger, handle, caller, "a figure");
}
SKELETON_TYPE* mvh::skeleton_find_f(void* handle, FUNCTION_ID_TYPE caller) {
  return ledger_find_f(state_get_f().skeleton_ledger, handle, caller, "a skeleton");
}
PART_OBJECT_TYPE* mvh::part_object_find_f(void* handle, FUNCTION_ID_TYPE caller) {
  return ledger_find_f(state_get_f().part_object_ledger, handle, caller, "a part object");
}

void mvh::model_reset() {
  STATE_TYPE& state = state_get_f();
  state.animations.clear();
  state.figure_ledger.clear();
  state.animation_ledger.clear();
  state.library.clear();
  state.skeleton_ledger.clear();
  state.part_object_ledger.clear();
  state.animation_serial = 0;
}

// ===========================================================================
// anm_: animations.

void* MOVARA_CALL anm_animation_create_f() {
  void* failure = reinterpret_cast<void*>(static_cast<std::intptr_t>(-1));
  if (fallible_call_fails_f(FN_anm_animation_create_f)) return failure;
  STATE_TYPE& state = state_get_f();
  auto animation = std::make_unique<ANIMATION_TYPE>();
  animation->serial = ++state.animation_serial;
  ANIMATION_TYPE* result = animation.get();
  state.animation_ledger.emplace(result, std::move(animation));
  state.animations.push_back(result);
  return result;
}

void MOVARA_CALL anm_animation_dispose(void* animation) {
  journal(FN_anm_animation_dispose);
  if (animation == nullptr || animation == reinterpret_cast<void*>(static_cast<std::intptr_t>(-1))) return;
  ANIMATION_TYPE* found = animation_find_f(animation, FN_COUNT);
  if (found == nullptr) {
    ++state_get_f().handle_misuse;
    return;
  }
  animation_destroy(found);
}

void MOVARA_CALL anm_animation_frame_rate_set(void* animation, float rate) {
  journal(FN_anm_animation_frame_rate_set);
  ANIMATION_TYPE* found = animation_find_f(animation, FN_anm_animation_frame_rate_set);
  if (found != nullptr) found->frame_rate = rate;
}

float MOVARA_CALL anm_animation_frame_rate_get_f(void* animation) {
  journal(FN_anm_animation_frame_rate_get_f);
  ANIMATION_TYPE* found = animation_find_f(animation, FN_anm_animation_frame_rate_get_f);
  return found != nullptr ? found->frame_rate : 0.0f;
}

void* MOVARA_CALL anm_animation_figure_add_f(void* animation, void* skeleton, unsigned char flag) {
  if (fallible_call_fails_f(FN_anm_animation_figure_add_f)) return nullptr;
  ANIMATION_TYPE* found = animation_find_f(animation, FN_anm_animation_figure_add_f);
  if (found == nullptr) return nullptr;
  SKELETON_TYPE* used = nullptr;
  if (skeleton != nullptr) {
    used = skeleton_find_f(skeleton, FN_anm_animation_figure_add_f);
    if (used == nullptr) return nullptr;
    if (!used->completed) {
      error_set("anm_animation_figure_add_f: skeleton " + used->name + " is not completed");
      return nullptr;
    }
  } else {
    used = stock_male_new_f();
  }
  ++used->figure_users;
  auto figure = std::make_unique<FIGURE_TYPE>();
  figure->animation = found;
  figure->skeleton = used;
  figure->add_flag = flag;
  figure->orientations.resize(used->joints.size());
  FIGURE_TYPE* result = figure.get();
  state_get_f().figure_ledger.emplace(result, std::move(figure));
  found->figures.push_back(result);
  return result;
}

MOVARA_LONG_TYPE MOVARA_CALL anm_animation_figure_count_get_f(void* animation) {
  journal(FN_anm_animation_figure_count_get_f);
  ANIMATION_TYPE* found = animation_find_f(animation, FN_anm_animation_figure_count_get_f);
  return found != nullptr ? static_cast<MOVARA_LONG_TYPE>(found->figures.size()) : 0;
}

void* MOVARA_CALL anm_animation_figure_get_by_index_f(void* animation, MOVARA_LONG_TYPE index) {
  journal(FN_anm_animation_figure_get_by_index_f);
  ANIMATION_TYPE* found = animation_find_f(animation, FN_anm_animation_figure_get_by_index_f);
  if (found == nullptr || index < 0 || static_cast<std::size_t>(index) >= found->figures.size()) return nullptr;
  return found->figures[static_cast<std::size_t>(index)];
}

namespace {
bool skeleton_match_f(const SKELETON_TYPE* held, const SKELETON_TYPE* wanted) {
  if (held == wanted || held->name != wanted->name || held->joints.size() != wanted->joints.size()) return false;
  for (std::size_t i = 0; i < held->joints.size(); ++i) {
    if (held->joints[i].name != wanted->joints[i].name) return false;
  }
  return true;
}
}  // namespace

void* MOVARA_CALL anm_animations_skeleton_search_f(void* skeleton, void* animation) {
  journal(FN_anm_animations_skeleton_search_f);
  (void)animation;  // every live animation is searched
  SKELETON_TYPE* wanted = skeleton_find_f(skeleton, FN_anm_animations_skeleton_search_f);
  if (wanted == nullptr) return nullptr;
  STATE_TYPE& state = state_get_f();
  for (SKELETON_TYPE* held : state.library) {
    if (skeleton_match_f(held, wanted)) return held->handle_get_f();
  }
  for (ANIMATION_TYPE* live : state.animations) {
    for (FIGURE_TYPE* figure : live->figures) {
      if (skeleton_match_f(figure->skeleton, wanted)) return figure->skeleton->handle_get_f();
    }
  }
  return nullptr;
}

// ===========================================================================
// fig_: figures.

void* MOVARA_CALL fig_figure_get_skel(void* figure) {
  journal(FN_fig_figure_get_skel);
  FIGURE_TYPE* found = figure_find_f(figure, FN_fig_figure_get_skel);
  return found != nullptr ? found->skeleton->handle_get_f() : nullptr;
}

void MOVARA_CALL fig_figure_pin_to_floor_set(void* figure, unsigned char pinned) {
  journal(FN_fig_figure_pin_to_floor_set);
  FIGURE_TYPE* found = figure_find_f(figure, FN_fig_figure_pin_to_floor_set);
  if (found != nullptr) found->pinned = pinned != 0;
}

unsigned char MOVARA_CALL fig_figure_pin_to_floor_get_f(void* figure) {
  journal(FN_fig_figure_pin_to_floor_get_f);
  FIGURE_TYPE* found = figure_find_f(figure, FN_fig_figure_pin_to_floor_get_f);
  return found != nullptr && found->pinned ? 1 : 0;
}

void MOVARA_CALL fig_figure_joint_offset_get(void* figure, short joint, coord3* offset) {
  journal(FN_fig_figure_joint_offset_get);
  if (offset == nullptr) return;
  *offset = coord3{0.0f, 0.0f, 0.0f};
  FIGURE_TYPE* found = figure_find_f(figure, FN_fig_figure_joint_offset_get);
  if (found == nullptr || !joint_check_f(found, joint, FN_fig_figure_joint_offset_get)) return;
  *offset = found->skeleton->joints[static_cast<std::size_t>(joint)].offset;
}

// ===========================================================================
// fgf_: keys.

unsigned char MOVARA_CALL fgf_frame_joint_orientation_key_f(void* figure, MOVARA_LONG_TYPE frame, short joint,
                                                            unsigned char flag) {
  journal(FN_fgf_frame_joint_orientation_key_f);
  (void)flag;
  FIGURE_TYPE* found = figure_find_f(figure, FN_fgf_frame_joint_orientation_key_f);
  if (found == nullptr || !joint_check_f(found, joint, FN_fgf_frame_joint_orientation_key_f)) return 0;
  return found->orientations[static_cast<std::size_t>(joint)].key_f(frame) ? 1 : 0;
}

void MOVARA_CALL fgf_frame_joint_orientation_get(void* figure, MOVARA_LONG_TYPE frame, short joint, quaternion* q,
                                                 unsigned char flag) {
  journal(FN_fgf_frame_joint_orientation_get);
  (void)flag;
  if (q == nullptr) return;
  *q = identity_get_f();
  FIGURE_TYPE* found = figure_find_f(figure, FN_fgf_frame_joint_orientation_get);
  if (found == nullptr || !joint_check_f(found, joint, FN_fgf_frame_joint_orientation_get)) return;
  *q = orientation_read_f(found, frame, joint);
}

void MOVARA_CALL fgf_frame_joint_orientation_set(void* figure, MOVARA_LONG_TYPE frame, short joint, quaternion* q) {
  if (fallible_call_fails_f(FN_fgf_frame_joint_orientation_set)) return;
  FIGURE_TYPE* found = figure_find_f(figure, FN_fgf_frame_joint_orientation_set);
  if (found == nullptr || !joint_check_f(found, joint, FN_fgf_frame_joint_orientation_set)) return;
  if (q == nullptr) {
    error_set("fgf_frame_joint_orientation_set: no quaternion");
    return;
  }
  if (frame < 0) {
    error_set("cannot set an orientation key of joint " + std::to_string(joint) + " at frame " +
              std::to_string(frame) + ": frames start at 0");
    return;
  }
  found->orientations[static_cast<std::size_t>(joint)].set(frame, *q);
}

unsigned char MOVARA_CALL fgf_frame_value_key_f(void* figure, MOVARA_LONG_TYPE frame, MOVARA_LONG_TYPE channel) {
  journal(FN_fgf_frame_value_key_f);
  FIGURE_TYPE* found = figure_find_f(figure, FN_fgf_frame_value_key_f);
  if (found == nullptr) return 0;
  if (channel == CHANNEL_FLOOR) channel = CHANNEL_TRANSLATION_Y;
  auto track = found->channels.find(channel);
  return track != found->channels.end() && track->second.key_f(frame) ? 1 : 0;
}

float MOVARA_CALL fgf_frame_value_get_f(void* figure, MOVARA_LONG_TYPE frame, MOVARA_LONG_TYPE channel) {
  journal(FN_fgf_frame_value_get_f);
  FIGURE_TYPE* found = figure_find_f(figure, FN_fgf_frame_value_get_f);
  if (found == nullptr) return 0.0f;
  return value_read_f(found, frame, channel);
}

MOVARA_LONG_TYPE MOVARA_CALL fgf_frame_value_set_f(void* figure, MOVARA_LONG_TYPE frame, MOVARA_LONG_TYPE channel,
                                                   float value) {
  if (fallible_call_fails_f(FN_fgf_frame_value_set_f)) return -1;
  FIGURE_TYPE* found = figure_find_f(figure, FN_fgf_frame_value_set_f);
  if (found == nullptr) return -1;
  if (frame < 0) {
    error_set("cannot set a key of channel " + std::to_string(channel) + " at frame " + std::to_string(frame) +
              ": frames start at 0");
    return -1;
  }
  if (channel == CHANNEL_FLOOR) {
    error_set("cannot set a key of channel 1000001: the floor channel is read from channel 2");
    return -1;
  }
  found->channels[channel].set(frame, value);
  return 0;
}

// ===========================================================================
// skl_: skeletons.

void* MOVARA_CALL skl_skeleton_skel_create_f(char* name) {
  if (fallible_call_fails_f(FN_skl_skeleton_skel_create_f)) return nullptr;
  return skeleton_new_f(text_get_f(name))->handle_get_f();
}

short MOVARA_CALL skl_skeleton_joint_create_f(void* skeleton, char* name) {
  if (fallible_call_fails_f(FN_skl_skeleton_joint_create_f)) return -1;
  SKELETON_TYPE* found = skeleton_find_f(skeleton, FN_skl_skeleton_joint_create_f);
  if (found == nullptr) return -1;
  if (found->completed) {
    error_set("cannot add joint " + text_get_f(name) + " to skeleton " + found->name + ": it is completed");
    return -1;
  }
  if (found->joints.size() >= 32767) {
    error_set("cannot add joint " + text_get_f(name) + " to skeleton " + found->name + ": it has 32767 joints");
    return -1;
  }
  std::string text = text_get_f(name);
  skeleton_joint_add(found, text, text, coord3{0.0f, 0.0f, 0.0f});
  return static_cast<short>(found->joints.size() - 1);
}

unsigned char MOVARA_CALL skl_skeleton_part_object_attach_f(void* skeleton, short joint, void* object) {
  if (fallible_call_fails_f(FN_skl_skeleton_part_object_attach_f)) return 0;
  SKELETON_TYPE* found = skeleton_find_f(skeleton, FN_skl_skeleton_part_object_attach_f);
  if (found == nullptr || !skeleton_joint_check_f(found, joint, FN_skl_skeleton_part_object_attach_f)) return 0;
  PART_OBJECT_TYPE* part = part_object_find_f(object, FN_skl_skeleton_part_object_attach_f);
  if (part == nullptr) return 0;
  JOINT_TYPE& target = found->joints[static_cast<std::size_t>(joint)];
  if (target.part_object != nullptr) return 0;  // the joint has one already: no error
  if (part->attached) {
    error_set("skl_skeleton_part_object_attach_f: the part object is attached to another joint");
    return 0;
  }
  part->attached = true;
  target.part_object = part;
  return 1;
}

unsigned char MOVARA_CALL skl_skeleton_skel_completed_f(void* skeleton, char* text) {
  if (fallible_call_fails_f(FN_skl_skeleton_skel_completed_f)) return 0;
  (void)text;
  SKELETON_TYPE* found = skeleton_find_f(skeleton, FN_skl_skeleton_skel_completed_f);
  if (found == nullptr || found->joints.empty()) return 0;
  found->completed = true;
  return 1;
}

void MOVARA_CALL skl_skeleton_dispose(void* skeleton) {
  journal(FN_skl_skeleton_dispose);
  if (skeleton == nullptr) return;
  SKELETON_TYPE* found = skeleton_find_f(skeleton, FN_COUNT);
  if (found == nullptr || found->figure_users > 0 || found->in_library) {
    ++state_get_f().handle_misuse;  // not a skeleton, or not the caller's to dispose of
    return;
  }
  skeleton_destroy(found);
}

short MOVARA_CALL skl_skeleton_joint_id_get_f(void* skeleton, char* name) {
  journal(FN_skl_skeleton_joint_id_get_f);
  SKELETON_TYPE* found = skeleton_find_f(skeleton, FN_skl_skeleton_joint_id_get_f);
  if (found == nullptr || name == nullptr) return -1;
  for (std::size_t i = 0; i < found->joints.size(); ++i) {
    if (found->joints[i].internal_name == name) return static_cast<short>(i);
  }
  for (std::size_t i = 0; i < found->joints.size(); ++i) {
    if (found->joints[i].name == name) return static_cast<short>(i);
  }
  return -1;
}

short MOVARA_CALL skl_skeleton_joint_count_get_f(void* skeleton) {
  journal(FN_skl_skeleton_joint_count_get_f);
  SKELETON_TYPE* found = skeleton_find_f(skeleton, FN_skl_skeleton_joint_count_get_f);
  return found != nullptr ? static_cast<short>(found->joints.size()) : 0;
}

short MOVARA_CALL skl_skeleton_root_id_get_f(void* skeleton) {
  journal(FN_skl_skeleton_root_id_get_f);
  SKELETON_TYPE* found = skeleton_find_f(skeleton, FN_skl_skeleton_root_id_get_f);
  return found != nullptr && !found->joints.empty() ? 0 : -1;
}

// ===========================================================================
// sk_, skj_, hms_: through the skeleton's directory.

FP_FILE_PATH_TYPE** MOVARA_CALL sk_skeleton_model_file_path_get_f(DT_DATA_DIRECTORY_TYPE** skeleton) {
  journal(FN_sk_skeleton_model_file_path_get_f);
  SKELETON_TYPE* found = skeleton_find_f(skeleton, FN_sk_skeleton_model_file_path_get_f);
  if (found == nullptr || !found->has_model_file) return nullptr;
  return &found->model_path_pointer;
}

MOVARA_LONG_TYPE MOVARA_CALL sk_skeleton_model_creator_get_f(DT_DATA_DIRECTORY_TYPE** skeleton) {
  journal(FN_sk_skeleton_model_creator_get_f);
  SKELETON_TYPE* found = skeleton_find_f(skeleton, FN_sk_skeleton_model_creator_get_f);
  return found != nullptr ? found->creator : 0;
}

MOVARA_LONG_TYPE MOVARA_CALL skj_joint_internal_name_get_e(DT_DATA_DIRECTORY_TYPE** skeleton, short joint,
                                                           char* buffer) {
  journal(FN_skj_joint_internal_name_get_e);
  text_copy(buffer, MOVARA_TEXT_CAPACITY, std::string());
  SKELETON_TYPE* found = skeleton_find_f(skeleton, FN_skj_joint_internal_name_get_e);
  if (found == nullptr || !skeleton_joint_check_f(found, joint, FN_skj_joint_internal_name_get_e)) return -1;
  text_copy(buffer, MOVARA_TEXT_CAPACITY, found->joints[static_cast<std::size_t>(joint)].internal_name);
  return 0;
}

MOVARA_LONG_TYPE MOVARA_CALL skj_joint_name_get_e(DT_DATA_DIRECTORY_TYPE** skeleton, short joint, char* buffer) {
  journal(FN_skj_joint_name_get_e);
  text_copy(buffer, MOVARA_TEXT_CAPACITY, std::string());
  SKELETON_TYPE* found = skeleton_find_f(skeleton, FN_skj_joint_name_get_e);
  if (found == nullptr || !skeleton_joint_check_f(found, joint, FN_skj_joint_name_get_e)) return -1;
  text_copy(buffer, MOVARA_TEXT_CAPACITY, found->joints[static_cast<std::size_t>(joint)].name);
  return 0;
}

unsigned char MOVARA_CALL hms_human_skeleton_check_f(DT_DATA_DIRECTORY_TYPE** skeleton) {
  journal(FN_hms_human_skeleton_check_f);
  SKELETON_TYPE* found = skeleton_find_f(skeleton, FN_hms_human_skeleton_check_f);
  return found != nullptr && found->human ? 1 : 0;
}

// ===========================================================================
// pob_: part objects.

void* MOVARA_CALL pob_part_object_obj_create_f(short kind) {
  if (fallible_call_fails_f(FN_pob_part_object_obj_create_f)) return nullptr;
  auto part = std::make_unique<PART_OBJECT_TYPE>();
  part->kind = kind;
  PART_OBJECT_TYPE* result = part.get();
  state_get_f().part_object_ledger.emplace(result, std::move(part));
  return result;
}

unsigned char MOVARA_CALL pob_part_object_cube_add(void* object, float width, float height, float depth,
                                                   MOVARA_LONG_TYPE flags) {
  if (fallible_call_fails_f(FN_pob_part_object_cube_add)) return 0;
  PART_OBJECT_TYPE* part = part_object_find_f(object, FN_pob_part_object_cube_add);
  if (part == nullptr) return 0;
  part->cubes.push_back(PART_OBJECT_TYPE::CUBE_TYPE{width, height, depth, flags});
  return 1;
}

// ===========================================================================
// qt_: quaternions (w, x, y, z; w the scalar part).

void MOVARA_CALL qt_normalize(quaternion* q) {
  journal(FN_qt_normalize);
  if (q == nullptr) return;
  *q = normalised_get_f(q->w, q->x, q->y, q->z);
}

// The inverse of order 12: for R = Ry(y) Rx(x) Rz(z),
//   R12 = -sin x, R02 / R22 = tan y, R10 / R11 = tan z.
// At the poles (cos x = 0) z is taken as 0 and y read from R00 and R20.
void MOVARA_CALL qt_to_angles_yxz(coord3* angles, quaternion* q) {
  journal(FN_qt_to_angles_yxz);
  if (angles == nullptr) return;
  *angles = coord3{0.0f, 0.0f, 0.0f};
  if (q == nullptr) return;
  quaternion n = normalised_get_f(q->w, q->x, q->y, q->z);
  double w = n.w, x = n.x, y = n.y, z = n.z;
  double r00 = 1.0 - 2.0 * (y * y + z * z);
  double r02 = 2.0 * (x * z + w * y);
  double r10 = 2.0 * (x * y + w * z);
  double r11 = 1.0 - 2.0 * (x * x + z * z);
  double r12 = 2.0 * (y * z - w * x);
  double r20 = 2.0 * (x * z - w * y);
  double r22 = 1.0 - 2.0 * (x * x + y * y);
  double sin_x = -r12;
  if (sin_x > 1.0) sin_x = 1.0;
  if (sin_x < -1.0) sin_x = -1.0;
  double angle_x = std::asin(sin_x);
  double angle_y = 0.0;
  double angle_z = 0.0;
  if (std::fabs(sin_x) < 0.9999999) {
    angle_y = std::atan2(r02, r22);
    angle_z = std::atan2(r10, r11);
  } else {
    angle_y = std::atan2(-r20, r00);
  }
  *angles = coord3{static_cast<float>(angle_x * DEGREES_PER_RADIAN), static_cast<float>(angle_y * DEGREES_PER_RADIAN),
                   static_cast<float>(angle_z * DEGREES_PER_RADIAN)};
}

// Order 12 (and, in the stand-in, every other code): q = Ry(y) * Rx(x) * Rz(z).
void MOVARA_CALL qt_angles_to_quat(quaternion* q, coord3* angles, short order) {
  journal(FN_qt_angles_to_quat);
  state_get_f().last_angle_order = order;
  if (q == nullptr) return;
  if (angles == nullptr) {
    *q = identity_get_f();
    return;
  }
  double hx = angles->x / DEGREES_PER_RADIAN / 2.0;
  double hy = angles->y / DEGREES_PER_RADIAN / 2.0;
  double hz = angles->z / DEGREES_PER_RADIAN / 2.0;
  double cx = std::cos(hx), sx = std::sin(hx);
  double cy = std::cos(hy), sy = std::sin(hy);
  double cz = std::cos(hz), sz = std::sin(hz);
  // Ry * Rx = (cy cx, cy sx, sy cx, -sy sx)
  double aw = cy * cx, ax = cy * sx, ay = sy * cx, az = -sy * sx;
  // (Ry Rx) * Rz with Rz = (cz, 0, 0, sz)
  double w = aw * cz - az * sz;
  double x = ax * cz + ay * sz;
  double y = ay * cz - ax * sz;
  double z = az * cz + aw * sz;
  *q = quaternion{static_cast<float>(w), static_cast<float>(x), static_cast<float>(y), static_cast<float>(z)};
}

// ===========================================================================
// The control API.

long mvh_animation_count_get_f() { return static_cast<long>(state_get_f().animations.size()); }
long mvh_skeleton_count_get_f() { return static_cast<long>(state_get_f().skeleton_ledger.size()); }

long mvh_skeleton_loose_count_get_f() {
  long count = 0;
  for (const auto& entry : state_get_f().skeleton_ledger) {
    if (entry.second->figure_users == 0 && !entry.second->in_library) ++count;
  }
  return count;
}

long mvh_part_object_count_get_f() { return static_cast<long>(state_get_f().part_object_ledger.size()); }

long mvh_part_object_loose_count_get_f() {
  long count = 0;
  for (const auto& entry : state_get_f().part_object_ledger) {
    if (!entry.second->attached) ++count;
  }
  return count;
}

void mvh_skeleton_model_set(void* skeleton, long creator, const std::string& model_file_path) {
  SKELETON_TYPE* found = skeleton_find_f(skeleton, FN_COUNT);
  if (found == nullptr) return;
  found->creator = static_cast<std::int32_t>(creator);
  found->has_model_file = !model_file_path.empty();
  std::memset(found->model_path.text, 0, sizeof(found->model_path.text));
  text_copy(found->model_path.text, FP_FILE_PATH_CAPACITY, model_file_path);
  found->model_path_pointer = found->has_model_file ? &found->model_path : nullptr;
}

void mvh_skeleton_human_set(void* skeleton, bool human) {
  SKELETON_TYPE* found = skeleton_find_f(skeleton, FN_COUNT);
  if (found != nullptr) found->human = human;
}

void mvh_skeleton_internal_name_set(void* skeleton, short joint, const std::string& internal_name) {
  SKELETON_TYPE* found = skeleton_find_f(skeleton, FN_COUNT);
  if (found == nullptr || joint < 0 || static_cast<std::size_t>(joint) >= found->joints.size()) return;
  found->joints[static_cast<std::size_t>(joint)].internal_name = internal_name;
}

void mvh_skeleton_joint_offset_set(void* skeleton, short joint, coord3 offset) {
  SKELETON_TYPE* found = skeleton_find_f(skeleton, FN_COUNT);
  if (found == nullptr || joint < 0 || static_cast<std::size_t>(joint) >= found->joints.size()) return;
  found->joints[static_cast<std::size_t>(joint)].offset = offset;
}

std::string mvh_skeleton_name_get_f(void* skeleton) {
  SKELETON_TYPE* found = skeleton_find_f(skeleton, FN_COUNT);
  return found != nullptr ? found->name : std::string();
}

std::string mvh_skeleton_model_file_path_get_f(void* skeleton) {
  SKELETON_TYPE* found = skeleton_find_f(skeleton, FN_COUNT);
  return found != nullptr && found->has_model_file ? std::string(found->model_path.text) : std::string();
}

bool mvh_skeleton_completed_f(void* skeleton) {
  SKELETON_TYPE* found = skeleton_find_f(skeleton, FN_COUNT);
  return found != nullptr && found->completed;
}

bool mvh_skeleton_human_f(void* skeleton) {
  SKELETON_TYPE* found = skeleton_find_f(skeleton, FN_COUNT);
  return found != nullptr && found->human;
}

long mvh_skeleton_part_object_count_get_f(void* skeleton) {
  SKELETON_TYPE* found = skeleton_find_f(skeleton, FN_COUNT);
  if (found == nullptr) return 0;
  long count = 0;
  for (const JOINT_TYPE& joint : found->joints) {
    if (joint.part_object != nullptr) ++count;
  }
  return count;
}

long mvh_skeleton_cube_count_get_f(void* skeleton) {
  SKELETON_TYPE* found = skeleton_find_f(skeleton, FN_COUNT);
  if (found == nullptr) return 0;
  long count = 0;
  for (const JOINT_TYPE& joint : found->joints) {
    if (joint.part_object != nullptr) count += static_cast<long>(joint.part_object->cubes.size());
  }
  return count;
}

void mvh_skeleton_library_add(void* skeleton) {
  SKELETON_TYPE* found = skeleton_find_f(skeleton, FN_COUNT);
  if (found == nullptr || found->in_library) return;
  found->in_library = true;
  if (!found->joints.empty()) found->completed = true;  // the library holds finished skeletons
  state_get_f().library.push_back(found);
}

bool mvh_skeleton_in_library_f(void* skeleton) {
  SKELETON_TYPE* found = skeleton_find_f(skeleton, FN_COUNT);
  return found != nullptr && found->in_library;
}

long mvh_skeleton_figure_user_count_get_f(void* skeleton) {
  SKELETON_TYPE* found = skeleton_find_f(skeleton, FN_COUNT);
  return found != nullptr ? found->figure_users : 0;
}

void* mvh_stock_male_skeleton_create_f() { return stock_male_new_f()->handle_get_f(); }

void mvh_figure_base_value_set(void* figure, long channel, float value) {
  FIGURE_TYPE* found = figure_find_f(figure, FN_COUNT);
  if (found != nullptr) found->base_values[static_cast<std::int32_t>(channel)] = value;
}

std::vector<MVH_VALUE_KEY_TYPE> mvh_figure_value_keys_get_f(void* figure, long channel) {
  std::vector<MVH_VALUE_KEY_TYPE> keys;
  FIGURE_TYPE* found = figure_find_f(figure, FN_COUNT);
  if (found == nullptr) return keys;
  auto track = found->channels.find(static_cast<std::int32_t>(channel));
  if (track == found->channels.end()) return keys;
  keys.reserve(track->second.keys.size());
  for (const auto& key : track->second.keys) keys.push_back(MVH_VALUE_KEY_TYPE{key.frame, key.value});
  return keys;
}

std::vector<MVH_ORIENTATION_KEY_TYPE> mvh_figure_orientation_keys_get_f(void* figure, short joint) {
  std::vector<MVH_ORIENTATION_KEY_TYPE> keys;
  FIGURE_TYPE* found = figure_find_f(figure, FN_COUNT);
  if (found == nullptr || !joint_valid_f(found, joint)) return keys;
  const auto& track = found->orientations[static_cast<std::size_t>(joint)];
  keys.reserve(track.keys.size());
  for (const auto& key : track.keys) keys.push_back(MVH_ORIENTATION_KEY_TYPE{key.frame, key.value});
  return keys;
}

std::vector<long> mvh_figure_keyed_channels_get_f(void* figure) {
  std::vector<long> channels;
  FIGURE_TYPE* found = figure_find_f(figure, FN_COUNT);
  if (found == nullptr) return channels;
  for (const auto& entry : found->channels) {
    if (!entry.second.keys.empty()) channels.push_back(entry.first);
  }
  return channels;
}

long mvh_figure_key_count_get_f(void* figure) {
  FIGURE_TYPE* found = figure_find_f(figure, FN_COUNT);
  if (found == nullptr) return 0;
  long count = 0;
  for (const auto& track : found->orientations) count += static_cast<long>(track.keys.size());
  for (const auto& entry : found->channels) count += static_cast<long>(entry.second.keys.size());
  return count;
}

std::vector<void*> mvh_animations_get_f() {
  std::vector<void*> result;
  for (ANIMATION_TYPE* animation : state_get_f().animations) result.push_back(animation);
  return result;
}

bool mvh_animation_live_f(void* animation) { return animation_find_f(animation, FN_COUNT) != nullptr; }
bool mvh_figure_live_f(void* figure) { return figure_find_f(figure, FN_COUNT) != nullptr; }
bool mvh_skeleton_live_f(void* skeleton) { return skeleton_find_f(skeleton, FN_COUNT) != nullptr; }
short mvh_angle_order_last_get_f() { return state_get_f().last_angle_order; }
