#include "export_test_support.h"

#include <algorithm>
#include <filesystem>

namespace {

// A Movara text argument from a string: Movara takes `char*`.
std::vector<char> text_get_f(const std::string& text) {
  std::vector<char> buffer(text.begin(), text.end());
  buffer.push_back('\0');
  return buffer;
}

}  // namespace

void EXPORT_TEST::SetUp() {
  mvh_reset();
  const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string folder = std::string(test->test_suite_name()) + "." + test->name();
  std::replace(folder.begin(), folder.end(), '/', '_');
  scratch_directory = std::string(TEST_SCRATCH_DIRECTORY) + "/" + folder;
  std::filesystem::remove_all(scratch_directory);
  std::filesystem::create_directories(scratch_directory);
  std::string error;
  ASSERT_TRUE(mvh_plugin_load_f(ORLUNE_MODULE_PATH, &orlune_plugin, &error)) << error;
}

void EXPORT_TEST::TearDown() {
  mvh_plugin_unload(&orlune_plugin);
  mvh_reset();
}

std::string EXPORT_TEST::scratch_path_get_f(const std::string& file_name) const {
  return scratch_directory + "/" + file_name;
}

std::vector<std::string> EXPORT_TEST::scratch_file_names_get_f() const {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(scratch_directory)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

long EXPORT_TEST::orlune_request_f(long selector, void* argument_1, void* argument_2,
                                   void* argument_3) {
  return mvh_plugin_request_f(orlune_plugin, selector, argument_1, argument_2, argument_3);
}

long EXPORT_TEST::animation_export_f(void* animation, long start_frame, long end_frame,
                                     const std::string& path) {
  DT_DATA_HEADER_TYPE** list = mvh_filter_data_list_create_f();
  mvh_export_options_set(list, start_frame, end_frame);
  FM_FILE_IDENTIFIER_TYPE destination = {};
  EXPECT_TRUE(mvh_file_identifier_make_f(&destination, path));
  const long answer = orlune_request_f(MSG_EXPORT, list, animation, &destination);
  mvh_filter_data_list_dispose(list);
  return answer;
}

void* animation_create_f(float frame_rate) {
  void* animation = anm_animation_create_f();
  anm_animation_frame_rate_set(animation, frame_rate);
  return animation;
}

void* skeleton_build_f(const std::string& name, const std::vector<std::string>& joint_names,
                       const std::string& model_file_path, long creator) {
  std::vector<char> skeleton_name = text_get_f(name);
  void* skeleton = skl_skeleton_skel_create_f(skeleton_name.data());
  for (const std::string& joint_name : joint_names) {
    std::vector<char> text = text_get_f(joint_name);
    EXPECT_GE(skl_skeleton_joint_create_f(skeleton, text.data()), 0);
  }
  std::vector<char> nothing = text_get_f("");
  EXPECT_NE(skl_skeleton_skel_completed_f(skeleton, nothing.data()), 0);
  mvh_skeleton_model_set(skeleton, creator, model_file_path);
  return skeleton;
}

void* figure_add_f(void* animation, void* skeleton) {
  void* figure = anm_animation_figure_add_f(animation, skeleton, 0);
  EXPECT_NE(figure, nullptr);
  return figure;
}

quaternion quaternion_make_f(float w, float x, float y, float z) {
  quaternion q;
  q.w = w;
  q.x = x;
  q.y = y;
  q.z = z;
  return q;
}

quaternion heading_quaternion_get_f(float degrees) {
  coord3 angles = {0.0f, degrees, 0.0f};
  quaternion q = quaternion_make_f(1.0f, 0.0f, 0.0f, 0.0f);
  qt_angles_to_quat(&q, &angles, ANGLE_ORDER_YXZ);
  return q;
}

SEQ_QUATERNION_KEY_TYPE quaternion_key_get_f(std::int32_t frame_number, const quaternion& q) {
  return {frame_number, {q.w, q.x, q.y, q.z}};
}

void file_bytes_expect(const std::string& path, const SEQ_BYTES_TYPE& expected) {
  const std::vector<std::uint8_t> written = file_bytes_read_f(path);
  EXPECT_EQ(written, expected.bytes_get_f())
      << path << "\n written:  " << bytes_hex_get_f(written)
      << "\n expected: " << bytes_hex_get_f(expected.bytes_get_f());
}


void resources_released_expect() {
  EXPECT_EQ(mvh_open_file_count_get_f(), 0);
  EXPECT_FALSE(mvh_status_get_f().open);
  EXPECT_EQ(mvh_live_block_count_get_f(), 0);
  EXPECT_EQ(mvh_block_misuse_count_get_f(), 0);
}
