#include "seq_bytes.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>

SEQ_BYTES_TYPE& SEQ_BYTES_TYPE::u8(std::uint8_t value) {
  bytes_.push_back(value);
  return *this;
}

SEQ_BYTES_TYPE& SEQ_BYTES_TYPE::u16(std::uint16_t value) {
  bytes_.push_back(static_cast<std::uint8_t>(value >> 8));
  bytes_.push_back(static_cast<std::uint8_t>(value));
  return *this;
}

SEQ_BYTES_TYPE& SEQ_BYTES_TYPE::i16(std::int16_t value) {
  std::uint16_t pattern = 0;
  std::memcpy(&pattern, &value, sizeof(pattern));
  return u16(pattern);
}

SEQ_BYTES_TYPE& SEQ_BYTES_TYPE::u32(std::uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) {
    bytes_.push_back(static_cast<std::uint8_t>(value >> shift));
  }
  return *this;
}

SEQ_BYTES_TYPE& SEQ_BYTES_TYPE::i32(std::int32_t value) {
  std::uint32_t pattern = 0;
  std::memcpy(&pattern, &value, sizeof(pattern));
  return u32(pattern);
}

SEQ_BYTES_TYPE& SEQ_BYTES_TYPE::f32(float value) {
  std::uint32_t pattern = 0;
  std::memcpy(&pattern, &value, sizeof(pattern));
  return u32(pattern);
}

SEQ_BYTES_TYPE& SEQ_BYTES_TYPE::text(const std::string& value) {
  i16(static_cast<std::int16_t>(value.size() + 1));
  bytes_.insert(bytes_.end(), value.begin(), value.end());
  bytes_.push_back(0);
  return *this;
}

SEQ_BYTES_TYPE& SEQ_BYTES_TYPE::raw(std::initializer_list<std::uint8_t> bytes) {
  bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
  return *this;
}

SEQ_BYTES_TYPE& SEQ_BYTES_TYPE::raw(const std::vector<std::uint8_t>& bytes) {
  bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
  return *this;
}

SEQ_BYTES_TYPE& SEQ_BYTES_TYPE::track_quaternion(const std::vector<SEQ_QUATERNION_KEY_TYPE>& keys) {
  i32(16).i32(static_cast<std::int32_t>(keys.size()));
  for (const SEQ_QUATERNION_KEY_TYPE& key : keys) {
    i32(key.frame_number);
    for (float component : key.components) {
      f32(component);
    }
  }
  return *this;
}

SEQ_BYTES_TYPE& SEQ_BYTES_TYPE::track_float(const std::vector<SEQ_FLOAT_KEY_TYPE>& keys) {
  i32(4).i32(static_cast<std::int32_t>(keys.size()));
  for (const SEQ_FLOAT_KEY_TYPE& key : keys) {
    i32(key.frame_number).f32(key.value);
  }
  return *this;
}

SEQ_BYTES_TYPE SEQ_BYTES_TYPE::prefix_get_f(std::size_t size) const {
  SEQ_BYTES_TYPE prefix;
  const std::size_t kept = size < bytes_.size() ? size : bytes_.size();
  prefix.bytes_.assign(bytes_.begin(), bytes_.begin() + static_cast<std::ptrdiff_t>(kept));
  return prefix;
}

bool SEQ_BYTES_TYPE::file_write_f(const std::string& path) const {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes_.data()), static_cast<std::streamsize>(bytes_.size()));
  return static_cast<bool>(out);
}

SEQ_BYTES_TYPE seq_header_get_f(std::uint16_t frame_count, std::int32_t joint_count,
                                const std::string& skeleton_name, const std::string& root_name,
                                bool complete) {
  SEQ_BYTES_TYPE bytes;
  bytes.u32(complete ? 0x7F7F7F7Au : 0u).u16(frame_count).i32(joint_count).text(skeleton_name).text(root_name);
  return bytes;
}

SEQ_BYTES_TYPE& seq_root_tracks_append(SEQ_BYTES_TYPE& bytes,
                                       const std::vector<SEQ_FLOAT_KEY_TYPE>& x,
                                       const std::vector<SEQ_FLOAT_KEY_TYPE>& y,
                                       const std::vector<SEQ_FLOAT_KEY_TYPE>& z,
                                       const std::vector<SEQ_QUATERNION_KEY_TYPE>& heading) {
  return bytes.i32(4).track_float(x).track_float(y).track_float(z).track_quaternion(heading);
}

std::vector<std::uint8_t> file_bytes_read_f(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string bytes_hex_get_f(const std::vector<std::uint8_t>& bytes) {
  std::string text;
  char cell[4];
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    std::snprintf(cell, sizeof(cell), i == 0 ? "%02X" : " %02X", bytes[i]);
    text += cell;
  }
  return text;
}
