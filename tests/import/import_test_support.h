// Shared by the Vestan tests: fixture files, identifiers, the import request
// through the loaded module, and the check that an import gave back
// everything it took.
#ifndef TESTS_IMPORT_IMPORT_TEST_SUPPORT_H
#define TESTS_IMPORT_IMPORT_TEST_SUPPORT_H

#include <string>
#include <vector>

#include "movara_api.h"
#include "movara_host.h"
#include "movara_journal.h"
#include "seq_bytes.h"

// Movara's "no animation".
void* animation_none_get_f();

// A path in the test's scratch folder (created on first use).
std::string scratch_path_get_f(const std::string& file_name);
// Writes the fixture into the scratch folder; answers its path.
std::string fixture_write_f(const std::string& file_name, const SEQ_BYTES_TYPE& bytes);
// An identifier for a path (asserts that it fits).
FM_FILE_IDENTIFIER_TYPE identifier_make_f(const std::string& path);

// Quaternion key with components w, x, y, z.
SEQ_QUATERNION_KEY_TYPE quaternion_key_get_f(std::int32_t frame_number, float w, float x, float y,
                                             float z);

// A representative stock-male file: three known joints (one with two keys),
// an unknown joint, and keys on every root track.
SEQ_BYTES_TYPE seq_stock_male_file_get_f();
// A representative file of a skeleton named "robot" with joints base, arm,
// hand, keys on some joints and on every root track.
SEQ_BYTES_TYPE seq_robot_file_get_f();

// Number of calls of a Movara function in the journal.
long journal_count_get_f(const std::string& function);

// Everything Movara lent for one request is back: no open file, no open
// status window, no live memory block, no misuse, no loose skeleton, and
// exactly `animations` live animations. `status_misuse_allowed`: the status
// window failed to open, so the import's later status calls found it closed.
void resources_released_expect(long animations, bool status_misuse_allowed = false);

#endif  // TESTS_IMPORT_IMPORT_TEST_SUPPORT_H
