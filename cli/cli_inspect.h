// A structural walk of a SEQ file, without importing it: every field in file
// order, with the byte offset and the field at which a malformed file goes
// wrong. The walk reads the bytes itself and calls neither Movara nor a
// plug-in, so it also serves files that the import refuses.
#ifndef CLI_CLI_INSPECT_H
#define CLI_CLI_INSPECT_H

#include <cstddef>
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

struct CLI_SEQ_TRACK_TYPE {
  std::string title;            // "joint 3 'lShin'", "translation x", "heading"
  std::string label;            // "the orientation track of joint 3 'lShin'"
  std::size_t offset = 0;       // of the value size
  std::int32_t value_size = 0;
  std::int32_t key_count = 0;
  std::int32_t first_frame_number = 0;  // of the first and last key, when there are keys
  std::int32_t last_frame_number = 0;
};

struct CLI_SEQ_JOINT_SECTION_TYPE {
  std::string name;
  std::size_t offset = 0;  // of the name's string count
  CLI_SEQ_TRACK_TYPE track;
};

struct CLI_SEQ_WALK_TYPE {
  std::size_t file_size = 0;
  // Each field below is valid once the walk got past it.
  bool magic_read = false;
  std::uint32_t magic = 0;
  bool frame_count_read = false;
  std::uint16_t frame_count = 0;
  bool joint_count_read = false;
  std::int32_t joint_count = 0;
  bool skeleton_name_read = false;
  std::string skeleton_name;
  bool root_name_read = false;
  std::string root_name;
  std::vector<CLI_SEQ_JOINT_SECTION_TYPE> joints;  // complete sections, in file order
  bool track_count_read = false;
  std::int32_t track_count = 0;
  std::vector<CLI_SEQ_TRACK_TYPE> root_tracks;     // complete root tracks, in file order
  // The first structural fault, "byte N: ...", where the walk stopped; empty
  // when the file was walked to its end.
  std::string fault;
  // Findings in a file that is otherwise walkable that make the import refuse
  // or fail it (a frame count of 0, a frame number below 1).
  std::vector<std::string> problems;
  // Oddities that a reader ignores (unusual value size or track count).
  std::vector<std::string> notes;
};

// Walks the bytes of a SEQ file.
CLI_SEQ_WALK_TYPE cli_seq_walk_f(const std::vector<std::uint8_t>& bytes);
// Reads a file and walks it. False, with `error` saying why, when the file
// cannot be read.
bool cli_seq_file_walk_f(const std::string& path, CLI_SEQ_WALK_TYPE* walk, std::string* error);
// True when the walk found no fault and no problem.
bool cli_seq_walk_sound_f(const CLI_SEQ_WALK_TYPE& walk);
// The first fault or problem, "" for a sound file.
std::string cli_seq_walk_complaint_get_f(const CLI_SEQ_WALK_TYPE& walk);
// The report of `inspect`.
void cli_seq_walk_print(const std::string& path, const CLI_SEQ_WALK_TYPE& walk, std::ostream& out);
// Text with every byte outside printable ASCII shown as \xNN.
std::string cli_text_printable_get_f(const std::string& text);

#endif  // CLI_CLI_INSPECT_H
