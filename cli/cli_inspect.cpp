#include "cli_inspect.h"

#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <limits>
#include <sstream>
#include <system_error>

#include "cli_platform.h"
#include "seq_format.h"

namespace {

// Largest file the walk reads into memory; far above any file the writer makes.
constexpr std::uintmax_t CLI_INSPECT_SIZE_LIMIT = std::uintmax_t{1} << 30;

std::string cli_bytes_hex_get_f(const std::uint8_t* bytes, std::size_t count) {
  std::string text;
  char cell[4];
  for (std::size_t index = 0; index < count; ++index) {
    std::snprintf(cell, sizeof(cell), "%02X", static_cast<unsigned>(bytes[index]));
    if (index != 0) {
      text += ' ';
    }
    text += cell;
  }
  return text;
}

// Reads fields front to back and records the first fault with its offset.
class CLI_SEQ_CURSOR_TYPE {
 public:
  CLI_SEQ_CURSOR_TYPE(const std::vector<std::uint8_t>& bytes, CLI_SEQ_WALK_TYPE* walk)
      : bytes_(bytes), walk_(walk) {}

  std::size_t offset_get_f() const { return offset_; }
  std::size_t left_get_f() const { return bytes_.size() - offset_; }
  const std::uint8_t* data_get_f() const { return bytes_.data() + offset_; }

  void fault_set(std::size_t offset, const std::string& text) {
    walk_->fault = "byte " + std::to_string(offset) + ": " + text;
  }

  // True when `count` more bytes are there; else records where the file ends.
  bool need_f(std::uint64_t count, const std::string& field) {
    if (count <= left_get_f()) {
      return true;
    }
    fault_set(offset_, "file ends inside " + field + " (needs " + std::to_string(count) +
                           " bytes, " + std::to_string(left_get_f()) + " left)");
    return false;
  }

  std::uint32_t u32_take_f() {
    std::uint32_t value = 0;
    for (int index = 0; index < 4; ++index) {
      value = (value << 8) | bytes_[offset_++];
    }
    return value;
  }
  std::uint16_t u16_take_f() {
    const std::uint16_t value =
        static_cast<std::uint16_t>((static_cast<unsigned>(bytes_[offset_]) << 8) | bytes_[offset_ + 1]);
    offset_ += 2;
    return value;
  }
  std::int32_t i32_take_f() {
    const std::uint32_t pattern = u32_take_f();
    std::int32_t value = 0;
    std::memcpy(&value, &pattern, sizeof(value));
    return value;
  }
  std::int16_t i16_take_f() {
    const std::uint16_t pattern = u16_take_f();
    std::int16_t value = 0;
    std::memcpy(&value, &pattern, sizeof(value));
    return value;
  }
  void skip(std::size_t count) { offset_ += count; }

  // A 32-bit field; false (fault recorded) when the file ends inside it.
  bool i32_read_f(const std::string& field, std::int32_t* value) {
    if (!need_f(4, field)) {
      return false;
    }
    *value = i32_take_f();
    return true;
  }

  // A length-prefixed string named `field` ("the skeleton name").
  bool string_read_f(const std::string& field, std::string* text) {
    const std::size_t count_offset = offset_;
    if (!need_f(2, "the string count of " + field)) {
      return false;
    }
    const std::int16_t count = i16_take_f();
    if (count <= 0) {
      fault_set(count_offset, "string count " + std::to_string(count) + " in " + field +
                                  " (a count includes the NUL, so it is at least 1)");
      return false;
    }
    if (count > SEQ_READER_NAME_CAPACITY) {
      fault_set(count_offset, "string count " + std::to_string(count) + " in " + field +
                                  " is above " + std::to_string(SEQ_READER_NAME_CAPACITY) +
                                  ", the longest name a reader takes");
      return false;
    }
    const std::size_t size = static_cast<std::size_t>(count);
    if (!need_f(size, field)) {
      return false;
    }
    const std::uint8_t* stored = data_get_f();
    if (stored[size - 1] != 0) {
      fault_set(offset_ + size - 1, field + " has no NUL as its last byte (" + std::to_string(count) +
                                        " bytes stored)");
      return false;
    }
    const void* nul = std::memchr(stored, 0, size);
    const std::size_t length = static_cast<std::size_t>(static_cast<const std::uint8_t*>(nul) - stored);
    text->assign(reinterpret_cast<const char*>(stored), length);
    if (length + 1 != size) {
      walk_->notes.push_back("byte " + std::to_string(offset_ + length) + ": " + field +
                             " has a NUL before its last byte; a reader stops there");
    }
    skip(size);
    return true;
  }

  // A key track with records of `record_size` bytes (from its place in the file).
  bool track_read_f(CLI_SEQ_TRACK_TYPE* track, std::int32_t record_size,
                    std::int32_t expected_value_size) {
    track->offset = offset_;
    if (!i32_read_f("the value size of " + track->label, &track->value_size)) {
      return false;
    }
    if (track->value_size != expected_value_size) {
      walk_->notes.push_back("byte " + std::to_string(track->offset) + ": value size " +
                             std::to_string(track->value_size) + " in " + track->label +
                             " (written as " + std::to_string(expected_value_size) +
                             "; a reader ignores it)");
    }
    const std::size_t count_offset = offset_;
    if (!i32_read_f("the key count of " + track->label, &track->key_count)) {
      return false;
    }
    if (track->key_count < 0) {
      fault_set(count_offset, "key count " + std::to_string(track->key_count) + " in " + track->label);
      return false;
    }
    const std::uint64_t size = static_cast<std::uint64_t>(track->key_count) *
                               static_cast<std::uint64_t>(record_size);
    if (size > static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max())) {
      fault_set(count_offset, "key count " + std::to_string(track->key_count) + " in " + track->label +
                                  " needs " + std::to_string(size) +
                                  " bytes of key records, more than a 32-bit size");
      return false;
    }
    if (!need_f(size, "the key records of " + track->label)) {
      return false;
    }
    bool problem_seen = false;
    bool order_noted = false;
    std::int32_t previous = 0;
    for (std::int32_t key = 0; key < track->key_count; ++key) {
      const std::size_t record_offset = offset_;
      const std::int32_t frame_number = i32_take_f();
      skip(static_cast<std::size_t>(record_size) - 4);
      if (key == 0) {
        track->first_frame_number = frame_number;
      }
      track->last_frame_number = frame_number;
      if (frame_number < 1 && !problem_seen) {
        walk_->problems.push_back("byte " + std::to_string(record_offset) + ": frame number " +
                                  std::to_string(frame_number) + " in key " + std::to_string(key) +
                                  " of " + track->label +
                                  " (frame numbers count from 1; the key would land before frame 0)");
        problem_seen = true;
      }
      if (key > 0 && frame_number < previous && !order_noted) {
        walk_->notes.push_back("byte " + std::to_string(record_offset) + ": frame number " +
                               std::to_string(frame_number) + " in key " + std::to_string(key) +
                               " of " + track->label + " comes after " + std::to_string(previous) +
                               " (a writer never lets them decrease)");
        order_noted = true;
      }
      previous = frame_number;
    }
    return true;
  }

 private:
  const std::vector<std::uint8_t>& bytes_;
  CLI_SEQ_WALK_TYPE* walk_;
  std::size_t offset_ = 0;
};

const char* const CLI_ROOT_TRACK_TITLES[SEQ_TRACK_COUNT] = {"translation x", "translation y",
                                                             "translation z", "heading"};
const char* const CLI_ROOT_TRACK_LABELS[SEQ_TRACK_COUNT] = {
    "the translation track of channel 1 (x)", "the translation track of channel 2 (y)",
    "the translation track of channel 3 (z)", "the heading track"};

}  // namespace

std::string cli_text_printable_get_f(const std::string& text) {
  std::string printable;
  char cell[8];
  for (const char character : text) {
    const unsigned char code = static_cast<unsigned char>(character);
    if (code >= 0x20 && code < 0x7F && code != '\\') {
      printable += character;
    } else if (code == '\\') {
      printable += "\\\\";
    } else {
      std::snprintf(cell, sizeof(cell), "\\x%02X", static_cast<unsigned>(code));
      printable += cell;
    }
  }
  return printable;
}

CLI_SEQ_WALK_TYPE cli_seq_walk_f(const std::vector<std::uint8_t>& bytes) {
  CLI_SEQ_WALK_TYPE walk;
  walk.file_size = bytes.size();
  CLI_SEQ_CURSOR_TYPE cursor(bytes, &walk);

  if (!cursor.need_f(SEQ_MAGIC_SIZE, "the magic")) {
    return walk;
  }
  const std::string magic_hex = cli_bytes_hex_get_f(cursor.data_get_f(), 4);
  walk.magic = cursor.u32_take_f();
  walk.magic_read = true;
  if (walk.magic == SEQ_MAGIC_PLACEHOLDER) {
    cursor.fault_set(0, "magic 00 00 00 00: the placeholder of a file whose writing did not finish");
    return walk;
  }
  if (!seq_magic_check_f(walk.magic)) {
    cursor.fault_set(0, "magic " + magic_hex + " is not a SEQ magic (7F 7F 7F 7A or 7F 7F 7F 79)");
    return walk;
  }

  if (!cursor.need_f(2, "the frame count")) {
    return walk;
  }
  walk.frame_count = cursor.u16_take_f();
  walk.frame_count_read = true;
  if (walk.frame_count == 0) {
    walk.problems.push_back("byte 4: frame count 0: the import refuses a file without frames");
  }

  const std::size_t joint_count_offset = cursor.offset_get_f();
  if (!cursor.i32_read_f("the joint count", &walk.joint_count)) {
    return walk;
  }
  walk.joint_count_read = true;
  if (walk.joint_count < 0) {
    walk.notes.push_back("byte " + std::to_string(joint_count_offset) + ": joint count " +
                         std::to_string(walk.joint_count) + ": a reader takes it as no joints");
  }

  if (!cursor.string_read_f("the skeleton name", &walk.skeleton_name)) {
    return walk;
  }
  walk.skeleton_name_read = true;
  if (!cursor.string_read_f("the root joint name", &walk.root_name)) {
    return walk;
  }
  walk.root_name_read = true;

  for (std::int32_t joint = 0; joint < walk.joint_count; ++joint) {
    CLI_SEQ_JOINT_SECTION_TYPE section;
    section.offset = cursor.offset_get_f();
    if (!cursor.string_read_f("the name of joint " + std::to_string(joint), &section.name)) {
      return walk;
    }
    const std::string joint_text =
        "joint " + std::to_string(joint) + " '" + cli_text_printable_get_f(section.name) + "'";
    section.track.title = joint_text;
    section.track.label = "the orientation track of " + joint_text;
    if (!cursor.track_read_f(&section.track, SEQ_QUATERNION_RECORD_SIZE, SEQ_QUATERNION_VALUE_SIZE)) {
      return walk;
    }
    walk.joints.push_back(section);
  }

  const std::size_t track_count_offset = cursor.offset_get_f();
  if (!cursor.i32_read_f("the track count", &walk.track_count)) {
    return walk;
  }
  walk.track_count_read = true;
  if (walk.track_count != SEQ_TRACK_COUNT) {
    walk.notes.push_back("byte " + std::to_string(track_count_offset) + ": track count " +
                         std::to_string(walk.track_count) + " (written as 4; a reader ignores it)");
  }

  for (int index = 0; index < SEQ_TRACK_COUNT; ++index) {
    CLI_SEQ_TRACK_TYPE track;
    track.title = CLI_ROOT_TRACK_TITLES[index];
    track.label = CLI_ROOT_TRACK_LABELS[index];
    const bool heading = index == SEQ_TRACK_COUNT - 1;
    if (!cursor.track_read_f(&track, heading ? SEQ_QUATERNION_RECORD_SIZE : SEQ_FLOAT_RECORD_SIZE,
                             heading ? SEQ_QUATERNION_VALUE_SIZE : SEQ_FLOAT_VALUE_SIZE)) {
      return walk;
    }
    walk.root_tracks.push_back(track);
  }

  if (cursor.left_get_f() != 0) {
    cursor.fault_set(cursor.offset_get_f(), std::to_string(cursor.left_get_f()) +
                                                " bytes after the heading track, which ends the file");
  }
  return walk;
}

bool cli_seq_file_walk_f(const std::string& path, CLI_SEQ_WALK_TYPE* walk, std::string* error) {
  if (!cli_input_file_check_f(path, error)) {
    return false;
  }
  std::error_code status_error;
  const std::uintmax_t size = std::filesystem::file_size(path, status_error);
  if (status_error) {
    *error = "cannot tell the file's size (" + status_error.message() + ")";
    return false;
  }
  if (size > CLI_INSPECT_SIZE_LIMIT) {
    *error = "file of " + std::to_string(size) + " bytes is too large to inspect";
    return false;
  }
  std::ifstream stream(path, std::ios::binary);
  if (!stream) {
    *error = "cannot be opened for reading";
    return false;
  }
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
  if (!bytes.empty()) {
    stream.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (stream.gcount() != static_cast<std::streamsize>(bytes.size())) {
      *error = "cannot be read";
      return false;
    }
  }
  *walk = cli_seq_walk_f(bytes);
  return true;
}

bool cli_seq_walk_sound_f(const CLI_SEQ_WALK_TYPE& walk) {
  return walk.fault.empty() && walk.problems.empty();
}

std::string cli_seq_walk_complaint_get_f(const CLI_SEQ_WALK_TYPE& walk) {
  if (!walk.fault.empty()) {
    return walk.fault;
  }
  if (!walk.problems.empty()) {
    return walk.problems.front();
  }
  return std::string();
}

namespace {

void cli_track_print(const CLI_SEQ_TRACK_TYPE& track, std::ostream& out) {
  out << "  " << std::left << std::setw(28) << track.title << std::right << " value size "
      << std::setw(2) << track.value_size << "  keys " << std::setw(5) << track.key_count;
  if (track.key_count > 0) {
    out << "  frame numbers " << track.first_frame_number << ".." << track.last_frame_number;
  }
  out << '\n';
}

}  // namespace

void cli_seq_walk_print(const std::string& path, const CLI_SEQ_WALK_TYPE& walk, std::ostream& out) {
  out << path << ": " << walk.file_size << " bytes\n";
  if (walk.magic_read) {
    char hex[16];
    std::snprintf(hex, sizeof(hex), "%08" PRIX32, walk.magic);
    out << "  magic          0x" << hex << '\n';
  }
  if (walk.frame_count_read) {
    out << "  frame count    " << walk.frame_count << " (at 30 frames per second)\n";
  }
  if (walk.joint_count_read) {
    out << "  joint count    " << walk.joint_count << '\n';
  }
  if (walk.skeleton_name_read) {
    out << "  skeleton       \"" << cli_text_printable_get_f(walk.skeleton_name) << "\"\n";
  }
  if (walk.root_name_read) {
    out << "  root joint     \"" << cli_text_printable_get_f(walk.root_name) << "\"\n";
  }
  long track_total = 0;
  long key_total = 0;
  for (const CLI_SEQ_JOINT_SECTION_TYPE& section : walk.joints) {
    cli_track_print(section.track, out);
    ++track_total;
    key_total += section.track.key_count;
  }
  if (walk.track_count_read) {
    out << "  track count    " << walk.track_count << '\n';
  }
  for (const CLI_SEQ_TRACK_TYPE& track : walk.root_tracks) {
    cli_track_print(track, out);
    ++track_total;
    key_total += track.key_count;
  }
  for (const std::string& note : walk.notes) {
    out << "  note: " << note << '\n';
  }
  for (const std::string& problem : walk.problems) {
    out << "  problem: " << problem << '\n';
  }
  if (!walk.fault.empty()) {
    out << "  malformed: " << walk.fault << '\n';
  } else {
    out << "  " << track_total << " key tracks, " << key_total << " keys: "
        << (walk.problems.empty() ? "well formed" : "well formed, but the import would refuse it")
        << '\n';
  }
}
