// Fault injection, the journal and the status window.
#include "movara_test_support.h"

namespace {

class MOVARA_CONTROL_TEST : public MOVARA_TEST_TYPE {
 protected:
  // A small job that makes fallible calls of many kinds, cleaning up on every
  // path the way the plug-ins do; answers whether it ran to its end.
  bool job_run_f() {
    FM_FILE_IDENTIFIER_TYPE identifier = identifier_get_f("job.bin");
    fm_file_create_e(&identifier);
    if (em_error_occurred_f()) return false;
    MOVARA_LONG_TYPE file = fm_file_open_f(&identifier, 0);
    if (em_error_occurred_f()) return false;
    char* block = mm_pointer_create(8);
    if (block != nullptr) {
      fm_file_write_f(file, block, 8);
      mm_pointer_dispose(block);
    }
    fm_file_close(file);
    if (em_error_occurred_f()) return false;
    stw_status_initialize_e(text_f("Job"), 1);
    void* animation = anm_animation_create_f();
    bool done = false;
    if (animation != failed_animation_get_f()) {
      void* skeleton = skl_skeleton_skel_create_f(text_f("robot"));
      if (skeleton != nullptr) {
        short joint = skl_skeleton_joint_create_f(skeleton, text_f("base"));
        void* object = joint >= 0 ? pob_part_object_obj_create_f(0) : nullptr;
        if (object != nullptr && skl_skeleton_part_object_attach_f(skeleton, joint, object)) {
          pob_part_object_cube_add(object, 1.0f, 1.0f, 1.0f, 0);
        }
        void* figure = nullptr;
        if (!em_error_occurred_f() && skl_skeleton_skel_completed_f(skeleton, text_f(""))) {
          figure = anm_animation_figure_add_f(animation, skeleton, 1);
        }
        if (figure == nullptr) {
          skl_skeleton_dispose(skeleton);
        } else {
          quaternion q{1.0f, 0.0f, 0.0f, 0.0f};
          fgf_frame_joint_orientation_set(figure, 0, 0, &q);
          fgf_frame_value_set_f(figure, 0, CHANNEL_TRANSLATION_X, 1.0f);
          done = !em_error_occurred_f();
        }
      }
      anm_animation_dispose(animation);
    }
    stw_status_end();
    return done;
  }

  void counters_expect_zero() {
    EXPECT_EQ(mvh_open_file_count_get_f(), 0);
    EXPECT_EQ(mvh_live_block_count_get_f(), blocks_at_start_);
    EXPECT_EQ(mvh_animation_count_get_f(), 0);
    EXPECT_EQ(mvh_skeleton_count_get_f(), 0);
  }
};

TEST_F(MOVARA_CONTROL_TEST, the_job_runs_clean_without_faults) {
  EXPECT_TRUE(job_run_f());
  EXPECT_FALSE(em_error_occurred_f());
  EXPECT_EQ(mvh_fault_fallible_call_count_get_f(), 15);
  counters_expect_zero();
}

TEST_F(MOVARA_CONTROL_TEST, fault_sweep_over_every_fallible_call) {
  const long calls = [this] {
    job_run_f();
    return mvh_fault_fallible_call_count_get_f();
  }();
  ASSERT_GT(calls, 0);
  for (long n = 1;; ++n) {
    mvh_reset();
    mvh_fault_any_fail(n);
    bool done = job_run_f();
    if (!mvh_fault_fired_f()) {
      EXPECT_EQ(n, calls + 1);
      EXPECT_TRUE(done);
      break;
    }
    EXPECT_FALSE(done) << n;
    EXPECT_TRUE(em_error_occurred_f()) << n;
    EXPECT_NE(mvh_error_message_get_f().find("(injected fault)"), std::string::npos) << n;
    counters_expect_zero();
    ASSERT_LE(n, calls) << "the sweep does not end";
  }
}

TEST_F(MOVARA_CONTROL_TEST, silent_faults_answer_the_failure_value_only) {
  mvh_fault_call_fail("mm_pointer_create", 1, MVH_FAULT_SILENT);
  EXPECT_EQ(mm_pointer_create(10), nullptr);
  EXPECT_FALSE(em_error_occurred_f());
  EXPECT_TRUE(mvh_fault_fired_f());
  EXPECT_EQ(mvh_live_block_count_get_f(), blocks_at_start_);
}

TEST_F(MOVARA_CONTROL_TEST, named_fault_fails_the_nth_call_of_that_function_only) {
  mvh_fault_call_fail("fgf_frame_value_set_f", 3);
  void* animation = anm_animation_create_f();
  void* figure = anm_animation_figure_add_f(animation, nullptr, 1);
  EXPECT_EQ(mvh_fault_armed_count_get_f(), 1);
  EXPECT_EQ(fgf_frame_value_set_f(figure, 0, 1, 1.0f), 0);
  EXPECT_EQ(fgf_frame_value_set_f(figure, 1, 1, 1.0f), 0);
  EXPECT_FALSE(mvh_fault_fired_f());
  EXPECT_EQ(fgf_frame_value_set_f(figure, 2, 1, 1.0f), -1);
  EXPECT_TRUE(mvh_fault_fired_f());
  EXPECT_EQ(mvh_error_message_get_f(), "fgf_frame_value_set_f failed (injected fault)");
  EXPECT_EQ(fgf_frame_value_set_f(figure, 3, 1, 1.0f), 0);  // one call only
  EXPECT_EQ(mvh_figure_value_keys_get_f(figure, 1).size(), 3u);
  EXPECT_FALSE(fgf_frame_value_key_f(figure, 2, 1));  // no effect
  EXPECT_EQ(mvh_fault_armed_count_get_f(), 0);
  EXPECT_EQ(mvh_fault_fired_count_get_f(), 1);
}

// Each fallible function fails with its failure value and no effect: cases differ only in data.
struct FAULT_CASE_TYPE {
  const char* function;
};

class MOVARA_FAULT_BY_NAME_TEST : public MOVARA_CONTROL_TEST, public ::testing::WithParamInterface<FAULT_CASE_TYPE> {};

TEST_P(MOVARA_FAULT_BY_NAME_TEST, the_job_stops_with_the_error_set_and_nothing_left_open) {
  mvh_fault_call_fail(GetParam().function, 1);
  EXPECT_FALSE(job_run_f());
  EXPECT_TRUE(mvh_fault_fired_f());
  EXPECT_EQ(mvh_error_message_get_f(), std::string(GetParam().function) + " failed (injected fault)");
  counters_expect_zero();
}

INSTANTIATE_TEST_SUITE_P(
    FUNCTIONS, MOVARA_FAULT_BY_NAME_TEST,
    ::testing::Values(FAULT_CASE_TYPE{"fm_file_create_e"}, FAULT_CASE_TYPE{"fm_file_open_f"},
                      FAULT_CASE_TYPE{"fm_file_write_f"}, FAULT_CASE_TYPE{"mm_pointer_create"},
                      FAULT_CASE_TYPE{"anm_animation_create_f"}, FAULT_CASE_TYPE{"anm_animation_figure_add_f"},
                      FAULT_CASE_TYPE{"skl_skeleton_skel_create_f"}, FAULT_CASE_TYPE{"skl_skeleton_joint_create_f"},
                      FAULT_CASE_TYPE{"skl_skeleton_part_object_attach_f"},
                      FAULT_CASE_TYPE{"skl_skeleton_skel_completed_f"},
                      FAULT_CASE_TYPE{"pob_part_object_obj_create_f"}, FAULT_CASE_TYPE{"pob_part_object_cube_add"},
                      FAULT_CASE_TYPE{"fgf_frame_value_set_f"}, FAULT_CASE_TYPE{"fgf_frame_joint_orientation_set"},
                      FAULT_CASE_TYPE{"stw_status_initialize_e"}));

TEST_F(MOVARA_CONTROL_TEST, failure_values_of_the_file_and_list_calls) {
  file_put("in.bin", {1, 2, 3, 4});
  FM_FILE_IDENTIFIER_TYPE identifier = identifier_get_f("in.bin");
  MOVARA_LONG_TYPE file = fm_file_open_f(&identifier, 1);
  mvh_fault_call_fail("fm_file_read_f", 1);
  char buffer[4] = {0, 0, 0, 0};
  EXPECT_EQ(fm_file_read_f(file, buffer, 4), 0);
  EXPECT_EQ(buffer[0], 0);
  EXPECT_EQ(fm_file_position_get_f(file), 0);  // no effect
  em_error_reset();
  mvh_fault_call_fail("fm_file_position_set_e", 1);
  EXPECT_NE(fm_file_position_set_e(file, 2, 0), 0);
  EXPECT_EQ(fm_file_position_get_f(file), 0);
  fm_file_close(file);
  em_error_reset();
  mvh_fault_call_fail("fm_file_type_and_creator_set_e", 1);
  EXPECT_NE(fm_file_type_and_creator_set_e(&identifier, 1, 2), 0);
  EXPECT_EQ(mvh_file_type_get_f(path_get_f("in.bin")), 0);
  em_error_reset();
  DT_DATA_HEADER_TYPE** list = mvh_filter_data_list_create_f();
  mvh_fault_call_fail("fdt_filter_data_add_f", 1);
  EXPECT_EQ(fdt_filter_data_add_f(list, fourcc_f("SQO1"), 0, 54, 0), nullptr);
  EXPECT_TRUE(em_error_occurred_f());
  EXPECT_EQ(mvh_filter_data_record_count_get_f(list), 0);
  em_error_reset();
  mvh_fault_call_fail("stw_status_initialize_e", 1);
  stw_status_initialize_e(text_f("Export"), 1);
  EXPECT_FALSE(mvh_status_get_f().open);
  EXPECT_EQ(mvh_status_get_f().open_count, 0);
}

TEST_F(MOVARA_CONTROL_TEST, faults_on_infallible_or_unknown_names_never_fire) {
  mvh_fault_call_fail("em_error_occurred_f", 1);
  mvh_fault_call_fail("no_such_function_f", 1);
  em_error_occurred_f();
  char* block = mm_pointer_create(4);
  EXPECT_NE(block, nullptr);
  mm_pointer_dispose(block);
  EXPECT_FALSE(mvh_fault_fired_f());
  mvh_fault_clear();
  EXPECT_EQ(mvh_fault_armed_count_get_f(), 0);
  EXPECT_EQ(mvh_fault_fallible_call_count_get_f(), 0);
}

TEST_F(MOVARA_CONTROL_TEST, journal_names_every_call_in_order) {
  em_error_occurred_f();
  char* block = mm_pointer_create(4);
  mm_pointer_dispose(block);
  mvh_error_message_get_f();  // mvh_ calls are not journalled
  EXPECT_EQ(mvh_journal_get_f(),
            (std::vector<std::string>{"em_error_occurred_f", "mm_pointer_create", "mm_pointer_dispose"}));
  EXPECT_EQ(mvh_journal_call_count_get_f("mm_pointer_create"), 1);
  mvh_journal_clear();
  EXPECT_TRUE(mvh_journal_get_f().empty());
  EXPECT_EQ(mvh_journal_call_count_get_f("mm_pointer_create"), 0);
}

TEST_F(MOVARA_CONTROL_TEST, journal_can_be_turned_off_and_is_capped) {
  mvh_journal_enable(false);
  EXPECT_FALSE(mvh_journal_enabled_f());
  for (int i = 0; i < 1000; ++i) em_error_occurred_f();
  EXPECT_TRUE(mvh_journal_get_f().empty());
  EXPECT_EQ(mvh_journal_call_count_get_f("em_error_occurred_f"), 1000);
  mvh_journal_enable(true);
  mvh_journal_limit_set(10);
  for (int i = 0; i < 25; ++i) em_error_reset();
  EXPECT_EQ(mvh_journal_get_f().size(), 10u);
  EXPECT_EQ(mvh_journal_dropped_count_get_f(), 15);
  EXPECT_EQ(mvh_journal_call_count_get_f("em_error_reset"), 25);
  mvh_journal_limit_set(std::size_t(4) << 20);
}

struct STATUS_EVENT_TYPE {
  bool open;
  long progress;
  std::string job_object;
};

void status_listen(const MVH_STATUS_TYPE& status, void* user_data) {
  static_cast<std::vector<STATUS_EVENT_TYPE>*>(user_data)->push_back(
      STATUS_EVENT_TYPE{status.open, status.progress, status.job_object});
}

TEST_F(MOVARA_CONTROL_TEST, status_window_records_and_tells_its_listener) {
  std::vector<STATUS_EVENT_TYPE> events;
  mvh_status_listener_set(status_listen, &events);
  FM_FILE_IDENTIFIER_TYPE identifier = identifier_get_f("walk.seq");
  EXPECT_EQ(stw_status_initialize_e(text_f("Import Animation"), 1), 0);
  stw_status_job_type_name_set_e(text_f("Vestan"));
  stw_status_job_object_name_set_e(reinterpret_cast<char*>(&identifier));
  stw_status_range_change_e(0, 7);
  stw_status_progress_increment_e(3);
  stw_status_progress_increment_e(3);
  const MVH_STATUS_TYPE& status = mvh_status_get_f();
  EXPECT_TRUE(status.open);
  EXPECT_EQ(status.title, "Import Animation");
  EXPECT_EQ(status.flag, 1);
  EXPECT_EQ(status.job_type, "Vestan");
  EXPECT_EQ(status.job_object, "walk.seq");
  EXPECT_EQ(status.range_low, 0);
  EXPECT_EQ(status.range_high, 7);
  EXPECT_EQ(status.progress, 6);
  EXPECT_EQ(status.increment_count, 2);
  stw_status_end();
  EXPECT_FALSE(status.open);
  EXPECT_EQ(status.open_count, 1);
  EXPECT_EQ(status.misuse_count, 0);
  ASSERT_EQ(events.size(), 7u);
  EXPECT_TRUE(events[0].open);
  EXPECT_EQ(events[5].progress, 6);
  EXPECT_EQ(events[5].job_object, "walk.seq");
  EXPECT_FALSE(events[6].open);
  mvh_status_listener_set(nullptr, nullptr);
  // Misuse: calls while closed, end while closed, opening while open.
  stw_status_progress_increment_e(1);
  stw_status_end();
  stw_status_initialize_e(text_f("A"), 1);
  stw_status_initialize_e(text_f("B"), 1);
  EXPECT_EQ(status.misuse_count, 3);
  EXPECT_EQ(status.title, "B");
  stw_status_end();
  EXPECT_EQ(events.size(), 7u);
  EXPECT_FALSE(em_error_occurred_f());
}

TEST_F(MOVARA_CONTROL_TEST, reset_clears_everything) {
  mvh_error_set("something failed");
  EXPECT_TRUE(em_error_occurred_f());
  EXPECT_EQ(mvh_error_message_get_f(), "something failed");
  mvh_error_set("second");
  EXPECT_EQ(mvh_error_message_get_f(), "something failed");
  anm_animation_create_f();
  stw_status_initialize_e(text_f("Export"), 1);
  file_put("open.bin", {1});
  FM_FILE_IDENTIFIER_TYPE identifier = identifier_get_f("open.bin");
  fm_file_open_f(&identifier, 1);
  ffr_file_format_add_f(FORMAT_ID_SEQ, text_f("Vestan"));
  mvh_fault_any_fail(100);
  mvh_reset();
  EXPECT_FALSE(em_error_occurred_f());
  EXPECT_EQ(mvh_animation_count_get_f(), 0);
  EXPECT_FALSE(mvh_status_get_f().open);
  EXPECT_EQ(mvh_status_get_f().open_count, 0);
  EXPECT_EQ(mvh_open_file_count_get_f(), 0);
  EXPECT_TRUE(mvh_formats_get_f().empty());
  EXPECT_EQ(mvh_fault_armed_count_get_f(), 0);
  EXPECT_EQ(mvh_journal_get_f().size(), 1u);  // the em_error_occurred_f above
}

}  // namespace
