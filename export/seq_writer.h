// The SEQ writer: one figure of a Movara animation, over an inclusive range of
// Movara frames, into one SEQ file.
//
// Everything stored is asked of Movara: the animation's frame rate, the
// figure's skeleton and joint names, the joints' orientation keys and the keys
// of the root channels 1, 2, 3 and 1000000. Only frames at which Movara reports
// a key are stored; key times are converted to the file frame rate of 30 frames
// per second and nothing is interpolated or resampled.
//
// Failure shows only in Movara's error state; the writer never sets or resets
// it. The magic at offset 0 is written last and only for a complete file, so a
// file whose writing failed keeps its four zero bytes and no reader accepts it.
#ifndef EXPORT_SEQ_WRITER_H
#define EXPORT_SEQ_WRITER_H

#include <cstdint>

#include "movara_api.h"

// True when a file can be written for this range and rate: the rate is finite
// and positive, end_frame is not before start_frame, the number of frames
// (end_frame - start_frame + 1) and a key buffer for a quaternion key at every
// frame fit in a Movara long, and the frame number of end_frame fits in 32
// bits. For such a range every frame number and the frame count are computed
// without overflow or out-of-range conversion; the track writers require it.
bool seq_time_base_check_f(MOVARA_LONG_TYPE start_frame, MOVARA_LONG_TYPE end_frame,
                           float frame_rate);

// Frame number of Movara frame `frame` (start_frame <= frame <= end_frame of a
// valid range): (frame - start_frame) / frame_rate * 30 + 1 in double
// precision, in this order, cut toward zero.
std::int32_t seq_frame_number_get_f(std::int64_t frame, MOVARA_LONG_TYPE start_frame,
                                    float frame_rate);

// Frame count of a valid range: (end_frame - start_frame + 1) / frame_rate * 30
// in double precision, cut toward zero and clamped to 1 .. 65535, so that a
// range holding a frame never stores 0 and never wraps in its 16 bits.
std::uint16_t seq_frame_count_get_f(MOVARA_LONG_TYPE start_frame, MOVARA_LONG_TYPE end_frame,
                                    float frame_rate);

// Writes the figure's SEQ file under `file_identifier`, created anew with type
// 'CMPS' and creator '.seq'. The frame rate is read before anything else; for
// a range and rate that seq_time_base_check_f refuses, and while an error is
// pending, nothing is created or written and the error state is left as it is. When creating or opening fails
// the writer returns; a file that was opened is always closed. The magic is
// written only when every track was written, the error state is clear after
// the tracks and the position could be set back to 0.
void seq_file_write(FM_FILE_IDENTIFIER_TYPE* file_identifier, void* animation,
                    MOVARA_LONG_TYPE start_frame, MOVARA_LONG_TYPE end_frame, void* figure);

// The three track writers, for a range that seq_time_base_check_f accepts.
// Each visits every frame of the range in ascending order, fills one key
// buffer from mm_pointer_create (sized for a key at every frame) with the
// keyed frames' records converted to file byte order in place, and writes the
// value size, the key count and then all records in one write (a write of 0
// bytes for a track without keys). Each stores in `*written`, which must not
// be null, true when its whole track was written; false when it wrote nothing
// of it, because no buffer was had or the error state was set at one of its
// frames. The buffer is given back on every way out.

// Orientation track of joint `joint`: value size 16, records of 20 bytes. Only
// the track of joint id 0 advances the status window's progress: one step per
// frame of the range, keyed or not.
void seq_orientation_track_write(MOVARA_LONG_TYPE file, void* figure, short joint,
                                 MOVARA_LONG_TYPE start_frame, MOVARA_LONG_TYPE end_frame,
                                 float frame_rate, bool* written);

// Translation track of channel 1, 2 or 3: value size 4, records of 8 bytes.
// Channel 2 is stored relative to a reference height asked anew for every
// key: the root joint's offset y for a skeleton Movara classes as human, the
// channel's base value (frame -1) otherwise.
void seq_translation_track_write(MOVARA_LONG_TYPE file, void* figure,
                                 MOVARA_LONG_TYPE start_frame, MOVARA_LONG_TYPE end_frame,
                                 float frame_rate, MOVARA_LONG_TYPE channel, bool* written);

// Heading track (channel 1000000): value size 16, records of 20 bytes holding
// the quaternion that qt_angles_to_quat builds with order 12 from (0, h, 0).
void seq_heading_track_write(MOVARA_LONG_TYPE file, void* figure, MOVARA_LONG_TYPE start_frame,
                             MOVARA_LONG_TYPE end_frame, float frame_rate, bool* written);

#endif  // EXPORT_SEQ_WRITER_H
