#include "seq_reader.h"

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <limits>

#include "seq_format.h"

namespace {

// Texts Movara receives as `char*`; Movara only reads them.
char seq_male_text[] = "male";
char seq_empty_text[] = "";

// Reads a track's value size (ignored) and key count into `key_count`.
// MALFORMED when the count is negative or key count x record size does not
// fit in Movara's 32-bit byte counts.
SEQ_TRACK_RESULT_TYPE seq_track_header_read_f(MOVARA_LONG_TYPE file, MOVARA_LONG_TYPE record_size,
                                              MOVARA_LONG_TYPE* key_count) {
  (void)seq_i32_read_f(file);
  const std::int32_t count = seq_i32_read_f(file);
  *key_count = 0;
  if (count < 0 || count > std::numeric_limits<MOVARA_LONG_TYPE>::max() / record_size) {
    return SEQ_TRACK_MALFORMED;
  }
  *key_count = count;
  return SEQ_TRACK_READ;
}

// Passes over an orientation track whose keys are not wanted: its header is
// read and the file position moved over its records.
SEQ_TRACK_RESULT_TYPE seq_orientation_track_skip_f(MOVARA_LONG_TYPE file) {
  MOVARA_LONG_TYPE key_count = 0;
  if (seq_track_header_read_f(file, SEQ_QUATERNION_RECORD_SIZE, &key_count) ==
      SEQ_TRACK_MALFORMED) {
    return SEQ_TRACK_MALFORMED;
  }
  (void)fm_file_position_set_e(file, key_count * SEQ_QUATERNION_RECORD_SIZE, 1);
  return SEQ_TRACK_READ;
}

// The part the three track readers share: header, one key buffer, one read,
// conversion in place, and for every record with a frame number of 1 or more
// key_set(frame number - 1, the record's value fields in memory order).
template <typename KEY_SET_TYPE>
SEQ_TRACK_RESULT_TYPE seq_track_records_read_f(MOVARA_LONG_TYPE file,
                                               MOVARA_LONG_TYPE record_size,
                                               KEY_SET_TYPE key_set) {
  MOVARA_LONG_TYPE key_count = 0;
  if (seq_track_header_read_f(file, record_size, &key_count) == SEQ_TRACK_MALFORMED) {
    return SEQ_TRACK_MALFORMED;
  }
  if (key_count == 0) {
    return SEQ_TRACK_READ;
  }
  const MOVARA_LONG_TYPE block_size = key_count * record_size;
  char* const block = mm_pointer_create(block_size);
  if (block == nullptr) {
    return SEQ_TRACK_READ;
  }
  // A short read sets Movara's error state; the records it did not deliver
  // keep what the block held, and the caller's error test ends the import.
  (void)fm_file_read_f(file, block, block_size);
  const std::ptrdiff_t field_count = record_size / 4;
  for (MOVARA_LONG_TYPE k = 0; k < key_count; ++k) {
    char* const record = block + static_cast<std::ptrdiff_t>(k) * record_size;
    for (std::ptrdiff_t field = 0; field < field_count; ++field) {
      seq_field32_swap(record + field * 4);
    }
    const std::int32_t frame_number = seq_i32_get_f(record);
    // Frame number 1 is Movara frame 0; smaller numbers would name frames
    // before the animation's start and are not set. Subtracting only from
    // numbers of 1 or more cannot overflow.
    if (frame_number >= 1) {
      key_set(frame_number - 1, record + 4);
    }
  }
  mm_pointer_dispose(block);
  return SEQ_TRACK_READ;
}

// The four floats of a quaternion record, in the order of Movara's record.
void seq_quaternion_get(const char* fields, quaternion* q) {
  seq_f32_get(fields, &q->w);
  seq_f32_get(fields + 4, &q->x);
  seq_f32_get(fields + 8, &q->y);
  seq_f32_get(fields + 12, &q->z);
}

// Gives up on the file: disposes of the reader's own skeleton (one not yet
// handed to a figure; null when there is none) and of the animation.
void* seq_file_refuse_f(void* animation, void* own_skeleton) {
  if (own_skeleton != nullptr) {
    skl_skeleton_dispose(own_skeleton);
  }
  anm_animation_dispose(animation);
  return seq_animation_none_get_f();
}

}  // namespace

void* seq_animation_none_get_f() {
  return reinterpret_cast<void*>(static_cast<std::intptr_t>(-1));
}

void seq_orientation_track_read(MOVARA_LONG_TYPE file, void* figure, short joint,
                                SEQ_TRACK_RESULT_TYPE* result) {
  *result = seq_track_records_read_f(
      file, SEQ_QUATERNION_RECORD_SIZE, [figure, joint](MOVARA_LONG_TYPE frame, const char* fields) {
        quaternion q{};
        seq_quaternion_get(fields, &q);
        qt_normalize(&q);
        fgf_frame_joint_orientation_set(figure, frame, joint, &q);
      });
}

void seq_heading_track_read(MOVARA_LONG_TYPE file, void* figure, MOVARA_LONG_TYPE channel,
                            SEQ_TRACK_RESULT_TYPE* result) {
  *result = seq_track_records_read_f(
      file, SEQ_QUATERNION_RECORD_SIZE,
      [figure, channel](MOVARA_LONG_TYPE frame, const char* fields) {
        quaternion q{};
        seq_quaternion_get(fields, &q);
        qt_normalize(&q);
        coord3 angles{};
        qt_to_angles_yxz(&angles, &q);
        (void)fgf_frame_value_set_f(figure, frame, channel, angles.y);
      });
}

void seq_translation_track_read(MOVARA_LONG_TYPE file, void* figure, MOVARA_LONG_TYPE channel,
                                SEQ_TRACK_RESULT_TYPE* result) {
  *result = seq_track_records_read_f(
      file, SEQ_FLOAT_RECORD_SIZE, [figure, channel](MOVARA_LONG_TYPE frame, const char* fields) {
        float value = 0.0f;
        seq_f32_get(fields, &value);
        (void)fgf_frame_value_set_f(figure, frame, channel, value);
        if (channel != CHANNEL_TRANSLATION_Y || fig_figure_pin_to_floor_get_f(figure) == 0) {
          return;
        }
        // A pinned figure keeps its root where Movara's floor puts it: the
        // stored height is taken relative to the floor and then to the
        // channel's base height.
        const float reported = fgf_frame_value_get_f(figure, frame, CHANNEL_TRANSLATION_Y);
        const float floor_height = fgf_frame_value_get_f(figure, frame, CHANNEL_FLOOR);
        const float difference = static_cast<float>(
            static_cast<double>(value) -
            (static_cast<double>(reported) - static_cast<double>(floor_height)));
        const float base = fgf_frame_value_get_f(figure, -1, CHANNEL_TRANSLATION_Y);
        (void)fgf_frame_value_set_f(
            figure, frame, CHANNEL_TRANSLATION_Y,
            static_cast<float>(static_cast<double>(base) + static_cast<double>(difference)));
      });
}

void* seq_file_read(MOVARA_LONG_TYPE file) {
  void* const none = seq_animation_none_get_f();
  // Zero-filled so that a short read leaves no undefined bytes in a name.
  char skeleton_name[SEQ_READER_NAME_CAPACITY] = {};
  char joint_name[SEQ_READER_NAME_CAPACITY] = {};

  if (seq_u16_read_f(file) == 0) {
    return none;
  }
  const std::int32_t joint_count = seq_i32_read_f(file);
  if (seq_string_read_f(file, skeleton_name, SEQ_READER_NAME_CAPACITY) == SEQ_STRING_MALFORMED) {
    return none;
  }

  void* const animation = anm_animation_create_f();
  if (animation == none) {
    return none;
  }
  anm_animation_frame_rate_set(animation, 60.0f);
  const bool stock_male = st_str_equal_f(skeleton_name, seq_male_text) != 0;
  if (seq_string_read_f(file, joint_name, SEQ_READER_NAME_CAPACITY) == SEQ_STRING_MALFORMED) {
    return seq_file_refuse_f(animation, nullptr);
  }

  // `skeleton` is what the figure is made with (null: the stock male);
  // `own_skeleton` is the new skeleton while it is still the reader's to
  // dispose of, that is until a figure takes it.
  void* skeleton = nullptr;
  void* own_skeleton = nullptr;
  bool pinned = false;
  if (stock_male) {
    pinned = true;
  } else {
    const MOVARA_LONG_TYPE sections_position = fm_file_position_get_f(file);
    own_skeleton = skl_skeleton_skel_create_f(skeleton_name);
    if (own_skeleton == nullptr) {
      return seq_file_refuse_f(animation, nullptr);
    }
    // Skeleton pass: one joint with a unit cube per section, key records
    // passed over. The first failure ends the pass; the joints made so far
    // stay and later sections make none.
    for (std::int32_t i = 0; i < joint_count; ++i) {
      if (seq_string_read_f(file, joint_name, SEQ_READER_NAME_CAPACITY) == SEQ_STRING_MALFORMED ||
          seq_orientation_track_skip_f(file) == SEQ_TRACK_MALFORMED) {
        return seq_file_refuse_f(animation, own_skeleton);
      }
      const short joint = skl_skeleton_joint_create_f(own_skeleton, joint_name);
      if (joint == -1) {
        break;
      }
      void* const part_object = pob_part_object_obj_create_f(0);
      if (part_object == nullptr) {
        break;
      }
      if (skl_skeleton_part_object_attach_f(own_skeleton, joint, part_object) == 0 &&
          em_error_occurred_f() != 0) {
        break;
      }
      if (pob_part_object_cube_add(part_object, 1.0f, 1.0f, 1.0f, 0) == 0) {
        break;
      }
    }
    (void)fm_file_position_set_e(file, sections_position, 0);
    if (em_error_occurred_f() != 0 ||
        skl_skeleton_skel_completed_f(own_skeleton, seq_empty_text) == 0) {
      return seq_file_refuse_f(animation, own_skeleton);
    }
    void* const held = anm_animations_skeleton_search_f(own_skeleton, animation);
    if (held != nullptr) {
      skl_skeleton_dispose(own_skeleton);
      own_skeleton = nullptr;
      skeleton = held;
      pinned = true;
    } else {
      skeleton = own_skeleton;
    }
  }
  if (em_error_occurred_f() != 0) {
    return seq_file_refuse_f(animation, own_skeleton);
  }
  void* const figure = anm_animation_figure_add_f(animation, skeleton, 1);
  if (figure == nullptr) {
    return seq_file_refuse_f(animation, own_skeleton);
  }
  // From here the figure holds the skeleton; disposing of the animation
  // disposes of it.
  fig_figure_pin_to_floor_set(figure, pinned ? 1 : 0);
  void* const figure_skeleton = fig_figure_get_skel(figure);
  (void)stw_status_range_change_e(0, joint_count);

  // Key pass, from the first joint section.
  for (std::int32_t i = 0; i < joint_count; ++i) {
    if (seq_string_read_f(file, joint_name, SEQ_READER_NAME_CAPACITY) == SEQ_STRING_MALFORMED) {
      return seq_file_refuse_f(animation, nullptr);
    }
    const short joint = skl_skeleton_joint_id_get_f(figure_skeleton, joint_name);
    if (joint == -1) {
      if (seq_orientation_track_skip_f(file) == SEQ_TRACK_MALFORMED) {
        return seq_file_refuse_f(animation, nullptr);
      }
      continue;
    }
    SEQ_TRACK_RESULT_TYPE track_result = SEQ_TRACK_READ;
    seq_orientation_track_read(file, figure, joint, &track_result);
    if (track_result == SEQ_TRACK_MALFORMED) {
      return seq_file_refuse_f(animation, nullptr);
    }
    if (i % 3 == 0) {
      (void)stw_status_progress_increment_e(3);
    }
    if (em_error_occurred_f() != 0) {
      return seq_file_refuse_f(animation, nullptr);
    }
  }

  (void)seq_i32_read_f(file);  // the track count, always 4
  // Errors in the root tracks are left to the caller's test; only a track
  // that cannot be held makes the reader give up here.
  for (const MOVARA_LONG_TYPE channel :
       {CHANNEL_TRANSLATION_X, CHANNEL_TRANSLATION_Y, CHANNEL_TRANSLATION_Z}) {
    SEQ_TRACK_RESULT_TYPE track_result = SEQ_TRACK_READ;
    seq_translation_track_read(file, figure, channel, &track_result);
    if (track_result == SEQ_TRACK_MALFORMED) {
      return seq_file_refuse_f(animation, nullptr);
    }
  }
  SEQ_TRACK_RESULT_TYPE heading_result = SEQ_TRACK_READ;
  seq_heading_track_read(file, figure, CHANNEL_HEADING, &heading_result);
  if (heading_result == SEQ_TRACK_MALFORMED) {
    return seq_file_refuse_f(animation, nullptr);
  }
  return animation;
}
