// The SEQ files Orlune writes, byte for byte, for small scripted animations.
#include <cmath>
#include <filesystem>
#include <limits>

#include "export_test_support.h"

namespace {

class SEQ_WRITER_TEST : public EXPORT_TEST {};

TEST_F(SEQ_WRITER_TEST, built_skeleton_file_holds_every_field_in_order) {
  void* animation = animation_create_f(30.0f);
  void* figure = figure_add_f(animation, skeleton_build_f("robot", {"base", "arm"}));
  quaternion turn = quaternion_make_f(0.5f, 0.5f, -0.5f, 0.5f);
  quaternion tilt = quaternion_make_f(2.0f, 0.0f, 0.0f, 0.0f);  // not normalised: stored as is
  fgf_frame_joint_orientation_set(figure, 0, 0, &turn);
  fgf_frame_joint_orientation_set(figure, 5, 0, &tilt);
  mvh_figure_base_value_set(figure, CHANNEL_TRANSLATION_Y, 0.5f);
  fgf_frame_value_set_f(figure, 1, CHANNEL_TRANSLATION_X, 1.0f);
  fgf_frame_value_set_f(figure, 1, CHANNEL_TRANSLATION_Y, 2.5f);
  fgf_frame_value_set_f(figure, 5, CHANNEL_TRANSLATION_Z, -3.25f);
  fgf_frame_value_set_f(figure, 5, CHANNEL_HEADING, 90.0f);
  const std::string path = scratch_path_get_f("robot.seq");

  EXPECT_EQ(animation_export_f(animation, 0, 99, path), 0);

  SEQ_BYTES_TYPE expected = seq_header_get_f(100, 2, "robot", "base");
  expected.text("base").track_quaternion({quaternion_key_get_f(1, turn), quaternion_key_get_f(6, tilt)});
  expected.text("arm").track_quaternion({});  // a joint without keys: 8 bytes
  seq_root_tracks_append(expected, {{2, 1.0f}}, {{2, 2.0f}}, {{6, -3.25f}},
                         {quaternion_key_get_f(6, heading_quaternion_get_f(90.0f))});
  file_bytes_expect(path, expected);
  EXPECT_EQ(mvh_file_type_get_f(path), FILE_TYPE_CMPS);
  EXPECT_EQ(mvh_file_creator_get_f(path), FORMAT_ID_SEQ);
  resources_released_expect();
}

struct TIME_CASE_TYPE {
  const char* label;
  float frame_rate;
  MOVARA_LONG_TYPE start_frame;
  MOVARA_LONG_TYPE end_frame;
  std::vector<MOVARA_LONG_TYPE> key_frames;  // Movara frames with a key on the root's orientation track
  std::vector<std::int32_t> frame_numbers;
  std::uint16_t frame_count;
};

class SEQ_WRITER_TIME_TEST : public EXPORT_TEST,
                             public ::testing::WithParamInterface<TIME_CASE_TYPE> {};

TEST_P(SEQ_WRITER_TIME_TEST, frame_numbers_and_frame_count_follow_the_frame_rate) {
  const TIME_CASE_TYPE& time_case = GetParam();
  void* animation = animation_create_f(time_case.frame_rate);
  void* figure = figure_add_f(animation, skeleton_build_f("rig", {"root"}, "rig.cr2"));
  const quaternion q = quaternion_make_f(1.0f, 0.0f, 0.0f, 0.0f);
  for (MOVARA_LONG_TYPE frame : time_case.key_frames) {
    quaternion key = q;
    fgf_frame_joint_orientation_set(figure, frame, 0, &key);
  }
  const std::string path = scratch_path_get_f("time.seq");

  EXPECT_EQ(animation_export_f(animation, time_case.start_frame, time_case.end_frame, path), 0);

  std::vector<SEQ_QUATERNION_KEY_TYPE> keys;
  for (std::int32_t frame_number : time_case.frame_numbers) {
    keys.push_back(quaternion_key_get_f(frame_number, q));
  }
  SEQ_BYTES_TYPE expected = seq_header_get_f(time_case.frame_count, 1, "rig", "root");
  expected.text("root").track_quaternion(keys);
  seq_root_tracks_append(expected);
  file_bytes_expect(path, expected);
}

INSTANTIATE_TEST_SUITE_P(
    FRAME_RATES, SEQ_WRITER_TIME_TEST,
    ::testing::Values(
        TIME_CASE_TYPE{"at_30_frames_0_1_5_after_start_are_1_2_6", 30.0f, 10, 109, {10, 11, 15}, {1, 2, 6}, 100},
        TIME_CASE_TYPE{"at_30_a_range_of_123_frames_counts_123", 30.0f, 0, 122, {121, 122}, {122, 123}, 123},
        TIME_CASE_TYPE{"at_30_frames_245_to_247_after_start_are_246_to_248", 30.0f, 0, 299, {245, 246, 247}, {246, 247, 248}, 300},
        TIME_CASE_TYPE{"at_24_frame_196_after_start_is_246", 24.0f, 0, 199, {196}, {246}, 250},
        TIME_CASE_TYPE{"at_60_frame_246_after_start_is_124", 60.0f, 0, 299, {246}, {124}, 150},
        TIME_CASE_TYPE{"at_24_ten_frames_after_start_is_13", 24.0f, 20, 119, {20, 30}, {1, 13}, 125},
        TIME_CASE_TYPE{"at_60_two_frames_share_a_number_and_both_are_kept", 60.0f, 0, 99, {0, 1, 2, 3}, {1, 1, 2, 2}, 50},
        TIME_CASE_TYPE{"at_25_a_hundred_frames_count_120", 25.0f, 0, 99, {99}, {119}, 120},
        TIME_CASE_TYPE{"keys_outside_the_range_are_left_out", 30.0f, 5, 7, {4, 5, 7, 8}, {1, 3}, 3},
        TIME_CASE_TYPE{"one_frame_at_60_counts_1_not_0", 60.0f, 5, 5, {5}, {1}, 1},
        TIME_CASE_TYPE{"a_range_of_65535_file_frames_is_stored_as_it_is", 30.0f, 0, 65534, {65534}, {65535}, 65535},
        TIME_CASE_TYPE{"a_range_of_65536_file_frames_is_clamped_not_wrapped", 30.0f, 0, 65535, {65535}, {65536}, 65535},
        TIME_CASE_TYPE{"a_range_of_80000_file_frames_is_clamped", 15.0f, 0, 39999, {}, {}, 65535}),
    case_label_get_f<TIME_CASE_TYPE>);

struct SKELETON_NAME_CASE_TYPE {
  const char* label;
  std::string model_file_path;
  std::string stored_name;
};

class SEQ_WRITER_SKELETON_NAME_TEST : public EXPORT_TEST,
                                      public ::testing::WithParamInterface<SKELETON_NAME_CASE_TYPE> {};

TEST_P(SEQ_WRITER_SKELETON_NAME_TEST, skeleton_name_is_the_model_file_name_or_male) {
  void* animation = animation_create_f(30.0f);
  figure_add_f(animation, skeleton_build_f("rig", {"root"}, GetParam().model_file_path));
  const std::string path = scratch_path_get_f("name.seq");

  EXPECT_EQ(animation_export_f(animation, 0, 0, path), 0);

  SEQ_BYTES_TYPE expected = seq_header_get_f(1, 1, GetParam().stored_name, "root");
  expected.text("root").track_quaternion({});
  seq_root_tracks_append(expected);
  file_bytes_expect(path, expected);
}

INSTANTIATE_TEST_SUITE_P(
    MODEL_FILES, SEQ_WRITER_SKELETON_NAME_TEST,
    ::testing::Values(
        SKELETON_NAME_CASE_TYPE{"no_model_file_gives_male", "", "male"},
        SKELETON_NAME_CASE_TYPE{"model_file_name_without_extension", "/figures/walker.cr2", "walker"},
        SKELETON_NAME_CASE_TYPE{"only_the_last_extension_goes", "/figures/big.robot.cr2", "big.robot"},
        SKELETON_NAME_CASE_TYPE{"a_name_without_extension_stays", "/figures/plain", "plain"}),
    case_label_get_f<SKELETON_NAME_CASE_TYPE>);

struct JOINT_NAME_CASE_TYPE {
  const char* label;
  long creator;
  std::vector<std::string> stored_names;  // root first
};

class SEQ_WRITER_JOINT_NAME_TEST : public EXPORT_TEST,
                                   public ::testing::WithParamInterface<JOINT_NAME_CASE_TYPE> {};

TEST_P(SEQ_WRITER_JOINT_NAME_TEST, creator_male_stores_internal_names_others_ordinary_names) {
  void* animation = animation_create_f(30.0f);
  void* skeleton = skeleton_build_f("rig", {"Hip", "Left Shin"}, "rig.cr2", GetParam().creator);
  mvh_skeleton_internal_name_set(skeleton, 0, "hip");
  mvh_skeleton_internal_name_set(skeleton, 1, "lShin");
  figure_add_f(animation, skeleton);
  const std::string path = scratch_path_get_f("joints.seq");

  EXPECT_EQ(animation_export_f(animation, 0, 0, path), 0);

  const std::vector<std::string>& names = GetParam().stored_names;
  SEQ_BYTES_TYPE expected = seq_header_get_f(1, 2, "rig", names[0]);
  expected.text(names[0]).track_quaternion({}).text(names[1]).track_quaternion({});
  seq_root_tracks_append(expected);
  file_bytes_expect(path, expected);
}

INSTANTIATE_TEST_SUITE_P(
    CREATORS, SEQ_WRITER_JOINT_NAME_TEST,
    ::testing::Values(JOINT_NAME_CASE_TYPE{"creator_male", MODEL_CREATOR_MALE, {"hip", "lShin"}},
                      JOINT_NAME_CASE_TYPE{"creator_0", 0, {"Hip", "Left Shin"}},
                      JOINT_NAME_CASE_TYPE{"creator_male_in_lower_case", fourcc_f("male"), {"Hip", "Left Shin"}}),
    case_label_get_f<JOINT_NAME_CASE_TYPE>);

TEST_F(SEQ_WRITER_TEST, stock_male_stores_internal_names_and_height_above_the_hip_rest_height) {
  void* animation = animation_create_f(30.0f);
  void* figure = figure_add_f(animation, nullptr);
  fgf_frame_value_set_f(figure, 0, CHANNEL_TRANSLATION_Y, 100.0f);
  fgf_frame_value_set_f(figure, 0, CHANNEL_TRANSLATION_X, 100.0f);
  fgf_frame_value_set_f(figure, 0, CHANNEL_TRANSLATION_Z, 100.0f);
  void* skeleton = fig_figure_get_skel(figure);
  DT_DATA_DIRECTORY_TYPE** directory = static_cast<DT_DATA_DIRECTORY_TYPE**>(skeleton);
  const short joint_count = skl_skeleton_joint_count_get_f(skeleton);
  const std::string path = scratch_path_get_f("male.seq");

  EXPECT_EQ(animation_export_f(animation, 0, 9, path), 0);

  char name[256] = "";
  skj_joint_internal_name_get_e(directory, skl_skeleton_root_id_get_f(skeleton), name);
  EXPECT_STREQ(name, "hip");
  SEQ_BYTES_TYPE expected = seq_header_get_f(10, joint_count, "male", name);
  for (short joint = 0; joint < joint_count; ++joint) {
    skj_joint_internal_name_get_e(directory, joint, name);
    expected.text(name).track_quaternion({});
  }
  ASSERT_EQ(MVH_STOCK_MALE_HIP_HEIGHT, 95.0f);
  seq_root_tracks_append(expected, {{1, 100.0f}}, {{1, 5.0f}}, {{1, 100.0f}});
  file_bytes_expect(path, expected);
}

struct REFERENCE_CASE_TYPE {
  const char* label;
  bool human;
  float root_offset_y;
  float base_value;  // channel 2 at frame -1
  float stored_value;
};

class SEQ_WRITER_REFERENCE_TEST : public EXPORT_TEST,
                                  public ::testing::WithParamInterface<REFERENCE_CASE_TYPE> {};

TEST_P(SEQ_WRITER_REFERENCE_TEST, channel_2_is_stored_above_its_reference_height) {
  const REFERENCE_CASE_TYPE& reference_case = GetParam();
  void* animation = animation_create_f(30.0f);
  void* skeleton = skeleton_build_f("rig", {"root"}, "rig.cr2");
  mvh_skeleton_human_set(skeleton, reference_case.human);
  mvh_skeleton_joint_offset_set(skeleton, 0, {0.0f, reference_case.root_offset_y, 0.0f});
  void* figure = figure_add_f(animation, skeleton);
  mvh_figure_base_value_set(figure, CHANNEL_TRANSLATION_Y, reference_case.base_value);
  mvh_figure_base_value_set(figure, CHANNEL_TRANSLATION_X, 11.0f);  // never subtracted
  fgf_frame_value_set_f(figure, 2, CHANNEL_TRANSLATION_Y, 50.0f);
  fgf_frame_value_set_f(figure, 3, CHANNEL_TRANSLATION_X, 50.0f);
  const std::string path = scratch_path_get_f("height.seq");

  EXPECT_EQ(animation_export_f(animation, 0, 3, path), 0);

  SEQ_BYTES_TYPE expected = seq_header_get_f(4, 1, "rig", "root");
  expected.text("root").track_quaternion({});
  seq_root_tracks_append(expected, {{4, 50.0f}}, {{3, reference_case.stored_value}});
  file_bytes_expect(path, expected);
}

INSTANTIATE_TEST_SUITE_P(
    SKELETONS, SEQ_WRITER_REFERENCE_TEST,
    ::testing::Values(REFERENCE_CASE_TYPE{"human_subtracts_the_root_offset", true, 40.0f, 7.0f, 10.0f},
                      REFERENCE_CASE_TYPE{"other_subtracts_the_base_value", false, 40.0f, 7.0f, 43.0f},
                      REFERENCE_CASE_TYPE{"other_with_a_negative_base_value", false, 0.0f, -2.5f, 52.5f}),
    case_label_get_f<REFERENCE_CASE_TYPE>);

TEST_F(SEQ_WRITER_TEST, heading_keys_are_the_quaternions_of_angles_0_h_0_with_order_12) {
  void* animation = animation_create_f(30.0f);
  void* figure = figure_add_f(animation, skeleton_build_f("rig", {"root"}, "rig.cr2"));
  const float headings[] = {0.0f, 90.0f, -45.0f, 180.0f};
  for (MOVARA_LONG_TYPE frame = 0; frame < 4; ++frame) {
    fgf_frame_value_set_f(figure, frame, CHANNEL_HEADING, headings[frame]);
  }
  const std::string path = scratch_path_get_f("heading.seq");

  EXPECT_EQ(animation_export_f(animation, 0, 3, path), 0);

  std::vector<SEQ_QUATERNION_KEY_TYPE> keys;
  for (std::int32_t frame = 0; frame < 4; ++frame) {
    keys.push_back(quaternion_key_get_f(frame + 1, heading_quaternion_get_f(headings[frame])));
  }
  SEQ_BYTES_TYPE expected = seq_header_get_f(4, 1, "rig", "root");
  expected.text("root").track_quaternion({});
  seq_root_tracks_append(expected, {}, {}, {}, keys);
  file_bytes_expect(path, expected);
  // A heading of 90 degrees about the vertical axis: w = y = sqrt(1/2).
  EXPECT_NEAR(keys[1].components[0], std::sqrt(0.5f), 1e-6);
  EXPECT_NEAR(keys[1].components[2], std::sqrt(0.5f), 1e-6);
}

TEST_F(SEQ_WRITER_TEST, only_joint_0_advances_the_progress_one_step_per_frame) {
  void* animation = animation_create_f(30.0f);
  for (int figure = 0; figure < 2; ++figure) {
    void* added = figure_add_f(animation, skeleton_build_f("rig", {"root", "a", "b"}, "rig.cr2"));
    quaternion q = quaternion_make_f(1.0f, 0.0f, 0.0f, 0.0f);
    fgf_frame_joint_orientation_set(added, 12, 1, &q);  // keys do not change the steps
  }
  EXPECT_EQ(animation_export_f(animation, 10, 59, scratch_path_get_f("steps.seq")), 0);

  const MVH_STATUS_TYPE& status = mvh_status_get_f();
  EXPECT_EQ(status.range_low, 0);
  EXPECT_EQ(status.range_high, 100);  // 50 frames x 2 figures: the window ends full
  EXPECT_EQ(status.progress, 100);
  EXPECT_EQ(status.increment_count, 100);
}

TEST_F(SEQ_WRITER_TEST, a_one_frame_range_makes_one_step_per_figure) {
  void* animation = animation_create_f(30.0f);
  for (int figure = 0; figure < 3; ++figure) {
    figure_add_f(animation, skeleton_build_f("rig", {"root"}, "rig.cr2"));
  }
  EXPECT_EQ(animation_export_f(animation, 7, 7, scratch_path_get_f("steps.seq")), 0);

  EXPECT_EQ(mvh_status_get_f().range_high, 3);
  EXPECT_EQ(mvh_status_get_f().progress, 3);
}

TEST_F(SEQ_WRITER_TEST, file_is_created_anew_over_an_existing_one) {
  const std::string path = scratch_path_get_f("again.seq");
  SEQ_BYTES_TYPE old_content;
  for (int i = 0; i < 100; ++i) {
    old_content.u32(0xDEADBEEFu);
  }
  ASSERT_TRUE(old_content.file_write_f(path));
  void* animation = animation_create_f(30.0f);
  figure_add_f(animation, skeleton_build_f("rig", {"root"}, "rig.cr2"));

  EXPECT_EQ(animation_export_f(animation, 0, 0, path), 0);

  SEQ_BYTES_TYPE expected = seq_header_get_f(1, 1, "rig", "root");
  expected.text("root").track_quaternion({});
  seq_root_tracks_append(expected);
  file_bytes_expect(path, expected);
}

TEST_F(SEQ_WRITER_TEST, each_track_takes_one_key_buffer_and_writes_its_records_at_once) {
  void* animation = animation_create_f(30.0f);
  void* figure = figure_add_f(animation, skeleton_build_f("rig", {"root", "a", "b"}, "rig.cr2"));
  quaternion q = quaternion_make_f(1.0f, 0.0f, 0.0f, 0.0f);
  for (MOVARA_LONG_TYPE frame = 0; frame < 20; frame += 2) {
    fgf_frame_joint_orientation_set(figure, frame, 1, &q);
    fgf_frame_value_set_f(figure, frame, CHANNEL_TRANSLATION_Z, 1.0f);
  }
  mvh_journal_clear();

  EXPECT_EQ(animation_export_f(animation, 0, 19, scratch_path_get_f("calls.seq")), 0);

  auto count = [](const char* function) {
    return journal_filtered_get_f({function}).size();
  };
  // 3 joint tracks and 4 root tracks, each over 20 frames.
  EXPECT_EQ(count("mm_pointer_create"), 7u);
  EXPECT_EQ(count("mm_pointer_dispose"), 7u);
  EXPECT_EQ(count("fgf_frame_joint_orientation_key_f"), 3u * 20u);
  EXPECT_EQ(count("fgf_frame_value_key_f"), 4u * 20u);
  EXPECT_EQ(count("fgf_frame_joint_orientation_get"), 10u);
  // Placeholder, frame count, joint count, two names of 2 writes, 3 joint
  // names of 2 writes, 7 tracks of 3 writes each (the records write of the 5
  // tracks without keys is one of 0 bytes), the track count and the magic.
  EXPECT_EQ(count("fm_file_write_f"), 3u + 4u + 6u + 7u * 3u + 1u + 1u);
}

TEST_F(SEQ_WRITER_TEST, error_raised_within_joint_0_track_stops_it_at_the_next_frame) {
  void* animation = animation_create_f(30.0f);
  void* figure = figure_add_f(animation, skeleton_build_f("rig", {"root", "arm"}, "rig.cr2"));
  quaternion q = quaternion_make_f(1.0f, 0.0f, 0.0f, 0.0f);
  fgf_frame_joint_orientation_set(figure, 0, 0, &q);
  // Movara raises an error while the progress is shown after the third step.
  mvh_status_listener_set(
      [](const MVH_STATUS_TYPE& status, void*) {
        if (status.progress == 3 && mvh_error_message_get_f().empty()) {
          mvh_error_set("the user stopped the export");
        }
      },
      nullptr);
  const std::string path = scratch_path_get_f("stopped.seq");

  EXPECT_NE(animation_export_f(animation, 0, 9, path), 0);
  mvh_status_listener_set(nullptr, nullptr);

  EXPECT_EQ(mvh_status_get_f().progress, 3);
  SEQ_BYTES_TYPE expected = seq_header_get_f(10, 2, "rig", "root", false);
  expected.text("root").text("arm").i32(4);
  file_bytes_expect(path, expected);
  resources_released_expect();
}

// ---------------------------------------------------------------------------
// Failures while writing: the file never carries the magic without all of
// its tracks.

TEST_F(SEQ_WRITER_TEST, error_in_joint_0_track_leaves_the_tracks_and_the_magic_out) {
  void* animation = animation_create_f(30.0f);
  void* figure = figure_add_f(animation, skeleton_build_f("rig", {"root", "arm"}, "rig.cr2"));
  fgf_frame_value_set_f(figure, 0, CHANNEL_TRANSLATION_X, 1.0f);
  const std::string path = scratch_path_get_f("cut.seq");
  mvh_fault_call_fail("mm_pointer_create", 1);  // joint 0's key buffer

  EXPECT_NE(animation_export_f(animation, 0, 4, path), 0);

  // Names and the track count are still written; no track and no magic.
  SEQ_BYTES_TYPE expected = seq_header_get_f(5, 2, "rig", "root", false);
  expected.text("root").text("arm").i32(4);
  file_bytes_expect(path, expected);
  resources_released_expect();
}

TEST_F(SEQ_WRITER_TEST, error_in_a_later_track_stops_that_track_and_every_track_after_it) {
  void* animation = animation_create_f(30.0f);
  void* figure = figure_add_f(animation, skeleton_build_f("rig", {"root", "arm"}, "rig.cr2"));
  quaternion q = quaternion_make_f(1.0f, 0.0f, 0.0f, 0.0f);
  fgf_frame_joint_orientation_set(figure, 1, 0, &q);
  const std::string path = scratch_path_get_f("cut.seq");
  mvh_fault_call_fail("mm_pointer_create", 3);  // channel 1's key buffer

  EXPECT_NE(animation_export_f(animation, 0, 4, path), 0);

  SEQ_BYTES_TYPE expected = seq_header_get_f(5, 2, "rig", "root", false);
  expected.text("root").track_quaternion({quaternion_key_get_f(2, q)});
  expected.text("arm").track_quaternion({}).i32(4);
  file_bytes_expect(path, expected);
  resources_released_expect();
}

TEST_F(SEQ_WRITER_TEST, key_buffer_missing_without_an_error_still_leaves_the_magic_out) {
  void* animation = animation_create_f(30.0f);
  void* figure = figure_add_f(animation, skeleton_build_f("rig", {"root", "arm"}, "rig.cr2"));
  fgf_frame_value_set_f(figure, 0, CHANNEL_TRANSLATION_Z, 4.0f);
  const std::string path = scratch_path_get_f("gap.seq");
  mvh_fault_call_fail("mm_pointer_create", 2, MVH_FAULT_SILENT);  // joint 1, no error

  EXPECT_EQ(animation_export_f(animation, 0, 4, path), 0);

  SEQ_BYTES_TYPE expected = seq_header_get_f(5, 2, "rig", "root", false);
  expected.text("root").track_quaternion({}).text("arm");
  seq_root_tracks_append(expected, {}, {}, {{1, 4.0f}});
  file_bytes_expect(path, expected);
  resources_released_expect();
}

TEST_F(SEQ_WRITER_TEST, magic_is_not_written_when_the_position_cannot_be_set_back) {
  void* animation = animation_create_f(30.0f);
  figure_add_f(animation, skeleton_build_f("rig", {"root"}, "rig.cr2"));
  const std::string path = scratch_path_get_f("unmarked.seq");
  mvh_fault_call_fail("fm_file_position_set_e", 1);

  EXPECT_NE(animation_export_f(animation, 0, 0, path), 0);

  SEQ_BYTES_TYPE expected = seq_header_get_f(1, 1, "rig", "root", false);
  expected.text("root").track_quaternion({});
  seq_root_tracks_append(expected);
  file_bytes_expect(path, expected);  // nothing appended at the end either
  resources_released_expect();
}

TEST_F(SEQ_WRITER_TEST, file_is_closed_when_setting_its_type_failed) {
  void* animation = animation_create_f(30.0f);
  figure_add_f(animation, skeleton_build_f("rig", {"root"}, "rig.cr2"));
  mvh_fault_call_fail("fm_file_type_and_creator_set_e", 1);

  EXPECT_NE(animation_export_f(animation, 0, 0, scratch_path_get_f("typed.seq")), 0);

  EXPECT_TRUE(file_bytes_read_f(scratch_path_get_f("typed.seq")).empty());
  resources_released_expect();
}

// ---------------------------------------------------------------------------
// Ranges and rates no file can be written for: nothing is created.

struct DEGENERATE_CASE_TYPE {
  const char* label;
  float frame_rate;
  long start_frame;
  long end_frame;
};

class SEQ_WRITER_DEGENERATE_TEST : public EXPORT_TEST,
                                   public ::testing::WithParamInterface<DEGENERATE_CASE_TYPE> {};

TEST_P(SEQ_WRITER_DEGENERATE_TEST, nothing_is_written_and_no_error_is_raised) {
  const DEGENERATE_CASE_TYPE& degenerate = GetParam();
  void* animation = animation_create_f(degenerate.frame_rate);
  figure_add_f(animation, skeleton_build_f("rig", {"root"}, "rig.cr2"));
  figure_add_f(animation, skeleton_build_f("rig", {"root"}, "rig.cr2"));
  mvh_journal_clear();

  EXPECT_EQ(animation_export_f(animation, degenerate.start_frame, degenerate.end_frame,
                               scratch_path_get_f("odd.seq")),
            0);

  EXPECT_TRUE(scratch_file_names_get_f().empty());
  EXPECT_TRUE(journal_filtered_get_f({"fm_file_create_e", "mm_pointer_create"}).empty());
  EXPECT_EQ(mvh_error_message_get_f(), "");
  EXPECT_GE(mvh_status_get_f().range_high, 0);
  resources_released_expect();
}

constexpr long LONG_LOWEST = std::numeric_limits<std::int32_t>::min();
constexpr long LONG_HIGHEST = std::numeric_limits<std::int32_t>::max();

INSTANTIATE_TEST_SUITE_P(
    INPUTS, SEQ_WRITER_DEGENERATE_TEST,
    ::testing::Values(
        DEGENERATE_CASE_TYPE{"frame_rate_0", 0.0f, 0, 9},
        DEGENERATE_CASE_TYPE{"negative_frame_rate", -30.0f, 0, 9},
        DEGENERATE_CASE_TYPE{"frame_rate_nan", std::numeric_limits<float>::quiet_NaN(), 0, 9},
        DEGENERATE_CASE_TYPE{"frame_rate_infinite", std::numeric_limits<float>::infinity(), 0, 9},
        DEGENERATE_CASE_TYPE{"end_before_start", 30.0f, 10, 9},
        DEGENERATE_CASE_TYPE{"end_far_before_start", 30.0f, LONG_HIGHEST, LONG_LOWEST},
        DEGENERATE_CASE_TYPE{"frame_count_beyond_32_bits", 30.0f, LONG_LOWEST, LONG_HIGHEST},
        DEGENERATE_CASE_TYPE{"key_buffer_beyond_32_bits", 30.0f, 0, LONG_HIGHEST / 20},
        DEGENERATE_CASE_TYPE{"frame_number_beyond_32_bits", 1e-30f, 0, 1}),
    case_label_get_f<DEGENERATE_CASE_TYPE>);

TEST_F(SEQ_WRITER_TEST, slow_frame_rates_spread_the_frame_numbers) {
  // 0.5 frames per second: frame f is stored as f * 60 + 1.
  void* animation = animation_create_f(0.5f);
  void* figure = figure_add_f(animation, skeleton_build_f("rig", {"root"}, "rig.cr2"));
  fgf_frame_value_set_f(figure, 3, CHANNEL_TRANSLATION_X, 2.0f);
  const std::string path = scratch_path_get_f("slow.seq");

  EXPECT_EQ(animation_export_f(animation, 0, 3, path), 0);

  SEQ_BYTES_TYPE expected = seq_header_get_f(240, 1, "rig", "root");
  expected.text("root").track_quaternion({});
  seq_root_tracks_append(expected, {{181, 2.0f}});
  file_bytes_expect(path, expected);
}

}  // namespace
