#include "seq_writer.h"

#include <cmath>
#include <cstring>
#include <initializer_list>
#include <limits>

#include "seq_format.h"

namespace {

constexpr short FM_FILE_MODE_WRITE = 0;
constexpr short FM_POSITION_FROM_START = 0;
constexpr MOVARA_LONG_TYPE PROGRESS_STEP = 1;
constexpr MOVARA_LONG_TYPE BASE_VALUE_FRAME = -1;
constexpr unsigned char FGF_ORIENTATION_FLAG = 0;
constexpr std::uint16_t SEQ_FRAME_COUNT_LOWEST = 1;
constexpr std::uint16_t SEQ_FRAME_COUNT_HIGHEST = 65535;
constexpr std::int64_t MOVARA_LONG_HIGHEST = std::numeric_limits<MOVARA_LONG_TYPE>::max();
// 2^31: the first value that no longer fits in a signed 32-bit frame number.
constexpr double FRAME_NUMBER_LIMIT = 2147483648.0;

// Frames of an inclusive range, in 64 bits so that no range overflows.
std::int64_t range_frame_count_get_f(MOVARA_LONG_TYPE start_frame, MOVARA_LONG_TYPE end_frame) {
  return static_cast<std::int64_t>(end_frame) - static_cast<std::int64_t>(start_frame) + 1;
}

// A whole number of Movara frames on the file's 30-fps time base, in double
// precision (see seq_file_frames_get_f for why the product comes first).
double file_frames_get_f(std::int64_t movara_frames, float frame_rate) {
  return seq_file_frames_get_f(movara_frames, frame_rate);
}

// A key buffer from mm_pointer_create, given back when it goes out of scope,
// so that every way out of a track writer releases it.
class KEY_BUFFER_TYPE {
 public:
  explicit KEY_BUFFER_TYPE(MOVARA_LONG_TYPE size) : block_(mm_pointer_create(size)) {}
  ~KEY_BUFFER_TYPE() { mm_pointer_dispose(block_); }
  KEY_BUFFER_TYPE(const KEY_BUFFER_TYPE&) = delete;
  KEY_BUFFER_TYPE& operator=(const KEY_BUFFER_TYPE&) = delete;

  // The block, null when Movara could not give one.
  char* block_get_f() const { return block_; }

 private:
  char* block_;
};

// Record k of a buffer of records of `record_size` bytes.
char* key_record_get_f(char* block, MOVARA_LONG_TYPE key_index, MOVARA_LONG_TYPE record_size) {
  return block + static_cast<std::ptrdiff_t>(key_index) * record_size;
}

// Puts a quaternion key (frame number, w, x, y, z) at `record` in file order.
void quaternion_record_put(char* record, std::int32_t frame_number, const quaternion& value) {
  seq_i32_put(record, frame_number);
  std::memcpy(record + sizeof(std::int32_t), &value, sizeof(value));
  for (MOVARA_LONG_TYPE offset = 0; offset < SEQ_QUATERNION_RECORD_SIZE;
       offset += static_cast<MOVARA_LONG_TYPE>(sizeof(std::int32_t))) {
    seq_field32_swap(record + offset);
  }
}

// Puts a float key (frame number, value) at `record` in file order.
void float_record_put(char* record, std::int32_t frame_number, float value) {
  seq_i32_put(record, frame_number);
  seq_f32_put(record + sizeof(std::int32_t), &value);
  seq_field32_swap(record);
  seq_field32_swap(record + sizeof(std::int32_t));
}

// The value size, the key count and the records, the records in one write.
// A track without keys still makes that write, of 0 bytes, so that every
// track is written with the same three calls.
void key_track_emit(MOVARA_LONG_TYPE file, char* block, MOVARA_LONG_TYPE key_count,
                    MOVARA_LONG_TYPE value_size, MOVARA_LONG_TYPE record_size) {
  seq_i32_write(file, value_size);
  seq_i32_write(file, key_count);
  (void)fm_file_write_f(file, block, key_count * record_size);
}

// Ends a name that Movara wrote into a buffer of the writer's capacity, so
// that a name filling the whole buffer is still a terminated string.
void name_terminate(char* buffer) { buffer[SEQ_WRITER_NAME_CAPACITY - 1] = '\0'; }

// A joint's name as the file stores it: the internal name for a skeleton whose
// model creator is 'MALE' (asked anew for every name), the ordinary name else.
void joint_name_get(DT_DATA_DIRECTORY_TYPE** skeleton, short joint, char* buffer) {
  buffer[0] = '\0';
  if (sk_skeleton_model_creator_get_f(skeleton) == MODEL_CREATOR_MALE) {
    (void)skj_joint_internal_name_get_e(skeleton, joint, buffer);
  } else {
    (void)skj_joint_name_get_e(skeleton, joint, buffer);
  }
  name_terminate(buffer);
}

// The skeleton name: the model file's name without its extension, or "male"
// for a skeleton made from no model file.
void skeleton_name_get(DT_DATA_DIRECTORY_TYPE** skeleton, char* buffer) {
  buffer[0] = '\0';
  FP_FILE_PATH_TYPE** path = sk_skeleton_model_file_path_get_f(skeleton);
  if (path != nullptr) {
    char file_name[SEQ_WRITER_NAME_CAPACITY] = "";
    fp_file_path_file_name_get(path, file_name, SEQ_WRITER_NAME_CAPACITY);
    name_terminate(file_name);
    fme_file_extension_remove(file_name, buffer, SEQ_WRITER_NAME_CAPACITY);
  } else {
    char stock_name[] = "male";
    (void)st_str_copy_f(buffer, stock_name, SEQ_WRITER_NAME_CAPACITY);
  }
  name_terminate(buffer);
}

// The reference height that channel 2 is stored relative to, asked anew for
// every key: the root joint's offset y for a human skeleton, else the
// channel's base value.
float vertical_reference_get_f(void* figure, void* skeleton) {
  if (hms_human_skeleton_check_f(static_cast<DT_DATA_DIRECTORY_TYPE**>(skeleton)) != 0) {
    coord3 offset = {0.0f, 0.0f, 0.0f};
    fig_figure_joint_offset_get(figure, skl_skeleton_root_id_get_f(skeleton), &offset);
    return offset.y;
  }
  return fgf_frame_value_get_f(figure, BASE_VALUE_FRAME, CHANNEL_TRANSLATION_Y);
}

}  // namespace

bool seq_time_base_check_f(MOVARA_LONG_TYPE start_frame, MOVARA_LONG_TYPE end_frame,
                           float frame_rate) {
  if (!std::isfinite(frame_rate) || !(frame_rate > 0.0f)) {
    return false;
  }
  const std::int64_t frame_count = range_frame_count_get_f(start_frame, end_frame);
  // The largest buffer is the quaternion one; it bounds the frame count too.
  if (frame_count < 1 || frame_count > MOVARA_LONG_HIGHEST / SEQ_QUATERNION_RECORD_SIZE) {
    return false;
  }
  // Frame numbers grow with the frame, so the last one is the largest.
  const double last_frame_number = file_frames_get_f(frame_count - 1, frame_rate) + 1.0;
  return last_frame_number < FRAME_NUMBER_LIMIT;
}

std::int32_t seq_frame_number_get_f(std::int64_t frame, MOVARA_LONG_TYPE start_frame,
                                    float frame_rate) {
  const std::int64_t frames_after_start = frame - static_cast<std::int64_t>(start_frame);
  return static_cast<std::int32_t>(file_frames_get_f(frames_after_start, frame_rate) + 1.0);
}

std::uint16_t seq_frame_count_get_f(MOVARA_LONG_TYPE start_frame, MOVARA_LONG_TYPE end_frame,
                                    float frame_rate) {
  const double frame_count =
      file_frames_get_f(range_frame_count_get_f(start_frame, end_frame), frame_rate);
  if (!(frame_count >= SEQ_FRAME_COUNT_LOWEST)) {
    return SEQ_FRAME_COUNT_LOWEST;
  }
  if (frame_count >= SEQ_FRAME_COUNT_HIGHEST) {
    return SEQ_FRAME_COUNT_HIGHEST;
  }
  return static_cast<std::uint16_t>(frame_count);
}

void seq_file_write(FM_FILE_IDENTIFIER_TYPE* file_identifier, void* animation,
                    MOVARA_LONG_TYPE start_frame, MOVARA_LONG_TYPE end_frame, void* figure) {
  // Checked first, so that a file that could not be written leaves no file
  // behind: not for a range or rate no file can be written for, and not over
  // an existing file while an error is pending, which would stop the writer
  // right after creating (that is, emptying) the file.
  const float frame_rate = anm_animation_frame_rate_get_f(animation);
  if (!seq_time_base_check_f(start_frame, end_frame, frame_rate) || em_error_occurred_f() != 0) {
    return;
  }

  (void)fm_file_create_e(file_identifier);
  if (em_error_occurred_f() != 0) {
    return;
  }
  (void)fm_file_type_and_creator_set_e(file_identifier, FILE_TYPE_CMPS, FORMAT_ID_SEQ);
  const MOVARA_LONG_TYPE file = fm_file_open_f(file_identifier, FM_FILE_MODE_WRITE);
  if (em_error_occurred_f() != 0 || file == FM_FILE_NONE) {
    // The error may come from setting the type while the open itself worked.
    if (file != FM_FILE_NONE) {
      fm_file_close(file);
    }
    return;
  }

  void* skeleton = fig_figure_get_skel(figure);
  DT_DATA_DIRECTORY_TYPE** skeleton_directory = static_cast<DT_DATA_DIRECTORY_TYPE**>(skeleton);

  seq_u32_write(file, SEQ_MAGIC_PLACEHOLDER);
  seq_u16_write(file, seq_frame_count_get_f(start_frame, end_frame, frame_rate));
  const short joint_count = skl_skeleton_joint_count_get_f(skeleton);
  seq_i32_write(file, joint_count);

  char skeleton_name[SEQ_WRITER_NAME_CAPACITY];
  skeleton_name_get(skeleton_directory, skeleton_name);
  seq_string_write(file, skeleton_name);

  char joint_name[SEQ_WRITER_NAME_CAPACITY];
  joint_name_get(skeleton_directory, skl_skeleton_root_id_get_f(skeleton), joint_name);
  seq_string_write(file, joint_name);

  // Every track writer runs even after one failed, so that the file is walked
  // to its end; only a file with all its tracks receives the magic.
  bool tracks_complete = true;
  for (short joint = 0; joint < joint_count; ++joint) {
    joint_name_get(skeleton_directory, joint, joint_name);
    seq_string_write(file, joint_name);
    bool track_written = false;
    seq_orientation_track_write(file, figure, joint, start_frame, end_frame, frame_rate,
                                &track_written);
    tracks_complete = tracks_complete && track_written;
  }

  seq_i32_write(file, SEQ_TRACK_COUNT);
  for (const MOVARA_LONG_TYPE channel :
       {CHANNEL_TRANSLATION_X, CHANNEL_TRANSLATION_Y, CHANNEL_TRANSLATION_Z}) {
    bool track_written = false;
    seq_translation_track_write(file, figure, start_frame, end_frame, frame_rate, channel,
                                &track_written);
    tracks_complete = tracks_complete && track_written;
  }
  bool heading_written = false;
  seq_heading_track_write(file, figure, start_frame, end_frame, frame_rate, &heading_written);
  tracks_complete = tracks_complete && heading_written;

  // The completion mark. A file that lacks a track, or whose writing raised an
  // error, keeps its placeholder; so does one whose position could not be set
  // back, where the magic would land at the end instead of over the zeros.
  if (tracks_complete && em_error_occurred_f() == 0) {
    (void)fm_file_position_set_e(file, 0, FM_POSITION_FROM_START);
    if (em_error_occurred_f() == 0) {
      seq_u32_write(file, SEQ_MAGIC);
    }
  }
  fm_file_close(file);
}

namespace {

// The loop every track writer shares. One key buffer sized for a key at every
// frame of the range; for each frame, in ascending order: a progress step
// when `progress` is set, the error test, then key_put(frame, frame number,
// record), which answers whether the frame holds a key and, when it does, has
// filled the record (converted to file order). When the loop ends the track
// is written with its header and *written set; a track without a buffer, or
// one that stops on an error, writes nothing and leaves *written false.
template <typename KEY_PUT_TYPE>
void key_track_write(MOVARA_LONG_TYPE file, MOVARA_LONG_TYPE start_frame,
                     MOVARA_LONG_TYPE end_frame, float frame_rate, MOVARA_LONG_TYPE value_size,
                     MOVARA_LONG_TYPE record_size, bool progress, KEY_PUT_TYPE key_put,
                     bool* written) {
  *written = false;
  const std::int64_t frame_count = range_frame_count_get_f(start_frame, end_frame);
  KEY_BUFFER_TYPE buffer(static_cast<MOVARA_LONG_TYPE>(frame_count * record_size));
  if (buffer.block_get_f() == nullptr) {
    return;
  }
  MOVARA_LONG_TYPE key_count = 0;
  for (std::int64_t frame = start_frame; frame <= end_frame; ++frame) {
    if (progress) {
      (void)stw_status_progress_increment_e(PROGRESS_STEP);
    }
    if (em_error_occurred_f() != 0) {
      return;
    }
    char* const record = key_record_get_f(buffer.block_get_f(), key_count, record_size);
    if (key_put(static_cast<MOVARA_LONG_TYPE>(frame),
                seq_frame_number_get_f(frame, start_frame, frame_rate), record)) {
      ++key_count;
    }
  }
  key_track_emit(file, buffer.block_get_f(), key_count, value_size, record_size);
  *written = true;
}

}  // namespace

void seq_orientation_track_write(MOVARA_LONG_TYPE file, void* figure, short joint,
                                 MOVARA_LONG_TYPE start_frame, MOVARA_LONG_TYPE end_frame,
                                 float frame_rate, bool* written) {
  // Only joint 0's track advances the progress: one step per frame of the range.
  key_track_write(
      file, start_frame, end_frame, frame_rate, SEQ_QUATERNION_VALUE_SIZE,
      SEQ_QUATERNION_RECORD_SIZE, joint == 0,
      [figure, joint](MOVARA_LONG_TYPE frame, std::int32_t frame_number, char* record) {
        if (fgf_frame_joint_orientation_key_f(figure, frame, joint, FGF_ORIENTATION_FLAG) == 0) {
          return false;
        }
        quaternion orientation = {1.0f, 0.0f, 0.0f, 0.0f};
        fgf_frame_joint_orientation_get(figure, frame, joint, &orientation, FGF_ORIENTATION_FLAG);
        quaternion_record_put(record, frame_number, orientation);
        return true;
      },
      written);
}

void seq_translation_track_write(MOVARA_LONG_TYPE file, void* figure,
                                 MOVARA_LONG_TYPE start_frame, MOVARA_LONG_TYPE end_frame,
                                 float frame_rate, MOVARA_LONG_TYPE channel, bool* written) {
  void* const skeleton = fig_figure_get_skel(figure);
  key_track_write(
      file, start_frame, end_frame, frame_rate, SEQ_FLOAT_VALUE_SIZE, SEQ_FLOAT_RECORD_SIZE,
      false,
      [figure, skeleton, channel](MOVARA_LONG_TYPE frame, std::int32_t frame_number,
                                  char* record) {
        if (fgf_frame_value_key_f(figure, frame, channel) == 0) {
          return false;
        }
        float value = fgf_frame_value_get_f(figure, frame, channel);
        if (channel == CHANNEL_TRANSLATION_Y) {
          value = value - vertical_reference_get_f(figure, skeleton);
        }
        float_record_put(record, frame_number, value);
        return true;
      },
      written);
}

void seq_heading_track_write(MOVARA_LONG_TYPE file, void* figure, MOVARA_LONG_TYPE start_frame,
                             MOVARA_LONG_TYPE end_frame, float frame_rate, bool* written) {
  key_track_write(
      file, start_frame, end_frame, frame_rate, SEQ_QUATERNION_VALUE_SIZE,
      SEQ_QUATERNION_RECORD_SIZE, false,
      [figure](MOVARA_LONG_TYPE frame, std::int32_t frame_number, char* record) {
        if (fgf_frame_value_key_f(figure, frame, CHANNEL_HEADING) == 0) {
          return false;
        }
        coord3 angles = {0.0f, fgf_frame_value_get_f(figure, frame, CHANNEL_HEADING), 0.0f};
        quaternion heading = {1.0f, 0.0f, 0.0f, 0.0f};
        qt_angles_to_quat(&heading, &angles, ANGLE_ORDER_YXZ);
        quaternion_record_put(record, frame_number, heading);
        return true;
      },
      written);
}
