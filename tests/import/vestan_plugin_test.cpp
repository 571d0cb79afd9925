// Vestan seen from Movara's side: requests through the exported `main` of
// the loaded module, against the stand-in Movara.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "import_test_support.h"
#include "movara_host.h"

namespace {

class VESTAN_TEST : public ::testing::Test {
 protected:
  void SetUp() override {
    mvh_reset();
    std::string error;
    ASSERT_TRUE(mvh_plugin_load_f(VESTAN_MODULE_PATH, &plugin, &error)) << error;
  }
  void TearDown() override {
    // Movara says goodbye before it unloads a plug-in; the library object
    // goes with it.
    EXPECT_EQ(request_f(MSG_LIBD), 0);
    mvh_plugin_unload(&plugin);
    mvh_reset();
  }

  long request_f(long selector, void* argument_1 = nullptr, void* argument_2 = nullptr,
                 void* argument_3 = nullptr, void* argument_4 = nullptr) {
    return mvh_plugin_request_f(plugin, selector, argument_1, argument_2, argument_3, argument_4);
  }

  // 'IMPA' for the file at `path`; the animation lands in `animation`.
  long import_f(const std::string& path, void** animation) {
    FM_FILE_IDENTIFIER_TYPE identifier = identifier_make_f(path);
    return request_f(MSG_IMPA, nullptr, &identifier, animation);
  }
  // Writes the bytes as a fixture and imports them.
  long import_bytes_f(const SEQ_BYTES_TYPE& bytes, void** animation,
                      const std::string& file_name = "fixture.seq") {
    return import_f(fixture_write_f(file_name, bytes), animation);
  }

  // The one figure of an imported animation.
  static void* figure_get_f(void* animation) {
    EXPECT_EQ(anm_animation_figure_count_get_f(animation), 1);
    return anm_animation_figure_get_by_index_f(animation, 0);
  }

  MVH_PLUGIN_TYPE plugin;
};

int marker_storage = 0;
// A value no import stores: shows that argument 3 was left alone.
void* marker_get_f() { return &marker_storage; }

// ---------------------------------------------------------------------------
// Requests other than the import.

TEST_F(VESTAN_TEST, libd_as_first_request_is_answered_0_and_the_next_request_makes_a_new_object) {
  EXPECT_EQ(request_f(MSG_LIBD), 0);
  EXPECT_EQ(request_f(MSG_LIBD), 0);
  FM_FILE_IDENTIFIER_TYPE identifier = identifier_make_f("walk.seq");
  EXPECT_EQ(request_f(MSG_FREG, &identifier), 0);
  MOVARA_LONG_TYPE result = 77;
  EXPECT_EQ(request_f(MSG_FORMAT_CHECK, &identifier, &result), 0);
  EXPECT_EQ(result, FORMAT_ID_SEQ);
  EXPECT_EQ(request_f(MSG_LIBD), 0);
  EXPECT_EQ(request_f(MSG_REQUEST_1), 1);
}

TEST_F(VESTAN_TEST, requests_are_answered_by_their_level_or_not_handled) {
  int scratch = 0;
  struct CASE_TYPE {
    long selector;
    void* argument;
    long answer;
  };
  const CASE_TYPE cases[] = {
      {MSG_REQUEST_1, nullptr, 1}, {MSG_REQUEST_1, &scratch, 1}, {MSG_REQUEST_2, nullptr, 1},
      {MSG_REQUEST_2, &scratch, 1}, {MSG_REQUEST_4, nullptr, 1}, {MSG_REQUEST_4, &scratch, 1},
      {3, nullptr, 5}, {MSG_REQUEST_5, nullptr, 5}, {MSG_EXPORT, &scratch, 5}, {0, nullptr, 5},
      {-1, nullptr, 5}, {7, nullptr, 5}, {fourcc_f("SQO1"), nullptr, 5},
      {MSG_LIBR, &scratch, 0}, {MSG_LIBS, nullptr, 0},
  };
  for (const CASE_TYPE& request : cases) {
    SCOPED_TRACE(request.selector);
    EXPECT_EQ(request_f(request.selector, request.argument, request.argument, request.argument,
                        request.argument),
              request.answer);
  }
  EXPECT_TRUE(mvh_journal_get_f().empty()) << "no Movara call for these requests";
}

TEST_F(VESTAN_TEST, format_check_reports_seq_only_for_files_movara_classes_as_seq) {
  FM_FILE_IDENTIFIER_TYPE plugin_identifier = identifier_make_f("Vestan.x86.so");
  ASSERT_EQ(request_f(MSG_FREG, &plugin_identifier), 0);
  struct CASE_TYPE {
    const char* path;
    MOVARA_LONG_TYPE result;
  };
  for (const CASE_TYPE& check : {CASE_TYPE{"walk.seq", FORMAT_ID_SEQ},
                                 CASE_TYPE{"WALK.SEQ", FORMAT_ID_SEQ}, CASE_TYPE{"walk.bvh", 0},
                                 CASE_TYPE{"walk", 0}}) {
    SCOPED_TRACE(check.path);
    FM_FILE_IDENTIFIER_TYPE identifier = identifier_make_f(check.path);
    MOVARA_LONG_TYPE result = 77;
    EXPECT_EQ(request_f(MSG_FORMAT_CHECK, &identifier, &result), 0);
    EXPECT_EQ(result, check.result);
  }
  // Nowhere to put the result: nothing is written, the answer stays 0.
  FM_FILE_IDENTIFIER_TYPE identifier = identifier_make_f("walk.seq");
  EXPECT_EQ(request_f(MSG_FORMAT_CHECK, &identifier, nullptr), 0);
}

TEST_F(VESTAN_TEST, freg_registers_kind_4_under_the_name_without_two_extensions) {
  FM_FILE_IDENTIFIER_TYPE identifier = identifier_make_f("plugins/Vestan.x86.so");
  mvh_journal_clear();
  EXPECT_EQ(request_f(MSG_FREG, &identifier), 0);
  EXPECT_EQ(mvh_journal_get_f(),
            (std::vector<std::string>{"fmi_file_identifier_name_get_f",
                                      "fme_file_extension_remove", "fme_file_extension_remove",
                                      "flt_filter_format_register_external_e",
                                      "ffr_file_format_add_f", "st_str_copy_f",
                                      "ffr_file_format_extension_set_f"}));
  const std::vector<MVH_FILTER_REGISTRATION_TYPE>& registrations = mvh_filter_registrations_get_f();
  ASSERT_EQ(registrations.size(), 1u);
  EXPECT_EQ(registrations[0].kind, 4);
  EXPECT_EQ(registrations[0].format, FORMAT_ID_SEQ);
  EXPECT_EQ(registrations[0].name, "Vestan");
  EXPECT_EQ(registrations[0].identifier_name, "Vestan.x86.so");
  EXPECT_EQ(registrations[0].bitmap, 0);
  EXPECT_EQ(registrations[0].parameter, 0);
  bool format_found = false;
  for (const MVH_FORMAT_TYPE& format : mvh_formats_get_f()) {
    if (format.format == FORMAT_ID_SEQ) {
      format_found = true;
      EXPECT_EQ(format.name, "Vestan");
      EXPECT_EQ(format.extension, "seq");
    }
  }
  EXPECT_TRUE(format_found);
}

// ---------------------------------------------------------------------------
// The import: magic, opening, answers.

TEST_F(VESTAN_TEST, both_magics_import_alike_and_others_are_not_seq) {
  struct CASE_TYPE {
    std::uint32_t magic;
    long answer;
  };
  for (const CASE_TYPE& check : {CASE_TYPE{0x7F7F7F7Au, 0}, CASE_TYPE{0x7F7F7F79u, 0},
                                 CASE_TYPE{0x7A7F7F7Fu, 2}, CASE_TYPE{0x00000000u, 2},
                                 CASE_TYPE{0x7F7F7F7Bu, 2}}) {
    SCOPED_TRACE(check.magic);
    mvh_reset();
    SEQ_BYTES_TYPE bytes;
    bytes.u32(check.magic);
    const SEQ_BYTES_TYPE whole = seq_stock_male_file_get_f();
    const std::vector<std::uint8_t>& rest = whole.bytes_get_f();
    bytes.raw(std::vector<std::uint8_t>(rest.begin() + 4, rest.end()));
    void* animation = marker_get_f();
    EXPECT_EQ(import_bytes_f(bytes, &animation), check.answer);
    EXPECT_EQ(mvh_error_message_get_f(), "");
    if (check.answer == 0) {
      EXPECT_TRUE(mvh_animation_live_f(animation));
      void* figure = figure_get_f(animation);
      EXPECT_EQ(mvh_figure_orientation_keys_get_f(figure, 0).size(), 2u);
      EXPECT_EQ(mvh_status_get_f().open_count, 1);
      resources_released_expect(1);
    } else {
      EXPECT_EQ(animation, marker_get_f());
      EXPECT_EQ(mvh_status_get_f().open_count, 0);
      resources_released_expect(0);
    }
  }
}

TEST_F(VESTAN_TEST, files_shorter_than_the_magic_are_not_seq_and_leave_no_error) {
  for (std::size_t size : {0u, 3u}) {
    SCOPED_TRACE(size);
    mvh_reset();
    void* animation = marker_get_f();
    EXPECT_EQ(import_bytes_f(seq_stock_male_file_get_f().prefix_get_f(size), &animation), 2);
    EXPECT_EQ(mvh_error_message_get_f(), "");
    EXPECT_EQ(animation, marker_get_f());
    EXPECT_EQ(mvh_status_get_f().open_count, 0);
    EXPECT_EQ(journal_count_get_f("em_error_reset"), 1);
    resources_released_expect(0);
  }
}

TEST_F(VESTAN_TEST, a_file_that_cannot_be_opened_fails_without_status_window) {
  void* animation = marker_get_f();
  EXPECT_EQ(import_f(scratch_path_get_f("missing.seq"), &animation), 4);
  EXPECT_NE(mvh_error_message_get_f(), "");
  EXPECT_EQ(animation, marker_get_f());
  EXPECT_EQ(mvh_status_get_f().open_count, 0);
  resources_released_expect(0);
}

TEST_F(VESTAN_TEST, an_error_pending_before_the_import_fails_it_and_closes_the_file) {
  const std::string path = fixture_write_f("pending.seq", seq_stock_male_file_get_f());
  mvh_error_set("an earlier failure");
  void* animation = marker_get_f();
  EXPECT_EQ(import_f(path, &animation), 4);
  EXPECT_EQ(mvh_error_message_get_f(), "an earlier failure");
  EXPECT_EQ(animation, marker_get_f());
  resources_released_expect(0);
}

TEST_F(VESTAN_TEST, the_status_window_shows_title_format_name_and_file_name) {
  FM_FILE_IDENTIFIER_TYPE plugin_identifier = identifier_make_f("Vestan.x86.so");
  ASSERT_EQ(request_f(MSG_FREG, &plugin_identifier), 0);
  void* animation = nullptr;
  ASSERT_EQ(import_bytes_f(seq_stock_male_file_get_f(), &animation, "walk.seq"), 0);
  const MVH_STATUS_TYPE& status = mvh_status_get_f();
  EXPECT_EQ(status.open_count, 1);
  EXPECT_EQ(status.title, "Import Animation");
  EXPECT_EQ(status.flag, 1);
  EXPECT_EQ(status.job_type, "Vestan");
  EXPECT_EQ(status.job_object, "walk.seq");
  resources_released_expect(1);
}

TEST_F(VESTAN_TEST, frame_count_0_hands_back_no_animation_and_answers_0) {
  SEQ_BYTES_TYPE bytes = seq_header_get_f(0, 1, "male", "hip");
  bytes.text("hip").track_quaternion({quaternion_key_get_f(1, 1, 0, 0, 0)});
  seq_root_tracks_append(bytes);
  void* animation = marker_get_f();
  mvh_journal_clear();
  EXPECT_EQ(import_bytes_f(bytes, &animation), 0);
  EXPECT_EQ(animation, animation_none_get_f());
  EXPECT_EQ(mvh_error_message_get_f(), "");
  EXPECT_EQ(journal_count_get_f("anm_animation_create_f"), 0);
  EXPECT_EQ(mvh_status_get_f().open_count, 1);
  resources_released_expect(0);
}

TEST_F(VESTAN_TEST, a_file_cut_inside_a_joint_section_fails_and_closes_everything) {
  SEQ_BYTES_TYPE sections;
  sections.text("hip").track_quaternion({quaternion_key_get_f(1, 1, 0, 0, 0),
                                         quaternion_key_get_f(3, 0, 1, 0, 0)});
  sections.text("abdomen").track_quaternion({});
  // Cut inside the first key record, and inside the second section's name.
  for (std::size_t cut : {std::size_t{5 + 8 + 7}, std::size_t{5 + 8 + 40 + 4}}) {
    for (const std::string& skeleton : {std::string("male"), std::string("robot")}) {
      SCOPED_TRACE(skeleton + ", sections cut after " + std::to_string(cut) + " bytes");
      mvh_reset();
      SEQ_BYTES_TYPE bytes = seq_header_get_f(10, 2, skeleton, "hip");
      bytes.raw(sections.prefix_get_f(cut).bytes_get_f());
      void* animation = marker_get_f();
      EXPECT_EQ(import_bytes_f(bytes, &animation), 4);
      EXPECT_NE(mvh_error_message_get_f(), "");
      EXPECT_EQ(animation, marker_get_f());
      EXPECT_EQ(mvh_status_get_f().open_count, 1);
      resources_released_expect(0);
    }
  }
}

TEST_F(VESTAN_TEST, an_import_with_nowhere_to_put_the_animation_disposes_of_it) {
  EXPECT_EQ(import_bytes_f(seq_stock_male_file_get_f(), nullptr), 0);
  EXPECT_EQ(mvh_error_message_get_f(), "");
  resources_released_expect(0);
}

TEST_F(VESTAN_TEST, an_error_in_the_root_tracks_fails_and_disposes_of_the_animation) {
  // The first value key set is in the first root track; the reader no longer
  // tests the error state there, the import does.
  mvh_fault_call_fail("fgf_frame_value_set_f", 1);
  void* animation = marker_get_f();
  EXPECT_EQ(import_bytes_f(seq_stock_male_file_get_f(), &animation), 4);
  EXPECT_TRUE(mvh_fault_fired_f());
  EXPECT_EQ(animation, marker_get_f());
  resources_released_expect(0);
}

TEST_F(VESTAN_TEST, a_reader_that_gives_up_without_error_hands_back_no_animation) {
  // Failures that Movara reports by their failure value only: the reader
  // disposes of what it made, so Movara gets -1 and nothing is left alive.
  for (const char* function : {"anm_animation_create_f", "skl_skeleton_skel_create_f",
                               "skl_skeleton_skel_completed_f", "anm_animation_figure_add_f"}) {
    SCOPED_TRACE(function);
    mvh_reset();
    const std::string path = fixture_write_f("robot.seq", seq_robot_file_get_f());
    mvh_fault_call_fail(function, 1, MVH_FAULT_SILENT);
    void* animation = marker_get_f();
    EXPECT_EQ(import_f(path, &animation), 0);
    EXPECT_TRUE(mvh_fault_fired_f());
    EXPECT_EQ(animation, animation_none_get_f());
    EXPECT_EQ(mvh_skeleton_count_get_f(), 0);
    resources_released_expect(0);
  }
}

// ---------------------------------------------------------------------------
// The three skeletons.

TEST_F(VESTAN_TEST, stock_male_figure_is_pinned_and_its_sections_are_read_once) {
  void* animation = nullptr;
  mvh_journal_clear();
  ASSERT_EQ(import_bytes_f(seq_stock_male_file_get_f(), &animation), 0);
  EXPECT_FLOAT_EQ(anm_animation_frame_rate_get_f(animation), 60.0f);
  void* figure = figure_get_f(animation);
  EXPECT_NE(fig_figure_pin_to_floor_get_f(figure), 0);
  void* skeleton = fig_figure_get_skel(figure);
  EXPECT_EQ(mvh_skeleton_name_get_f(skeleton), "male");
  EXPECT_EQ(journal_count_get_f("skl_skeleton_skel_create_f"), 0);
  EXPECT_EQ(journal_count_get_f("fm_file_position_get_f"), 0);
  // Only the unknown joint "tail" is passed over by moving the position.
  EXPECT_EQ(journal_count_get_f("fm_file_position_set_e"), 1);
  // Magic, frame count, joint count, 2 names x 2, per section 2 for the name,
  // 2 for the track head, 1 for keys (3 sections with keys, "tail" skipped),
  // track count, 4 root tracks x 3.
  EXPECT_EQ(journal_count_get_f("fm_file_read_f"), 1 + 1 + 1 + 4 + (4 * 4 + 2) + 1 + 4 * 3);
  EXPECT_EQ(journal_count_get_f("mm_pointer_create"), 2 + 4);
  const short hip = skl_skeleton_joint_id_get_f(skeleton, const_cast<char*>("hip"));
  const short shin = skl_skeleton_joint_id_get_f(skeleton, const_cast<char*>("lShin"));
  ASSERT_NE(hip, -1);
  ASSERT_NE(shin, -1);
  const std::vector<MVH_ORIENTATION_KEY_TYPE> hip_keys =
      mvh_figure_orientation_keys_get_f(figure, hip);
  ASSERT_EQ(hip_keys.size(), 2u);
  EXPECT_EQ(hip_keys[0].frame, 0);
  EXPECT_EQ(hip_keys[1].frame, 2);
  EXPECT_FLOAT_EQ(hip_keys[1].q.x, 1.0f);
  const std::vector<MVH_ORIENTATION_KEY_TYPE> shin_keys =
      mvh_figure_orientation_keys_get_f(figure, shin);
  ASSERT_EQ(shin_keys.size(), 1u);
  EXPECT_EQ(shin_keys[0].frame, 1);
  EXPECT_FLOAT_EQ(shin_keys[0].q.y, 1.0f);
  resources_released_expect(1);
}

TEST_F(VESTAN_TEST, new_skeleton_has_a_unit_cube_per_joint_and_is_not_pinned) {
  void* animation = nullptr;
  ASSERT_EQ(import_bytes_f(seq_robot_file_get_f(), &animation), 0);
  void* figure = figure_get_f(animation);
  EXPECT_EQ(fig_figure_pin_to_floor_get_f(figure), 0);
  void* skeleton = fig_figure_get_skel(figure);
  EXPECT_EQ(mvh_skeleton_name_get_f(skeleton), "robot");
  EXPECT_TRUE(mvh_skeleton_completed_f(skeleton));
  EXPECT_EQ(skl_skeleton_joint_count_get_f(skeleton), 3);
  EXPECT_EQ(mvh_skeleton_part_object_count_get_f(skeleton), 3);
  EXPECT_EQ(mvh_skeleton_cube_count_get_f(skeleton), 3);
  EXPECT_EQ(skl_skeleton_joint_id_get_f(skeleton, const_cast<char*>("base")), 0);
  EXPECT_EQ(skl_skeleton_joint_id_get_f(skeleton, const_cast<char*>("arm")), 1);
  EXPECT_EQ(skl_skeleton_joint_id_get_f(skeleton, const_cast<char*>("hand")), 2);
  EXPECT_EQ(mvh_figure_orientation_keys_get_f(figure, 0).size(), 1u);
  EXPECT_EQ(mvh_figure_orientation_keys_get_f(figure, 1).size(), 0u);
  EXPECT_EQ(mvh_figure_orientation_keys_get_f(figure, 2).size(), 2u);
  // Not pinned: channel 2 keeps the stored values.
  const std::vector<MVH_VALUE_KEY_TYPE> heights = mvh_figure_value_keys_get_f(figure, 2);
  ASSERT_EQ(heights.size(), 2u);
  EXPECT_FLOAT_EQ(heights[0].value, 2.0f);
  EXPECT_FLOAT_EQ(heights[1].value, 3.0f);
  EXPECT_EQ(mvh_skeleton_count_get_f(), 1);
  resources_released_expect(1);
}

// Puts a completed skeleton "robot" (base, arm, hand; root 12.5 above the
// floor) into Movara's skeleton library, where an import's search finds it.
void held_robot_skeleton_add(void** held) {
  *held = skl_skeleton_skel_create_f(const_cast<char*>("robot"));
  for (const char* name : {"base", "arm", "hand"}) {
    ASSERT_NE(skl_skeleton_joint_create_f(*held, const_cast<char*>(name)), -1);
  }
  ASSERT_NE(skl_skeleton_skel_completed_f(*held, const_cast<char*>("")), 0);
  mvh_skeleton_joint_offset_set(*held, 0, coord3{0.0f, 12.5f, 0.0f});
  mvh_skeleton_library_add(*held);
}

TEST_F(VESTAN_TEST, held_skeleton_found_by_search_replaces_the_new_one_and_pins_the_figure) {
  void* held = nullptr;
  ASSERT_NO_FATAL_FAILURE(held_robot_skeleton_add(&held));
  void* animation = nullptr;
  ASSERT_EQ(import_bytes_f(seq_robot_file_get_f(), &animation), 0);
  void* figure = figure_get_f(animation);
  EXPECT_EQ(fig_figure_get_skel(figure), held);
  EXPECT_NE(fig_figure_pin_to_floor_get_f(figure), 0);
  EXPECT_EQ(mvh_skeleton_count_get_f(), 1) << "the new skeleton is disposed of";
  EXPECT_EQ(mvh_figure_orientation_keys_get_f(figure, 2).size(), 2u);
  resources_released_expect(1);
}

TEST_F(VESTAN_TEST, unknown_joint_names_are_passed_over_whole) {
  SEQ_BYTES_TYPE bytes = seq_header_get_f(10, 3, "male", "hip");
  bytes.text("no such joint")
      .track_quaternion({quaternion_key_get_f(1, 1, 0, 0, 0), quaternion_key_get_f(2, 1, 0, 0, 0),
                         quaternion_key_get_f(3, 1, 0, 0, 0)});
  bytes.text("hip").track_quaternion({quaternion_key_get_f(4, 0, 1, 0, 0)});
  bytes.text("tail").track_quaternion({});
  seq_root_tracks_append(bytes, {{7, 1.0f}}, {}, {}, {});
  void* animation = nullptr;
  mvh_journal_clear();
  ASSERT_EQ(import_bytes_f(bytes, &animation), 0);
  void* figure = figure_get_f(animation);
  const short hip =
      skl_skeleton_joint_id_get_f(fig_figure_get_skel(figure), const_cast<char*>("hip"));
  const std::vector<MVH_ORIENTATION_KEY_TYPE> hip_keys =
      mvh_figure_orientation_keys_get_f(figure, hip);
  ASSERT_EQ(hip_keys.size(), 1u);
  EXPECT_EQ(hip_keys[0].frame, 3);
  EXPECT_EQ(journal_count_get_f("fgf_frame_joint_orientation_set"), 1);
  const std::vector<MVH_VALUE_KEY_TYPE> x_keys = mvh_figure_value_keys_get_f(figure, 1);
  ASSERT_EQ(x_keys.size(), 1u);
  EXPECT_EQ(x_keys[0].frame, 6);
  // A known joint at index 1 makes no progress step; unknown ones none either.
  EXPECT_EQ(mvh_status_get_f().increment_count, 0);
  resources_released_expect(1);
}

TEST_F(VESTAN_TEST, progress_steps_of_3_follow_sections_0_3_and_6) {
  SEQ_BYTES_TYPE bytes = seq_header_get_f(10, 7, "chain", "j0");
  for (int joint = 0; joint < 7; ++joint) {
    bytes.text("j" + std::to_string(joint)).track_quaternion({});
  }
  seq_root_tracks_append(bytes);
  void* animation = nullptr;
  mvh_journal_clear();
  ASSERT_EQ(import_bytes_f(bytes, &animation), 0);
  const MVH_STATUS_TYPE& status = mvh_status_get_f();
  EXPECT_EQ(status.range_low, 0);
  EXPECT_EQ(status.range_high, 7);
  EXPECT_EQ(status.increment_count, 3);
  EXPECT_EQ(status.progress, 9);
  // The steps come right after the tracks of sections 0, 3 and 6: the
  // journal shows name reads, track reads and steps in this order.
  std::vector<std::string> steps_and_lookups =
      journal_filtered_get_f({"skl_skeleton_joint_id_get_f", "stw_status_progress_increment_e"});
  EXPECT_EQ(steps_and_lookups,
            (std::vector<std::string>{
                "skl_skeleton_joint_id_get_f", "stw_status_progress_increment_e",
                "skl_skeleton_joint_id_get_f", "skl_skeleton_joint_id_get_f",
                "skl_skeleton_joint_id_get_f", "stw_status_progress_increment_e",
                "skl_skeleton_joint_id_get_f", "skl_skeleton_joint_id_get_f",
                "skl_skeleton_joint_id_get_f", "stw_status_progress_increment_e"}));
  resources_released_expect(1);
}

TEST_F(VESTAN_TEST, joint_count_0_reads_the_track_count_right_after_the_root_name) {
  SEQ_BYTES_TYPE bytes = seq_header_get_f(10, 0, "male", "hip");
  seq_root_tracks_append(bytes, {{1, 3.0f}});
  void* animation = nullptr;
  ASSERT_EQ(import_bytes_f(bytes, &animation), 0);
  void* figure = figure_get_f(animation);
  ASSERT_EQ(mvh_figure_value_keys_get_f(figure, 1).size(), 1u);
  EXPECT_EQ(mvh_status_get_f().range_high, 0);
  // A built skeleton without joints cannot be completed: refused, no error.
  mvh_reset();
  SEQ_BYTES_TYPE empty = seq_header_get_f(10, 0, "robot", "base");
  seq_root_tracks_append(empty);
  animation = marker_get_f();
  EXPECT_EQ(import_bytes_f(empty, &animation), 0);
  EXPECT_EQ(animation, animation_none_get_f());
  EXPECT_EQ(mvh_skeleton_count_get_f(), 0);
  resources_released_expect(0);
}

// ---------------------------------------------------------------------------
// Keys.

TEST_F(VESTAN_TEST, keys_land_at_frame_number_minus_1_and_numbers_below_1_are_not_set) {
  SEQ_BYTES_TYPE bytes = seq_header_get_f(200, 1, "male", "hip");
  bytes.text("hip").track_quaternion(
      {quaternion_key_get_f(INT32_MIN, 1, 0, 0, 0), quaternion_key_get_f(-5, 1, 0, 0, 0),
       quaternion_key_get_f(0, 1, 0, 0, 0), quaternion_key_get_f(1, 1, 0, 0, 0),
       quaternion_key_get_f(5, 1, 0, 0, 0), quaternion_key_get_f(100, 1, 0, 0, 0)});
  seq_root_tracks_append(bytes, {{0, 9.0f}, {1, 1.0f}, {INT32_MAX, 2.0f}}, {}, {},
                         {quaternion_key_get_f(-1, 1, 0, 0, 0), quaternion_key_get_f(30, 1, 0, 0, 0)});
  void* animation = nullptr;
  ASSERT_EQ(import_bytes_f(bytes, &animation), 0);
  EXPECT_EQ(mvh_error_message_get_f(), "");
  void* figure = figure_get_f(animation);
  const std::vector<MVH_ORIENTATION_KEY_TYPE> keys = mvh_figure_orientation_keys_get_f(figure, 0);
  ASSERT_EQ(keys.size(), 3u);
  EXPECT_EQ(keys[0].frame, 0);
  EXPECT_EQ(keys[1].frame, 4);
  EXPECT_EQ(keys[2].frame, 99);
  const std::vector<MVH_VALUE_KEY_TYPE> x_keys = mvh_figure_value_keys_get_f(figure, 1);
  ASSERT_EQ(x_keys.size(), 2u);
  EXPECT_EQ(x_keys[0].frame, 0);
  EXPECT_EQ(x_keys[1].frame, INT32_MAX - 1);
  const std::vector<MVH_VALUE_KEY_TYPE> headings = mvh_figure_value_keys_get_f(figure, CHANNEL_HEADING);
  ASSERT_EQ(headings.size(), 1u);
  EXPECT_EQ(headings[0].frame, 29);
  resources_released_expect(1);
}

TEST_F(VESTAN_TEST, two_keys_on_one_frame_are_both_set_in_file_order) {
  SEQ_BYTES_TYPE bytes = seq_header_get_f(10, 1, "male", "hip");
  bytes.text("hip").track_quaternion(
      {quaternion_key_get_f(3, 1, 0, 0, 0), quaternion_key_get_f(3, 0, 0, 0, 1)});
  seq_root_tracks_append(bytes, {}, {}, {{2, 1.0f}, {2, 7.0f}}, {});
  void* animation = nullptr;
  mvh_journal_clear();
  ASSERT_EQ(import_bytes_f(bytes, &animation), 0);
  EXPECT_EQ(journal_count_get_f("fgf_frame_joint_orientation_set"), 2);
  EXPECT_EQ(journal_count_get_f("fgf_frame_value_set_f"), 2);
  void* figure = figure_get_f(animation);
  // The stand-in keeps one key per frame: the later one wins.
  const std::vector<MVH_ORIENTATION_KEY_TYPE> keys = mvh_figure_orientation_keys_get_f(figure, 0);
  ASSERT_EQ(keys.size(), 1u);
  EXPECT_FLOAT_EQ(keys[0].q.z, 1.0f);
  const std::vector<MVH_VALUE_KEY_TYPE> z_keys = mvh_figure_value_keys_get_f(figure, 3);
  ASSERT_EQ(z_keys.size(), 1u);
  EXPECT_FLOAT_EQ(z_keys[0].value, 7.0f);
  resources_released_expect(1);
}

TEST_F(VESTAN_TEST, quaternions_are_normalised_and_headings_become_y_angles) {
  // Heading quaternions as the writer builds them, from the angles (0, h, 0).
  const float headings[] = {30.0f, -90.0f, 179.0f};
  std::vector<SEQ_QUATERNION_KEY_TYPE> heading_keys;
  for (int k = 0; k < 3; ++k) {
    quaternion q{};
    coord3 angles{0.0f, headings[k], 0.0f};
    qt_angles_to_quat(&q, &angles, ANGLE_ORDER_YXZ);
    // Stored at twice its length: the reader normalises before converting.
    heading_keys.push_back(quaternion_key_get_f(k + 1, 2 * q.w, 2 * q.x, 2 * q.y, 2 * q.z));
  }
  SEQ_BYTES_TYPE bytes = seq_header_get_f(10, 1, "male", "hip");
  bytes.text("hip").track_quaternion({quaternion_key_get_f(1, 0, 3, 0, 4)});
  seq_root_tracks_append(bytes, {}, {}, {}, heading_keys);
  void* animation = nullptr;
  ASSERT_EQ(import_bytes_f(bytes, &animation), 0);
  void* figure = figure_get_f(animation);
  const std::vector<MVH_ORIENTATION_KEY_TYPE> keys = mvh_figure_orientation_keys_get_f(figure, 0);
  ASSERT_EQ(keys.size(), 1u);
  EXPECT_FLOAT_EQ(keys[0].q.w, 0.0f);
  EXPECT_FLOAT_EQ(keys[0].q.x, 0.6f);
  EXPECT_FLOAT_EQ(keys[0].q.y, 0.0f);
  EXPECT_FLOAT_EQ(keys[0].q.z, 0.8f);
  const std::vector<MVH_VALUE_KEY_TYPE> values = mvh_figure_value_keys_get_f(figure, CHANNEL_HEADING);
  ASSERT_EQ(values.size(), 3u);
  for (int k = 0; k < 3; ++k) {
    EXPECT_NEAR(values[static_cast<std::size_t>(k)].value, headings[k], 1e-3);
  }
  resources_released_expect(1);
}

TEST_F(VESTAN_TEST, floor_adjustment_moves_channel_2_of_a_pinned_figure_only) {
  // Pinned stock male: C is the hip height; the stand-in's floor channel
  // reads the value just set, so C + (v - (A - B)) comes out as C + v.
  SEQ_BYTES_TYPE bytes = seq_header_get_f(10, 0, "male", "hip");
  seq_root_tracks_append(bytes, {{1, 1.0f}}, {{1, 0.1f}, {2, -3.25f}, {3, 0.0f}}, {{1, 2.0f}}, {});
  void* animation = nullptr;
  mvh_journal_clear();
  ASSERT_EQ(import_bytes_f(bytes, &animation), 0);
  void* figure = figure_get_f(animation);
  const std::vector<MVH_VALUE_KEY_TYPE> heights = mvh_figure_value_keys_get_f(figure, 2);
  ASSERT_EQ(heights.size(), 3u);
  const float stored[] = {0.1f, -3.25f, 0.0f};
  for (std::size_t k = 0; k < 3; ++k) {
    // A = B = v here, so D = v and the key becomes C + v, summed in double.
    const float expected = static_cast<float>(static_cast<double>(MVH_STOCK_MALE_HIP_HEIGHT) +
                                              static_cast<double>(stored[k]));
    EXPECT_EQ(heights[k].value, expected) << k;
  }
  EXPECT_FLOAT_EQ(mvh_figure_value_keys_get_f(figure, 1)[0].value, 1.0f);
  EXPECT_FLOAT_EQ(mvh_figure_value_keys_get_f(figure, 3)[0].value, 2.0f);
  // Per channel-2 key: set, ask the pin, read A, B and C, set again.
  const std::vector<std::string> per_key = journal_filtered_get_f(
      {"fgf_frame_value_set_f", "fig_figure_pin_to_floor_get_f", "fgf_frame_value_get_f"});
  const std::vector<std::string> one_key = {"fgf_frame_value_set_f", "fig_figure_pin_to_floor_get_f",
                                            "fgf_frame_value_get_f", "fgf_frame_value_get_f",
                                            "fgf_frame_value_get_f", "fgf_frame_value_set_f"};
  std::vector<std::string> expected = {"fgf_frame_value_set_f"};
  for (int k = 0; k < 3; ++k) {
    expected.insert(expected.end(), one_key.begin(), one_key.end());
  }
  expected.push_back("fgf_frame_value_set_f");
  EXPECT_EQ(per_key, expected);
  resources_released_expect(1);
}

TEST_F(VESTAN_TEST, floor_adjustment_of_a_held_skeleton_starts_from_its_root_height) {
  void* held = nullptr;
  ASSERT_NO_FATAL_FAILURE(held_robot_skeleton_add(&held));
  void* animation = nullptr;
  ASSERT_EQ(import_bytes_f(seq_robot_file_get_f(), &animation), 0);
  const std::vector<MVH_VALUE_KEY_TYPE> heights =
      mvh_figure_value_keys_get_f(figure_get_f(animation), 2);
  ASSERT_EQ(heights.size(), 2u);
  EXPECT_FLOAT_EQ(heights[0].value, 14.5f);
  EXPECT_FLOAT_EQ(heights[1].value, 15.5f);
  resources_released_expect(1);
}

// ---------------------------------------------------------------------------
// Malformed files: each is refused without an error, nothing is left behind
// (AddressSanitizer watches the buffers).

struct MALFORMED_CASE_TYPE {
  const char* name;
  SEQ_BYTES_TYPE bytes;
};

SEQ_BYTES_TYPE header_raw_get_f(const std::string& skeleton) {
  SEQ_BYTES_TYPE bytes;
  bytes.u32(0x7F7F7F7A).u16(10).i32(1).text(skeleton);
  return bytes;
}

std::vector<MALFORMED_CASE_TYPE> malformed_cases_get_f() {
  std::vector<MALFORMED_CASE_TYPE> cases;
  const std::string too_long(1024, 'a');
  // Skeleton name.
  for (std::int16_t count : {std::int16_t{0}, std::int16_t{-1}, std::int16_t{1025},
                             std::int16_t{INT16_MIN}}) {
    SEQ_BYTES_TYPE bytes;
    bytes.u32(0x7F7F7F7A).u16(10).i32(1).i16(count).raw(std::vector<std::uint8_t>(1100, 'a'));
    cases.push_back({"skeleton name count", bytes});
  }
  {
    SEQ_BYTES_TYPE bytes;
    bytes.u32(0x7F7F7F7A).u16(10).i32(1).i16(4).raw({'m', 'a', 'l', 'e'}).text("hip");
    cases.push_back({"skeleton name without NUL", bytes});
  }
  // Root joint name, after the animation exists.
  {
    SEQ_BYTES_TYPE bytes = header_raw_get_f("male");
    bytes.i16(0);
    cases.push_back({"root name count 0", bytes});
  }
  {
    SEQ_BYTES_TYPE bytes = header_raw_get_f("robot");
    bytes.i16(static_cast<std::int16_t>(too_long.size() + 1))
        .raw(std::vector<std::uint8_t>(too_long.begin(), too_long.end()))
        .u8(0);
    cases.push_back({"root name of 1025 bytes", bytes});
  }
  // Joint names: in the skeleton pass (robot) and in the key pass (male).
  for (const char* skeleton : {"robot", "male"}) {
    SEQ_BYTES_TYPE bytes = header_raw_get_f(skeleton).text("root");
    bytes.i16(3).raw({'h', 'i', 'p'}).track_quaternion({});
    seq_root_tracks_append(bytes);
    cases.push_back({"joint name without NUL", bytes});
  }
  // Key counts: negative, or too many bytes for 32 bits.
  for (std::int32_t count : {-1, INT32_MIN, INT32_MAX, INT32_MAX / 20 + 1}) {
    for (const char* skeleton : {"robot", "male"}) {
      for (const char* joint : {"hip", "no such joint"}) {
        SEQ_BYTES_TYPE bytes = header_raw_get_f(skeleton).text("root").text(joint);
        bytes.i32(16).i32(count).raw(std::vector<std::uint8_t>(40, 0));
        seq_root_tracks_append(bytes);
        cases.push_back({"joint track key count", bytes});
      }
    }
  }
  // Root tracks, after the key pass: the three translation tracks hold
  // 8-byte records, the heading track 20-byte ones.
  for (int track = 0; track < 4; ++track) {
    const std::int32_t record_size = track == 3 ? 20 : 8;
    for (std::int32_t count : {-1, INT32_MAX / record_size + 1, INT32_MAX}) {
      SEQ_BYTES_TYPE bytes = header_raw_get_f("male").text("hip").text("hip").track_quaternion({});
      bytes.i32(4);
      for (int before = 0; before < track; ++before) {
        bytes.track_float({{1, 1.0f}});
      }
      bytes.i32(record_size - 4).i32(count).raw(std::vector<std::uint8_t>(40, 0));
      for (int after = track + 1; after < 4; ++after) {
        bytes.track_float({});
      }
      cases.push_back({"root track key count", bytes});
    }
  }
  return cases;
}

TEST_F(VESTAN_TEST, malformed_files_are_refused_and_leave_nothing_behind) {
  int index = 0;
  for (const MALFORMED_CASE_TYPE& malformed : malformed_cases_get_f()) {
    SCOPED_TRACE(std::string(malformed.name) + " #" + std::to_string(index++) + ": " +
                 bytes_hex_get_f(malformed.bytes.bytes_get_f()).substr(0, 200));
    mvh_reset();
    void* animation = marker_get_f();
    EXPECT_EQ(import_bytes_f(malformed.bytes, &animation), 0);
    EXPECT_EQ(animation, animation_none_get_f());
    EXPECT_EQ(mvh_error_message_get_f(), "");
    EXPECT_EQ(mvh_skeleton_count_get_f(), 0);
    resources_released_expect(0);
  }
}

TEST_F(VESTAN_TEST, names_of_exactly_1024_bytes_are_accepted) {
  const std::string longest(1023, 'r');
  SEQ_BYTES_TYPE bytes = seq_header_get_f(10, 1, "male", longest);
  bytes.text("hip").track_quaternion({quaternion_key_get_f(1, 1, 0, 0, 0)});
  seq_root_tracks_append(bytes);
  void* animation = nullptr;
  ASSERT_EQ(import_bytes_f(bytes, &animation), 0);
  EXPECT_EQ(mvh_figure_orientation_keys_get_f(figure_get_f(animation), 0).size(), 1u);
  resources_released_expect(1);
}

// ---------------------------------------------------------------------------
// Every fallible Movara call failed in turn, and every cut of a file.

TEST_F(VESTAN_TEST, every_failing_movara_call_leaves_nothing_behind) {
  auto sweep = [this](const SEQ_BYTES_TYPE& bytes, MVH_FAULT_MODE_TYPE mode) {
    long n = 1;
    for (;; ++n) {
      SCOPED_TRACE("fault at fallible call " + std::to_string(n) + ", mode " +
                   std::to_string(mode));
      mvh_reset();
      const std::string path = fixture_write_f("sweep.seq", bytes);
      mvh_fault_any_fail(n, mode);
      void* animation = marker_get_f();
      const long answer = import_f(path, &animation);
      const bool fired = mvh_fault_fired_f();
      // The import does not test the status window's opening (Movara's
      // error state decides the answer), so a window that failed to open
      // sees the later status calls while closed.
      const bool status_failed = journal_count_get_f("stw_status_initialize_e") > 0 &&
                                 mvh_status_get_f().open_count == 0;
      if (!fired) {
        EXPECT_EQ(answer, 0);
        resources_released_expect(1);
        break;
      }
      if (answer == 0) {
        // Only a silent fault can let the import succeed; what it hands
        // over is then Movara's, and nothing else may be alive.
        EXPECT_EQ(mode, MVH_FAULT_SILENT);
        EXPECT_NE(animation, marker_get_f());
        resources_released_expect(animation == animation_none_get_f() ? 0 : 1, status_failed);
        if (animation != animation_none_get_f()) {
          EXPECT_TRUE(mvh_animation_live_f(animation));
        }
      } else {
        EXPECT_TRUE(answer == 2 || answer == 4) << answer;
        EXPECT_EQ(animation, marker_get_f());
        if (answer == 4) {
          EXPECT_NE(mvh_error_message_get_f(), "");
        }
        resources_released_expect(0, status_failed);
      }
    }
    EXPECT_GT(n, 10) << "the sweep reached the fallible calls";
  };
  for (MVH_FAULT_MODE_TYPE mode : {MVH_FAULT_WITH_ERROR, MVH_FAULT_SILENT}) {
    sweep(seq_stock_male_file_get_f(), mode);
    sweep(seq_robot_file_get_f(), mode);
  }
}

TEST_F(VESTAN_TEST, every_cut_of_a_file_fails_cleanly) {
  for (const SEQ_BYTES_TYPE& whole : {seq_stock_male_file_get_f(), seq_robot_file_get_f()}) {
    for (std::size_t size = 0; size < whole.size_get_f(); ++size) {
      SCOPED_TRACE("cut after " + std::to_string(size) + " bytes");
      mvh_reset();
      void* animation = marker_get_f();
      const long answer = import_bytes_f(whole.prefix_get_f(size), &animation);
      EXPECT_EQ(answer, size < 4 ? 2 : 4);
      EXPECT_EQ(animation, marker_get_f());
      resources_released_expect(0);
    }
  }
}

}  // namespace
