// Vestan's filter classes and SEQ reader linked directly: the class levels
// with a concrete filter of the test's own, and the track readers on files
// that hold nothing but tracks.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "import_test_support.h"
#include "movara_host.h"
#include "seq_import_filter.h"
#include "seq_reader.h"

namespace {

// A concrete filter whose values the test chooses.
class TEST_FILTER_TYPE : public FILTER_TYPE {
 public:
  std::string extension = "abc";
  unsigned char answer = 1;

  MOVARA_LONG_TYPE filter_kind_get_f() override { return 9; }
  MOVARA_LONG_TYPE format_id_get_f() override { return fourcc_f("TEST"); }
  short bitmap_id_get_f() override { return 17; }
  short register_parameter_get_f() override { return 3; }
  void format_extension_get(char* buffer) override {
    std::memcpy(buffer, extension.c_str(), extension.size() + 1);
  }
  MOVARA_LONG_TYPE filter_data_size_get_f() override { return 12; }
  unsigned char request_1_answer_f(void*, void*, void*) override { return answer; }
  unsigned char request_2_answer_f(void*, void*) override { return answer; }
  unsigned char request_4_answer_f(void*, void*, void*, void*) override { return answer; }

 protected:
  ~TEST_FILTER_TYPE() override = default;
};

class VESTAN_CORE_TEST : public ::testing::Test {
 protected:
  void SetUp() override { mvh_reset(); }
  void TearDown() override { mvh_reset(); }

  static MOVARA_LONG_TYPE request_f(LIBRARY_OBJECT_TYPE* object, MOVARA_LONG_TYPE selector,
                                    void* argument_1 = nullptr) {
    return object->message_handle_f(selector, argument_1, nullptr, nullptr, nullptr, nullptr,
                                    nullptr, nullptr, nullptr);
  }
};

TEST_F(VESTAN_CORE_TEST, freg_with_an_empty_extension_makes_no_extension_call) {
  for (const std::string& extension : {std::string(""), std::string("abc")}) {
    SCOPED_TRACE("extension \"" + extension + "\"");
    mvh_reset();
    TEST_FILTER_TYPE* filter = new TEST_FILTER_TYPE();
    filter->extension = extension;
    FM_FILE_IDENTIFIER_TYPE identifier = identifier_make_f("Probe.a.b.so");
    EXPECT_EQ(request_f(filter, MSG_FREG, &identifier), 0);
    EXPECT_EQ(journal_count_get_f("ffr_file_format_extension_set_f"), extension.empty() ? 0 : 1);
    const std::vector<MVH_FILTER_REGISTRATION_TYPE>& registrations =
        mvh_filter_registrations_get_f();
    ASSERT_EQ(registrations.size(), 1u);
    EXPECT_EQ(registrations[0].kind, 9);
    EXPECT_EQ(registrations[0].format, fourcc_f("TEST"));
    EXPECT_EQ(registrations[0].name, "Probe.a");
    EXPECT_EQ(registrations[0].bitmap, 17);
    EXPECT_EQ(registrations[0].parameter, 3);
    filter->object_dispose();
  }
}

TEST_F(VESTAN_CORE_TEST, answers_to_1_2_and_4_are_widened_without_sign) {
  TEST_FILTER_TYPE* filter = new TEST_FILTER_TYPE();
  const unsigned char answers[] = {0, 1, 255};
  for (unsigned char answer : answers) {
    SCOPED_TRACE(static_cast<int>(answer));
    filter->answer = answer;
    for (MOVARA_LONG_TYPE selector : {MSG_REQUEST_1, MSG_REQUEST_2, MSG_REQUEST_4}) {
      EXPECT_EQ(request_f(filter, selector), answer);
    }
  }
  // A filter that is not an import filter leaves 1234 and 'IMPA' unhandled.
  EXPECT_EQ(request_f(filter, MSG_FORMAT_CHECK), ANSWER_NOT_HANDLED);
  EXPECT_EQ(request_f(filter, MSG_IMPA), ANSWER_NOT_HANDLED);
  filter->object_dispose();
}

TEST_F(VESTAN_CORE_TEST, libd_disposes_of_the_library_object_and_answers_5) {
  library_object = library_object_create_f();
  ASSERT_NE(library_object, nullptr);
  EXPECT_EQ(request_f(library_object, MSG_REQUEST_2), 1);
  EXPECT_EQ(request_f(library_object, MSG_LIBD), ANSWER_NOT_HANDLED);
  EXPECT_EQ(library_object, nullptr);
}

TEST_F(VESTAN_CORE_TEST, filter_data_record_is_added_once_and_found_afterwards) {
  SEQ_IMPORT_FILTER_TYPE* filter =
      static_cast<SEQ_IMPORT_FILTER_TYPE*>(library_object_create_f());
  ASSERT_NE(filter, nullptr);
  DT_DATA_HEADER_TYPE** list = mvh_filter_data_list_create_f();
  DT_DATA_HEADER_TYPE** record = filter->filter_data_record_get_f(list);
  ASSERT_NE(record, nullptr);
  EXPECT_EQ((*record)->tag, FORMAT_ID_SEQ);
  EXPECT_EQ((*record)->size, 32);
  EXPECT_EQ(filter->filter_data_record_get_f(list), record);
  EXPECT_EQ(mvh_filter_data_record_count_get_f(list), 1);
  mvh_filter_data_list_dispose(list);
  filter->object_dispose();
}

// ---------------------------------------------------------------------------
// Track readers on their own.

class SEQ_TRACK_TEST : public VESTAN_CORE_TEST {
 protected:
  void SetUp() override {
    VESTAN_CORE_TEST::SetUp();
    figure_create();
  }
  // A stock-male figure in a new animation.
  void figure_create() {
    animation = anm_animation_create_f();
    ASSERT_NE(animation, animation_none_get_f());
    figure = anm_animation_figure_add_f(animation, nullptr, 1);
    ASSERT_NE(figure, nullptr);
  }
  void TearDown() override {
    if (file != FM_FILE_NONE) {
      fm_file_close(file);
    }
    VESTAN_CORE_TEST::TearDown();
  }
  // Opens a file holding the bytes, positioned at its start.
  void file_open(const SEQ_BYTES_TYPE& bytes) {
    FM_FILE_IDENTIFIER_TYPE identifier = identifier_make_f(fixture_write_f("track.seq", bytes));
    file = fm_file_open_f(&identifier, 1);
    ASSERT_NE(file, FM_FILE_NONE);
    mvh_journal_clear();
  }

  void* animation = nullptr;
  void* figure = nullptr;
  MOVARA_LONG_TYPE file = FM_FILE_NONE;
};

TEST_F(SEQ_TRACK_TEST, a_track_is_read_with_one_read_into_one_block_of_its_exact_size) {
  struct CASE_TYPE {
    const char* kind;
    long record_size;
  };
  for (const CASE_TYPE& track : {CASE_TYPE{"orientation", 20}, CASE_TYPE{"translation", 8},
                                 CASE_TYPE{"heading", 20}}) {
    SCOPED_TRACE(track.kind);
    // The peak of live block bytes counts from the reset.
    mvh_reset();
    figure_create();
    SEQ_BYTES_TYPE bytes;
    if (track.record_size == 20) {
      bytes.track_quaternion({quaternion_key_get_f(1, 1, 0, 0, 0),
                              quaternion_key_get_f(2, 1, 0, 0, 0),
                              quaternion_key_get_f(3, 1, 0, 0, 0)});
    } else {
      bytes.track_float({{1, 1.0f}, {2, 2.0f}, {3, 3.0f}});
    }
    file_open(bytes);
    SEQ_TRACK_RESULT_TYPE result = SEQ_TRACK_MALFORMED;
    if (std::string(track.kind) == "orientation") {
      seq_orientation_track_read(file, figure, 0, &result);
    } else if (std::string(track.kind) == "translation") {
      seq_translation_track_read(file, figure, CHANNEL_TRANSLATION_X, &result);
    } else {
      seq_heading_track_read(file, figure, CHANNEL_HEADING, &result);
    }
    EXPECT_EQ(result, SEQ_TRACK_READ);
    EXPECT_EQ(journal_count_get_f("fm_file_read_f"), 3);
    EXPECT_EQ(journal_count_get_f("mm_pointer_create"), 1);
    EXPECT_EQ(journal_count_get_f("mm_pointer_dispose"), 1);
    EXPECT_EQ(mvh_live_block_bytes_peak_get_f(), 3 * track.record_size);
    EXPECT_EQ(mvh_live_block_count_get_f(), 0);
    EXPECT_EQ(fm_file_position_get_f(file), static_cast<MOVARA_LONG_TYPE>(bytes.size_get_f()));
    EXPECT_EQ(mvh_error_message_get_f(), "");
    file = FM_FILE_NONE;  // closed by the reset
  }
}

TEST_F(SEQ_TRACK_TEST, a_track_without_keys_allocates_and_sets_nothing) {
  SEQ_BYTES_TYPE bytes;
  bytes.track_quaternion({}).track_float({});
  file_open(bytes);
  SEQ_TRACK_RESULT_TYPE orientation_result = SEQ_TRACK_MALFORMED;
  seq_orientation_track_read(file, figure, 0, &orientation_result);
  EXPECT_EQ(orientation_result, SEQ_TRACK_READ);
  SEQ_TRACK_RESULT_TYPE translation_result = SEQ_TRACK_MALFORMED;
  seq_translation_track_read(file, figure, CHANNEL_TRANSLATION_Y, &translation_result);
  EXPECT_EQ(translation_result, SEQ_TRACK_READ);
  EXPECT_EQ(journal_count_get_f("fm_file_read_f"), 4);
  EXPECT_EQ(journal_count_get_f("mm_pointer_create"), 0);
  EXPECT_EQ(journal_count_get_f("fgf_frame_joint_orientation_set"), 0);
  EXPECT_EQ(journal_count_get_f("fgf_frame_value_set_f"), 0);
}

TEST_F(SEQ_TRACK_TEST, key_counts_no_buffer_can_hold_are_malformed_before_any_allocation) {
  struct CASE_TYPE {
    std::int32_t count;
    bool quaternion_track;
  };
  for (const CASE_TYPE& track :
       {CASE_TYPE{-1, true}, CASE_TYPE{-1, false}, CASE_TYPE{INT32_MAX / 20 + 1, true},
        CASE_TYPE{INT32_MAX / 8 + 1, false}, CASE_TYPE{INT32_MIN, false}}) {
    SCOPED_TRACE(track.count);
    SEQ_BYTES_TYPE bytes;
    bytes.i32(track.quaternion_track ? 16 : 4).i32(track.count).raw(std::vector<std::uint8_t>(40, 0));
    file_open(bytes);
    SEQ_TRACK_RESULT_TYPE result = SEQ_TRACK_READ;
    if (track.quaternion_track) {
      seq_heading_track_read(file, figure, CHANNEL_HEADING, &result);
    } else {
      seq_translation_track_read(file, figure, CHANNEL_TRANSLATION_Z, &result);
    }
    EXPECT_EQ(result, SEQ_TRACK_MALFORMED);
    EXPECT_EQ(journal_count_get_f("mm_pointer_create"), 0);
    EXPECT_EQ(mvh_error_message_get_f(), "");
    fm_file_close(file);
    file = FM_FILE_NONE;
  }
}

TEST_F(SEQ_TRACK_TEST, without_a_key_buffer_the_records_stay_unread) {
  SEQ_BYTES_TYPE bytes;
  bytes.track_float({{1, 1.0f}, {2, 2.0f}});
  file_open(bytes);
  mvh_fault_call_fail("mm_pointer_create", 1);
  SEQ_TRACK_RESULT_TYPE result = SEQ_TRACK_MALFORMED;
  seq_translation_track_read(file, figure, CHANNEL_TRANSLATION_X, &result);
  EXPECT_EQ(result, SEQ_TRACK_READ);
  EXPECT_TRUE(mvh_fault_fired_f());
  EXPECT_EQ(fm_file_position_get_f(file), 8);
  EXPECT_EQ(journal_count_get_f("fgf_frame_value_set_f"), 0);
  EXPECT_EQ(mvh_block_misuse_count_get_f(), 0);
}

TEST_F(SEQ_TRACK_TEST, channel_2_of_an_unpinned_figure_asks_the_pin_and_keeps_its_values) {
  fig_figure_pin_to_floor_set(figure, 0);
  SEQ_BYTES_TYPE bytes;
  bytes.track_float({{1, 4.0f}, {2, -4.0f}});
  file_open(bytes);
  SEQ_TRACK_RESULT_TYPE result = SEQ_TRACK_MALFORMED;
  seq_translation_track_read(file, figure, CHANNEL_TRANSLATION_Y, &result);
  EXPECT_EQ(result, SEQ_TRACK_READ);
  EXPECT_EQ(journal_count_get_f("fig_figure_pin_to_floor_get_f"), 2);
  EXPECT_EQ(journal_count_get_f("fgf_frame_value_get_f"), 0);
  const std::vector<MVH_VALUE_KEY_TYPE> keys = mvh_figure_value_keys_get_f(figure, 2);
  ASSERT_EQ(keys.size(), 2u);
  EXPECT_FLOAT_EQ(keys[0].value, 4.0f);
  EXPECT_FLOAT_EQ(keys[1].value, -4.0f);
}

}  // namespace
