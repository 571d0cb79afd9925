#include "import_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>

void* animation_none_get_f() { return reinterpret_cast<void*>(static_cast<std::intptr_t>(-1)); }

// Each test gets a folder of its own: ctest runs the cases of one program in
// parallel processes, which must not overwrite each other's fixtures.
std::string scratch_path_get_f(const std::string& file_name) {
  std::string folder = std::string(TEST_SCRATCH_DIRECTORY) + "/";
  if (const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info()) {
    std::string test_name = std::string(test->test_suite_name()) + "." + test->name();
    std::replace(test_name.begin(), test_name.end(), '/', '_');
    folder += test_name;
  }
  std::filesystem::create_directories(folder);
  return folder + "/" + file_name;
}

std::string fixture_write_f(const std::string& file_name, const SEQ_BYTES_TYPE& bytes) {
  const std::string path = scratch_path_get_f(file_name);
  EXPECT_TRUE(bytes.file_write_f(path)) << path;
  return path;
}

FM_FILE_IDENTIFIER_TYPE identifier_make_f(const std::string& path) {
  FM_FILE_IDENTIFIER_TYPE identifier{};
  EXPECT_TRUE(mvh_file_identifier_make_f(&identifier, path)) << path;
  return identifier;
}

SEQ_QUATERNION_KEY_TYPE quaternion_key_get_f(std::int32_t frame_number, float w, float x, float y,
                                             float z) {
  return SEQ_QUATERNION_KEY_TYPE{frame_number, {w, x, y, z}};
}

SEQ_BYTES_TYPE seq_stock_male_file_get_f() {
  SEQ_BYTES_TYPE bytes = seq_header_get_f(10, 4, "male", "hip");
  bytes.text("hip").track_quaternion({quaternion_key_get_f(1, 1, 0, 0, 0),
                                      quaternion_key_get_f(3, 0, 1, 0, 0)});
  bytes.text("tail").track_quaternion({quaternion_key_get_f(1, 1, 0, 0, 0)});
  bytes.text("abdomen").track_quaternion({});
  bytes.text("lShin").track_quaternion({quaternion_key_get_f(2, 0, 0, 1, 0)});
  return seq_root_tracks_append(bytes, {{1, 1.0f}, {4, 2.0f}}, {{1, 5.0f}}, {{2, -1.5f}},
                                {quaternion_key_get_f(1, 1, 0, 0, 0)});
}

SEQ_BYTES_TYPE seq_robot_file_get_f() {
  SEQ_BYTES_TYPE bytes = seq_header_get_f(10, 3, "robot", "base");
  bytes.text("base").track_quaternion({quaternion_key_get_f(1, 1, 0, 0, 0)});
  bytes.text("arm").track_quaternion({});
  bytes.text("hand").track_quaternion({quaternion_key_get_f(2, 0, 0, 0, 1),
                                       quaternion_key_get_f(5, 1, 0, 0, 0)});
  return seq_root_tracks_append(bytes, {{1, 0.5f}}, {{1, 2.0f}, {2, 3.0f}}, {{1, 4.0f}},
                                {quaternion_key_get_f(2, 1, 0, 0, 0)});
}

long journal_count_get_f(const std::string& function) {
  const std::vector<std::string>& journal = mvh_journal_get_f();
  return static_cast<long>(std::count(journal.begin(), journal.end(), function));
}


void resources_released_expect(long animations, bool status_misuse_allowed) {
  EXPECT_EQ(mvh_open_file_count_get_f(), 0) << "open files";
  EXPECT_FALSE(mvh_status_get_f().open) << "status window left open";
  if (!status_misuse_allowed) {
    EXPECT_EQ(mvh_status_get_f().misuse_count, 0) << "status window misuse";
  }
  EXPECT_EQ(mvh_live_block_count_get_f(), 0) << "live memory blocks";
  EXPECT_EQ(mvh_block_misuse_count_get_f(), 0) << "memory block misuse";
  EXPECT_EQ(mvh_skeleton_loose_count_get_f(), 0) << "loose skeletons";
  EXPECT_EQ(mvh_animation_count_get_f(), animations) << "live animations";
}
