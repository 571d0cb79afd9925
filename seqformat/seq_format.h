// The SEQ motion file format, shared by the reader (Vestan) and the writer
// (Orlune): layout constants, byte order and length-prefixed strings.
//
// Every multi-byte field is big-endian with no padding. Conversions between
// memory order and file order reverse bytes; one operation per width serves
// both directions. A float is converted as its 32-bit pattern through memory,
// never through a value: a reversed pattern may be a signalling NaN, which a
// float load or return on some ABIs would quietly change.
#ifndef SEQFORMAT_SEQ_FORMAT_H
#define SEQFORMAT_SEQ_FORMAT_H

#include <cstdint>

#include "movara_api.h"

// ---------------------------------------------------------------------------
// Layout constants.

constexpr std::uint32_t SEQ_MAGIC = 0x7F7F7F7Au;            // as written, last
constexpr std::uint32_t SEQ_MAGIC_ALTERNATE = 0x7F7F7F79u;  // also accepted
constexpr std::uint32_t SEQ_MAGIC_PLACEHOLDER = 0u;         // an unfinished file
constexpr MOVARA_LONG_TYPE SEQ_MAGIC_SIZE = 4;
constexpr MOVARA_LONG_TYPE SEQ_QUATERNION_VALUE_SIZE = 16;
constexpr MOVARA_LONG_TYPE SEQ_FLOAT_VALUE_SIZE = 4;
constexpr MOVARA_LONG_TYPE SEQ_QUATERNION_RECORD_SIZE = 20;  // frame number + 4 floats
constexpr MOVARA_LONG_TYPE SEQ_FLOAT_RECORD_SIZE = 8;        // frame number + 1 float
constexpr MOVARA_LONG_TYPE SEQ_TRACK_COUNT = 4;
constexpr double SEQ_FILE_FRAME_RATE = 30.0;
constexpr MOVARA_LONG_TYPE SEQ_ROOT_TRACK_CHANNELS[SEQ_TRACK_COUNT] = {
    CHANNEL_TRANSLATION_X, CHANNEL_TRANSLATION_Y, CHANNEL_TRANSLATION_Z, CHANNEL_HEADING};
constexpr MOVARA_LONG_TYPE SEQ_WRITER_NAME_CAPACITY = 256;   // NUL included
constexpr MOVARA_LONG_TYPE SEQ_READER_NAME_CAPACITY = 1024;  // NUL included

// A whole number of Movara frames on the file's 30-fps time base, before any
// cut toward zero. The frames are multiplied by 30 before the division by the
// rate: the product is exact in double precision, so a quotient that is a
// whole number comes out whole. Dividing first (frames / rate * 30) lands just
// below whole numbers (123 / 30.0 * 30.0 is 122.99999999999999), and the cut
// then gives two neighbouring frames the same frame number at 30 frames per
// second, so that one of the two keys is lost on import.
inline double seq_file_frames_get_f(std::int64_t movara_frames, float frame_rate) {
  return static_cast<double>(movara_frames) * SEQ_FILE_FRAME_RATE / static_cast<double>(frame_rate);
}

// True for both magics a reader accepts.
constexpr bool seq_magic_check_f(std::uint32_t magic) {
  return magic == SEQ_MAGIC || magic == SEQ_MAGIC_ALTERNATE;
}

// ---------------------------------------------------------------------------
// Byte order. Each converts between memory order and big-endian file order.

constexpr std::uint16_t seq_u16_swap_f(std::uint16_t value) {
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
  return value;
#else
  return static_cast<std::uint16_t>((value >> 8) | (value << 8));
#endif
}

constexpr std::uint32_t seq_u32_swap_f(std::uint32_t value) {
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
  return value;
#else
  return (value >> 24) | ((value >> 8) & 0x0000FF00u) | ((value << 8) & 0x00FF0000u) |
         (value << 24);
#endif
}

// In-place conversions of fields in a buffer (any alignment). The f32 form
// moves the float's bit pattern only; the float is never loaded as a value.
void seq_field16_swap(void* field);
void seq_field32_swap(void* field);
void seq_f32_swap(float* value);

// Fields taken out of / put into a buffer already in memory order (any
// alignment), through memcpy.
std::int32_t seq_i32_get_f(const void* field);
void seq_i32_put(void* field, std::int32_t value);
void seq_f32_get(const void* field, float* value);
void seq_f32_put(void* field, const float* value);

// ---------------------------------------------------------------------------
// Fields through Movara's file calls. Results of fm_file_read_f and
// fm_file_write_f are not read: a short read or failed write shows in Movara's
// error state. A read that delivers nothing leaves the value 0.

std::uint16_t seq_u16_read_f(MOVARA_LONG_TYPE file);
std::int16_t seq_i16_read_f(MOVARA_LONG_TYPE file);
std::int32_t seq_i32_read_f(MOVARA_LONG_TYPE file);
std::uint32_t seq_u32_read_f(MOVARA_LONG_TYPE file);
// Each writes one field with one fm_file_write_f call of its size.
void seq_u16_write(MOVARA_LONG_TYPE file, std::uint16_t value);
void seq_i32_write(MOVARA_LONG_TYPE file, std::int32_t value);
void seq_u32_write(MOVARA_LONG_TYPE file, std::uint32_t value);

// ---------------------------------------------------------------------------
// Length-prefixed strings: an i16 byte count that includes the NUL, then the
// bytes, the NUL last.

enum SEQ_STRING_RESULT_TYPE {
  SEQ_STRING_READ = 0,       // a well-formed name, exactly its stored bytes consumed
  SEQ_STRING_MALFORMED = 1,  // count 0, negative or above the capacity, or no NUL at the end
};

// Reads one length-prefixed string into `buffer` of `capacity` bytes
// (capacity >= 1). The buffer always ends up NUL-terminated and nothing is
// written past `capacity`. For a well-formed string the count and exactly
// `count` bytes are consumed. A malformed count leaves the file after the
// count and the buffer empty; a string whose last stored byte is not NUL is
// consumed, cut at its last byte and reported malformed. The caller refuses
// the file on SEQ_STRING_MALFORMED.
SEQ_STRING_RESULT_TYPE seq_string_read_f(MOVARA_LONG_TYPE file, char* buffer,
                                         MOVARA_LONG_TYPE capacity);

// Writes `text` (NUL-terminated, shorter than 32767 bytes) as count =
// st_str_length_get_f(text) + 1, then count bytes, the NUL included.
void seq_string_write(MOVARA_LONG_TYPE file, char* text);

#endif  // SEQFORMAT_SEQ_FORMAT_H
