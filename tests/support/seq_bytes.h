// Building SEQ fixtures in tests from readable bytes: a file is written out
// field by field in file order, so the test itself shows what the file holds.
//
//   SEQ_BYTES_TYPE file;
//   file.u32(0x7F7F7F7A).u16(10).i32(1).text("male").text("hip")
//       .text("hip").track_quaternion({{1, 1, 0, 0, 0}})
//       .i32(4).track_float({}).track_float({}).track_float({}).track_quaternion({});
#ifndef TESTS_SUPPORT_SEQ_BYTES_H
#define TESTS_SUPPORT_SEQ_BYTES_H

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

struct SEQ_FLOAT_KEY_TYPE {
  std::int32_t frame_number;
  float value;
};

struct SEQ_QUATERNION_KEY_TYPE {
  std::int32_t frame_number;
  float components[4];  // in the order of Movara's quaternion record
};

class SEQ_BYTES_TYPE {
 public:
  SEQ_BYTES_TYPE& u8(std::uint8_t value);
  SEQ_BYTES_TYPE& u16(std::uint16_t value);
  SEQ_BYTES_TYPE& i16(std::int16_t value);
  SEQ_BYTES_TYPE& u32(std::uint32_t value);
  SEQ_BYTES_TYPE& i32(std::int32_t value);
  SEQ_BYTES_TYPE& f32(float value);
  // A length-prefixed string: count (text length + 1), the text, a NUL.
  SEQ_BYTES_TYPE& text(const std::string& value);
  // Raw bytes, for malformed strings and cut files.
  SEQ_BYTES_TYPE& raw(std::initializer_list<std::uint8_t> bytes);
  SEQ_BYTES_TYPE& raw(const std::vector<std::uint8_t>& bytes);
  // Whole key tracks: value size, key count, records.
  SEQ_BYTES_TYPE& track_quaternion(const std::vector<SEQ_QUATERNION_KEY_TYPE>& keys);
  SEQ_BYTES_TYPE& track_float(const std::vector<SEQ_FLOAT_KEY_TYPE>& keys);

  const std::vector<std::uint8_t>& bytes_get_f() const { return bytes_; }
  std::size_t size_get_f() const { return bytes_.size(); }
  // The first `size` bytes only (a file cut short).
  SEQ_BYTES_TYPE prefix_get_f(std::size_t size) const;
  // Writes the bytes to a file; false when that fails.
  bool file_write_f(const std::string& path) const;

 private:
  std::vector<std::uint8_t> bytes_;
};

// The header of a SEQ file up to the root joint name, with the magic (or,
// for an unfinished file, the zero placeholder) in front.
SEQ_BYTES_TYPE seq_header_get_f(std::uint16_t frame_count, std::int32_t joint_count,
                                const std::string& skeleton_name,
                                const std::string& root_name = "root", bool complete = true);
// Appends the track count 4 and the four root tracks: x, y, z, heading.
SEQ_BYTES_TYPE& seq_root_tracks_append(SEQ_BYTES_TYPE& bytes,
                                       const std::vector<SEQ_FLOAT_KEY_TYPE>& x = {},
                                       const std::vector<SEQ_FLOAT_KEY_TYPE>& y = {},
                                       const std::vector<SEQ_FLOAT_KEY_TYPE>& z = {},
                                       const std::vector<SEQ_QUATERNION_KEY_TYPE>& heading = {});

// Reads a whole file; empty when it cannot be read.
std::vector<std::uint8_t> file_bytes_read_f(const std::string& path);

// Hex dump "7F 7F 7F 7A 00 0A ..." for readable failure messages.
std::string bytes_hex_get_f(const std::vector<std::uint8_t>& bytes);

#endif  // TESTS_SUPPORT_SEQ_BYTES_H
