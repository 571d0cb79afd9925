// The stand-in Movara's inner state, shared by its source files. Not part of
// any interface: tests and hosts use movara_host.h.
#ifndef MOVARA_MOVARA_INTERNAL_H
#define MOVARA_MOVARA_INTERNAL_H

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "movara_host.h"
#include "os_layer.h"

// The 73 functions: X(name, fallible). The order is that of movara_api.h.
#define MVH_FUNCTION_LIST(X)                  \
  X(fm_file_create_e, 1)                      \
  X(fm_file_open_f, 1)                        \
  X(fm_file_read_f, 1)                        \
  X(fm_file_write_f, 1)                       \
  X(fm_file_position_get_f, 0)                \
  X(fm_file_position_set_e, 1)                \
  X(fm_file_type_and_creator_set_e, 1)        \
  X(fm_file_close, 0)                         \
  X(fmi_file_identifier_name_get_f, 0)        \
  X(fmi_file_identifier_name_set_f, 0)        \
  X(fmi_file_identifier_copy_e, 0)            \
  X(fme_file_extension_remove, 0)             \
  X(fme_file_extension_get_f, 0)              \
  X(fp_file_path_file_name_get, 0)            \
  X(ffr_file_format_add_f, 0)                 \
  X(ffr_file_format_extension_set_f, 0)       \
  X(ffr_file_format_get_f, 0)                 \
  X(ffr_file_format_name_get_f, 0)            \
  X(flt_filter_format_register_external_e, 0) \
  X(fdt_filter_data_add_f, 1)                 \
  X(fdt_filter_data_get_f, 0)                 \
  X(efo_export_file_options_start_frame_get_f, 0) \
  X(efo_export_file_options_end_frame_get_f, 0)   \
  X(stw_status_initialize_e, 1)               \
  X(stw_status_job_type_name_set_e, 0)        \
  X(stw_status_job_object_name_set_e, 0)      \
  X(stw_status_range_change_e, 0)             \
  X(stw_status_progress_increment_e, 0)       \
  X(stw_status_end, 0)                        \
  X(em_error_occurred_f, 0)                   \
  X(em_error_reset, 0)                        \
  X(mm_pointer_create, 1)                     \
  X(mm_pointer_dispose, 0)                    \
  X(st_str_copy_f, 0)                         \
  X(st_str_equal_f, 0)                        \
  X(st_str_length_get_f, 0)                   \
  X(st_nprintf_f, 0)                          \
  X(anm_animation_create_f, 1)                \
  X(anm_animation_dispose, 0)                 \
  X(anm_animation_frame_rate_set, 0)          \
  X(anm_animation_frame_rate_get_f, 0)        \
  X(anm_animation_figure_add_f, 1)            \
  X(anm_animation_figure_count_get_f, 0)      \
  X(anm_animation_figure_get_by_index_f, 0)   \
  X(anm_animations_skeleton_search_f, 0)      \
  X(fig_figure_get_skel, 0)                   \
  X(fig_figure_pin_to_floor_set, 0)           \
  X(fig_figure_pin_to_floor_get_f, 0)         \
  X(fig_figure_joint_offset_get, 0)           \
  X(fgf_frame_joint_orientation_key_f, 0)     \
  X(fgf_frame_joint_orientation_get, 0)       \
  X(fgf_frame_joint_orientation_set, 1)       \
  X(fgf_frame_value_key_f, 0)                 \
  X(fgf_frame_value_get_f, 0)                 \
  X(fgf_frame_value_set_f, 1)                 \
  X(skl_skeleton_skel_create_f, 1)            \
  X(skl_skeleton_joint_create_f, 1)           \
  X(skl_skeleton_part_object_attach_f, 1)     \
  X(skl_skeleton_skel_completed_f, 1)         \
  X(skl_skeleton_dispose, 0)                  \
  X(skl_skeleton_joint_id_get_f, 0)           \
  X(skl_skeleton_joint_count_get_f, 0)        \
  X(skl_skeleton_root_id_get_f, 0)            \
  X(sk_skeleton_model_file_path_get_f, 0)     \
  X(sk_skeleton_model_creator_get_f, 0)       \
  X(skj_joint_internal_name_get_e, 0)         \
  X(skj_joint_name_get_e, 0)                  \
  X(hms_human_skeleton_check_f, 0)            \
  X(pob_part_object_obj_create_f, 1)          \
  X(pob_part_object_cube_add, 1)              \
  X(qt_normalize, 0)                          \
  X(qt_to_angles_yxz, 0)                      \
  X(qt_angles_to_quat, 0)

namespace mvh {

enum FUNCTION_ID_TYPE : unsigned char {
#define MVH_FUNCTION_ENUM(name, fallible) FN_##name,
  MVH_FUNCTION_LIST(MVH_FUNCTION_ENUM)
#undef MVH_FUNCTION_ENUM
  FN_COUNT
};
static_assert(FN_COUNT == 73, "Movara exports 73 functions");

const char* function_name_get_f(FUNCTION_ID_TYPE id);
bool function_fallible_f(FUNCTION_ID_TYPE id);
// The id of a function's name; FN_COUNT for no such function.
FUNCTION_ID_TYPE function_id_get_f(const std::string& name);

// ---------------------------------------------------------------------------
// Keys: a sorted vector of (frame, value) with binary search. Appending in
// frame order is amortised constant time; memory follows the number of keys.

template <typename VALUE>
struct TRACK_TYPE {
  struct KEY_TYPE {
    std::int32_t frame;
    VALUE value;
  };
  std::vector<KEY_TYPE> keys;

  // Index of the first key whose frame is >= frame.
  std::size_t lower_bound_get_f(std::int32_t frame) const {
    std::size_t low = 0;
    std::size_t high = keys.size();
    while (low < high) {
      std::size_t middle = low + (high - low) / 2;
      if (keys[middle].frame < frame) {
        low = middle + 1;
      } else {
        high = middle;
      }
    }
    return low;
  }
  void set(std::int32_t frame, const VALUE& value) {
    if (keys.empty() || keys.back().frame < frame) {
      keys.push_back(KEY_TYPE{frame, value});
      return;
    }
    std::size_t at = lower_bound_get_f(frame);
    if (at < keys.size() && keys[at].frame == frame) {
      keys[at].value = value;
    } else {
      keys.insert(keys.begin() + static_cast<std::ptrdiff_t>(at), KEY_TYPE{frame, value});
    }
  }
  // The track's value at `frame` (the track holds at least one key): the
  // first or last key outside them, a key's own value on its frame, and
  // between two keys blend(before, after, t) with t in (0, 1).
  template <typename BLEND_TYPE>
  VALUE sample_f(std::int32_t frame, BLEND_TYPE blend) const {
    if (frame <= keys.front().frame) return keys.front().value;
    if (frame >= keys.back().frame) return keys.back().value;
    const std::size_t at = lower_bound_get_f(frame);
    if (keys[at].frame == frame) return keys[at].value;
    const KEY_TYPE& before = keys[at - 1];
    const KEY_TYPE& after = keys[at];
    const double t = (static_cast<double>(frame) - before.frame) /
                     (static_cast<double>(after.frame) - before.frame);
    return blend(before.value, after.value, t);
  }
  bool key_f(std::int32_t frame) const {
    if (keys.empty() || frame > keys.back().frame || frame < keys.front().frame) return false;
    std::size_t at = lower_bound_get_f(frame);
    return at < keys.size() && keys[at].frame == frame;
  }
};

struct PART_OBJECT_TYPE {
  short kind = 0;
  struct CUBE_TYPE {
    float width, height, depth;
    std::int32_t flags;
  };
  std::vector<CUBE_TYPE> cubes;
  bool attached = false;
};

struct JOINT_TYPE {
  std::string name;           // ordinary name
  std::string internal_name;  // Movara's internal name
  coord3 offset{0.0f, 0.0f, 0.0f};
  PART_OBJECT_TYPE* part_object = nullptr;  // owned by Movara's part-object ledger
};

struct SKELETON_TYPE {
  // The handle is &directory_pointer, so that it serves as DT_DATA_DIRECTORY_TYPE**.
  DT_DATA_DIRECTORY_TYPE* directory_pointer = nullptr;
  DT_DATA_DIRECTORY_TYPE directory{0, 0};
  std::string name;
  std::int32_t creator = 0;
  bool has_model_file = false;
  FP_FILE_PATH_TYPE model_path{};
  FP_FILE_PATH_TYPE* model_path_pointer = nullptr;
  bool human = false;
  bool completed = false;
  std::vector<JOINT_TYPE> joints;
  long figure_users = 0;
  bool in_library = false;

  void* handle_get_f() { return static_cast<void*>(&directory_pointer); }
};

struct ANIMATION_TYPE;

struct FIGURE_TYPE {
  ANIMATION_TYPE* animation = nullptr;
  SKELETON_TYPE* skeleton = nullptr;
  bool pinned = false;
  unsigned char add_flag = 0;
  std::vector<TRACK_TYPE<quaternion>> orientations;  // one per joint
  std::map<std::int32_t, TRACK_TYPE<float>> channels;
  std::map<std::int32_t, float> base_values;  // set with mvh_figure_base_value_set
};

struct ANIMATION_TYPE {
  float frame_rate = 30.0f;
  std::vector<FIGURE_TYPE*> figures;
  long serial = 0;
};

struct DATA_RECORD_TYPE {
  DT_DATA_HEADER_TYPE* master = nullptr;  // the handle is &master
  std::unique_ptr<std::max_align_t[]> storage;
};

struct DATA_LIST_TYPE {
  DT_DATA_HEADER_TYPE* master = nullptr;  // the handle is &master
  DT_DATA_HEADER_TYPE header{0, 0, 0, 0};
  std::vector<std::unique_ptr<DATA_RECORD_TYPE>> records;
};

struct OPEN_FILE_TYPE {
  mvh_os::OS_FILE_TYPE os_file = mvh_os::OS_FILE_INVALID;
  std::string name;  // the identifier's name, for messages
  std::string path;
  bool reading = false;
};

struct FAULT_TYPE {
  FUNCTION_ID_TYPE function = FN_COUNT;  // FN_COUNT: any fallible call
  long remaining = 0;                    // calls to go; fires on the one that makes it 0
  MVH_FAULT_MODE_TYPE mode = MVH_FAULT_WITH_ERROR;
};

struct STATE_TYPE {
  // Error state.
  bool error = false;
  std::string error_message;

  // Journal: one byte per call, materialised into names on request.
  bool journal_enabled = true;
  std::size_t journal_limit = std::size_t(4) << 20;
  std::vector<unsigned char> journal;
  std::vector<std::string> journal_names;
  long long journal_dropped = 0;
  long long call_counts[FN_COUNT] = {};

  // Faults.
  std::vector<FAULT_TYPE> faults;
  long fallible_calls = 0;
  bool fault_fired = false;
  long faults_fired = 0;

  // Files.
  std::map<std::int32_t, OPEN_FILE_TYPE> files;
  std::map<std::string, std::pair<std::int32_t, std::int32_t>> file_types;  // path -> type, creator

  // Memory blocks.
  std::unordered_map<char*, std::size_t> blocks;
  long long block_bytes = 0;
  long long block_bytes_peak = 0;
  long long block_limit = 0;  // 0: none
  long block_misuse = 0;

  // Formats and filters.
  std::vector<MVH_FORMAT_TYPE> formats;
  std::vector<MVH_FILTER_REGISTRATION_TYPE> registrations;
  std::unordered_map<DT_DATA_HEADER_TYPE**, std::unique_ptr<DATA_LIST_TYPE>> lists;

  // Status window.
  MVH_STATUS_TYPE status;
  MVH_STATUS_LISTENER_TYPE status_listener = nullptr;
  void* status_listener_data = nullptr;

  // Animation model.
  std::vector<ANIMATION_TYPE*> animations;  // creation order
  std::unordered_map<void*, std::unique_ptr<ANIMATION_TYPE>> animation_ledger;
  std::unordered_map<void*, std::unique_ptr<FIGURE_TYPE>> figure_ledger;
  std::unordered_map<void*, std::unique_ptr<SKELETON_TYPE>> skeleton_ledger;  // by handle
  std::vector<SKELETON_TYPE*> library;  // in the order added
  std::unordered_map<void*, std::unique_ptr<PART_OBJECT_TYPE>> part_object_ledger;
  long animation_serial = 0;
  long handle_misuse = 0;
  short last_angle_order = 0;
};

STATE_TYPE& state_get_f();

// Journals a call of one of the 73.
inline void journal(FUNCTION_ID_TYPE id) {
  STATE_TYPE& state = state_get_f();
  ++state.call_counts[id];
  if (!state.journal_enabled) return;
  if (state.journal.size() >= state.journal_limit) {
    ++state.journal_dropped;
    return;
  }
  state.journal.push_back(static_cast<unsigned char>(id));
}

// Journals a call of a fallible function and counts it; true when an armed
// fault fails this call (the error state is then set unless the fault is
// silent, and the caller answers its failure value without effect).
bool fallible_call_fails_f(FUNCTION_ID_TYPE id);

// Sets the error state; the first message stays until em_error_reset.
void error_set(const std::string& message);

// Handle look-ups: null (and, with a function id, the error state set and the
// misuse counted) when the handle is not live.
ANIMATION_TYPE* animation_find_f(void* handle, FUNCTION_ID_TYPE caller);
FIGURE_TYPE* figure_find_f(void* handle, FUNCTION_ID_TYPE caller);
SKELETON_TYPE* skeleton_find_f(void* handle, FUNCTION_ID_TYPE caller);
PART_OBJECT_TYPE* part_object_find_f(void* handle, FUNCTION_ID_TYPE caller);

std::string handle_text_get_f(const void* handle);

// Copies text into a buffer of `size` bytes: at most size - 1 characters,
// always NUL-terminated when size > 0.
void text_copy(char* buffer, long size, const std::string& text);
// The text of a C string, empty for null.
std::string text_get_f(const char* text);

// Resets the parts of the state held by each source file.
void model_reset();
void files_reset();
void status_notify();

}  // namespace mvh

#endif  // MOVARA_MOVARA_INTERNAL_H
