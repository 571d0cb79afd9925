#include "seq_format.h"

#include <cstring>

void seq_field16_swap(void* field) {
  std::uint16_t value = 0;
  std::memcpy(&value, field, sizeof(value));
  value = seq_u16_swap_f(value);
  std::memcpy(field, &value, sizeof(value));
}

void seq_field32_swap(void* field) {
  std::uint32_t value = 0;
  std::memcpy(&value, field, sizeof(value));
  value = seq_u32_swap_f(value);
  std::memcpy(field, &value, sizeof(value));
}

void seq_f32_swap(float* value) { seq_field32_swap(value); }

std::int32_t seq_i32_get_f(const void* field) {
  std::int32_t value = 0;
  std::memcpy(&value, field, sizeof(value));
  return value;
}

void seq_i32_put(void* field, std::int32_t value) { std::memcpy(field, &value, sizeof(value)); }

void seq_f32_get(const void* field, float* value) { std::memcpy(value, field, sizeof(*value)); }

void seq_f32_put(void* field, const float* value) { std::memcpy(field, value, sizeof(*value)); }

std::uint16_t seq_u16_read_f(MOVARA_LONG_TYPE file) {
  unsigned char bytes[2] = {0, 0};
  (void)fm_file_read_f(file, reinterpret_cast<char*>(bytes), sizeof(bytes));
  return static_cast<std::uint16_t>((bytes[0] << 8) | bytes[1]);
}

std::int16_t seq_i16_read_f(MOVARA_LONG_TYPE file) {
  const std::uint16_t pattern = seq_u16_read_f(file);
  std::int16_t value = 0;
  std::memcpy(&value, &pattern, sizeof(value));
  return value;
}

std::uint32_t seq_u32_read_f(MOVARA_LONG_TYPE file) {
  unsigned char bytes[4] = {0, 0, 0, 0};
  (void)fm_file_read_f(file, reinterpret_cast<char*>(bytes), sizeof(bytes));
  return (static_cast<std::uint32_t>(bytes[0]) << 24) | (static_cast<std::uint32_t>(bytes[1]) << 16) |
         (static_cast<std::uint32_t>(bytes[2]) << 8) | static_cast<std::uint32_t>(bytes[3]);
}

std::int32_t seq_i32_read_f(MOVARA_LONG_TYPE file) {
  const std::uint32_t pattern = seq_u32_read_f(file);
  std::int32_t value = 0;
  std::memcpy(&value, &pattern, sizeof(value));
  return value;
}

void seq_u16_write(MOVARA_LONG_TYPE file, std::uint16_t value) {
  std::uint16_t field = seq_u16_swap_f(value);
  (void)fm_file_write_f(file, reinterpret_cast<char*>(&field), sizeof(field));
}

void seq_u32_write(MOVARA_LONG_TYPE file, std::uint32_t value) {
  std::uint32_t field = seq_u32_swap_f(value);
  (void)fm_file_write_f(file, reinterpret_cast<char*>(&field), sizeof(field));
}

void seq_i32_write(MOVARA_LONG_TYPE file, std::int32_t value) {
  std::uint32_t pattern = 0;
  std::memcpy(&pattern, &value, sizeof(pattern));
  seq_u32_write(file, pattern);
}

SEQ_STRING_RESULT_TYPE seq_string_read_f(MOVARA_LONG_TYPE file, char* buffer,
                                         MOVARA_LONG_TYPE capacity) {
  buffer[0] = '\0';
  const std::int16_t count = seq_i16_read_f(file);
  if (count <= 0 || count > capacity) {
    return SEQ_STRING_MALFORMED;
  }
  // The read may deliver fewer bytes (Movara then sets its error state); the
  // buffer is terminated either way because the last stored byte is checked
  // and, failing that, overwritten.
  (void)fm_file_read_f(file, buffer, count);
  if (buffer[count - 1] != '\0') {
    buffer[count - 1] = '\0';
    return SEQ_STRING_MALFORMED;
  }
  return SEQ_STRING_READ;
}

void seq_string_write(MOVARA_LONG_TYPE file, char* text) {
  const std::int16_t count = static_cast<std::int16_t>(st_str_length_get_f(text) + 1);
  std::uint16_t pattern = 0;
  std::memcpy(&pattern, &count, sizeof(pattern));
  seq_u16_write(file, pattern);
  (void)fm_file_write_f(file, text, count);
}
