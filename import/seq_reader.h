// The SEQ reader: an open SEQ file, positioned just after its magic, becomes
// a new Movara animation with one figure and every key of the file.
//
// The figure's skeleton is Movara's stock male (skeleton name "male"), a new
// skeleton built from the joint names with a unit cube on every joint, or a
// matching skeleton Movara already holds in place of the new one. The
// animation runs at 60 frames per second and the key of frame number n is set
// at Movara frame n - 1.
//
// The reader never closes the file, never ends the status window, raises no
// error of its own and never resets Movara's error state.
#ifndef IMPORT_SEQ_READER_H
#define IMPORT_SEQ_READER_H

#include "movara_api.h"

// Movara's value for "no animation": what anm_animation_create_f answers when
// it cannot make one, and what seq_file_read answers when it gives up.
void* seq_animation_none_get_f();

// Reads the rest of the file into a new animation. Answers the animation,
// which then belongs to the caller, or seq_animation_none_get_f() when the
// reader gives up; everything it made on the way (animation, a skeleton not
// yet given to a figure, key buffers) is then disposed of. It gives up on:
// a frame count of 0 (nothing is made, no error set); a failure of Movara
// that it detects (error state set, or a failure value); a malformed file
// (no error set): a name count of 0, negative or above 1024, a name without
// its NUL, a negative key count or one whose byte size exceeds 32 bits.
// Errors raised in the root tracks are left for the caller's test of the
// error state; a malformed root track still makes the reader give up.
void* seq_file_read(MOVARA_LONG_TYPE file);

// What a track reader found in the file.
enum SEQ_TRACK_RESULT_TYPE {
  SEQ_TRACK_READ = 0,       // the track was consumed (its keys set as far as Movara allowed)
  SEQ_TRACK_MALFORMED = 1,  // a key count no reader can hold; the file is to be refused
};

// The three track readers. Each reads the value size (ignored) and key count,
// then all key records with one fm_file_read_f into one key buffer of exactly
// key count x record size bytes (20 for quaternion tracks, 8 for float
// tracks), converts them in place to memory order and sets a key per record
// in file order, at frame number - 1; records with a frame number below 1 are
// not set. No key buffer (Movara's allocation failed): the records stay unread
// and the result is SEQ_TRACK_READ; Movara's error state tells the rest.
// Each stores what it found in `*result`, which must not be null:
// SEQ_TRACK_MALFORMED when the key count cannot be held, SEQ_TRACK_READ else.

// Orientation keys of one joint id, each quaternion normalised first.
void seq_orientation_track_read(MOVARA_LONG_TYPE file, void* figure, short joint,
                                SEQ_TRACK_RESULT_TYPE* result);
// Keys of translation channel 1, 2 or 3. On channel 2, while the figure is
// pinned to the floor (asked for every key), each key is moved by the floor
// adjustment: the value set becomes C + (v - (A - B)), with A the value just
// set as Movara reports it, B the floor channel's value at that frame and C
// the base value of channel 2.
void seq_translation_track_read(MOVARA_LONG_TYPE file, void* figure, MOVARA_LONG_TYPE channel,
                                SEQ_TRACK_RESULT_TYPE* result);
// Heading keys: each quaternion normalised and turned into angles with
// qt_to_angles_yxz; the y angle is set on the channel (1000000).
void seq_heading_track_read(MOVARA_LONG_TYPE file, void* figure, MOVARA_LONG_TYPE channel,
                            SEQ_TRACK_RESULT_TYPE* result);

#endif  // IMPORT_SEQ_READER_H
