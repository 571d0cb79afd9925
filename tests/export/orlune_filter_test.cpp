// Orlune's answers to Movara's messages: the message table, the options
// record, the registration and the export of every figure to its own file.
#include <algorithm>
#include <cstring>

#include "export_test_support.h"

namespace {

class ORLUNE_FILTER_TEST : public EXPORT_TEST {
 protected:
  // An animation with `figures` one-joint figures, keyed so that each file
  // has content of its own.
  void* animation_with_figures_create_f(int figures) {
    void* animation = animation_create_f(30.0f);
    for (int index = 0; index < figures; ++index) {
      void* figure = figure_add_f(animation, skeleton_build_f("rig", {"root"}, "rig.cr2"));
      fgf_frame_value_set_f(figure, 0, CHANNEL_TRANSLATION_X, static_cast<float>(index));
    }
    return animation;
  }

  // The file of one such figure over frames 0..2.
  static SEQ_BYTES_TYPE figure_file_get_f(int index) {
    SEQ_BYTES_TYPE expected = seq_header_get_f(3, 1, "rig", "root");
    expected.text("root").track_quaternion({});
    return seq_root_tracks_append(expected, {{1, static_cast<float>(index)}});
  }
};

struct MESSAGE_CASE_TYPE {
  const char* label;
  MOVARA_LONG_TYPE selector;
  bool with_list;
  long user_function_answer;  // what library_user_function_f answers
  long main_answer;           // what Movara gets through main
};

class ORLUNE_MESSAGE_TEST : public EXPORT_TEST,
                            public ::testing::WithParamInterface<MESSAGE_CASE_TYPE> {};

TEST_P(ORLUNE_MESSAGE_TEST, message_is_answered_as_the_table_says) {
  const MESSAGE_CASE_TYPE& message = GetParam();
  DT_DATA_HEADER_TYPE** list = message.with_list ? mvh_filter_data_list_create_f() : nullptr;

  EXPECT_EQ(orlune_plugin.library_user_function(message.selector, list, nullptr, nullptr, nullptr,
                                                nullptr, nullptr, nullptr, nullptr),
            message.user_function_answer);
  EXPECT_EQ(orlune_request_f(message.selector, list), message.main_answer);

  if (list != nullptr) {
    mvh_filter_data_list_dispose(list);
  }
  resources_released_expect();
}

INSTANTIATE_TEST_SUITE_P(
    MESSAGES, ORLUNE_MESSAGE_TEST,
    ::testing::Values(
        MESSAGE_CASE_TYPE{"request_1", MSG_REQUEST_1, true, 1, 1},
        MESSAGE_CASE_TYPE{"request_1_without_a_list", MSG_REQUEST_1, false, 1, 1},
        MESSAGE_CASE_TYPE{"request_2", MSG_REQUEST_2, true, 5, 5},
        MESSAGE_CASE_TYPE{"request_3", 3, true, 5, 5},
        MESSAGE_CASE_TYPE{"request_4", MSG_REQUEST_4, true, 0, 0},
        MESSAGE_CASE_TYPE{"request_4_without_a_list", MSG_REQUEST_4, false, 0, 0},
        MESSAGE_CASE_TYPE{"request_5", MSG_REQUEST_5, false, 0, 0},
        MESSAGE_CASE_TYPE{"request_0", 0, false, 5, 5},
        MESSAGE_CASE_TYPE{"negative_request", -6, false, 5, 5},
        MESSAGE_CASE_TYPE{"request_7", 7, false, 5, 5},
        MESSAGE_CASE_TYPE{"format_check", MSG_FORMAT_CHECK, false, 5, 5},
        MESSAGE_CASE_TYPE{"import", MSG_IMPA, false, 5, 5},
        MESSAGE_CASE_TYPE{"cbin_goes_to_the_frame", MSG_CBIN, false, 5, 0},
        MESSAGE_CASE_TYPE{"libr_goes_to_the_frame", MSG_LIBR, false, 5, 0},
        MESSAGE_CASE_TYPE{"libs_goes_to_the_frame", MSG_LIBS, false, 5, 0},
        MESSAGE_CASE_TYPE{"libd_goes_to_the_frame", MSG_LIBD, false, 5, 0}),
    case_label_get_f<MESSAGE_CASE_TYPE>);

TEST_F(ORLUNE_FILTER_TEST, requests_1_4_and_6_add_the_options_record_once) {
  for (long selector : {MSG_REQUEST_1, MSG_REQUEST_4}) {
    SCOPED_TRACE(selector);
    DT_DATA_HEADER_TYPE** list = mvh_filter_data_list_create_f();
    const long records_before = mvh_filter_data_record_count_get_f(list);

    orlune_request_f(selector, list);
    DT_DATA_HEADER_TYPE** record = fdt_filter_data_get_f(list, fourcc_f("SQO1"), 0);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ((*record)->tag, fourcc_f("SQO1"));
    EXPECT_EQ((*record)->index, 0);
    EXPECT_EQ((*record)->size, 54);
    orlune_request_f(selector, list);  // found this time: not added again
    EXPECT_EQ(fdt_filter_data_get_f(list, fourcc_f("SQO1"), 0), record);
    EXPECT_EQ(mvh_filter_data_record_count_get_f(list), records_before + 1);
    mvh_filter_data_list_dispose(list);
  }
  mvh_journal_clear();
  void* animation = animation_create_f(30.0f);
  EXPECT_EQ(animation_export_f(animation, 0, 0, scratch_path_get_f("none.seq")), 0);
  EXPECT_EQ(journal_filtered_get_f({"fdt_filter_data_get_f", "fdt_filter_data_add_f"}),
            (std::vector<std::string>{"fdt_filter_data_get_f", "fdt_filter_data_add_f"}));
}

TEST_F(ORLUNE_FILTER_TEST, an_existing_options_record_is_kept_as_it_is) {
  DT_DATA_HEADER_TYPE** list = mvh_filter_data_list_create_f();
  DT_DATA_HEADER_TYPE** record = fdt_filter_data_add_f(list, fourcc_f("SQO1"), 0, 54, 0);
  std::memset(*record + 1, 0xAB, 54);  // the payload follows the header
  mvh_journal_clear();

  orlune_request_f(MSG_REQUEST_1, list);

  EXPECT_EQ(journal_filtered_get_f({"fdt_filter_data_add_f"}).size(), 0u);
  const unsigned char* payload = reinterpret_cast<const unsigned char*>(*record + 1);
  EXPECT_TRUE(std::all_of(payload, payload + 54, [](unsigned char byte) { return byte == 0xAB; }));
  mvh_filter_data_list_dispose(list);
}

TEST_F(ORLUNE_FILTER_TEST, options_record_that_cannot_be_added_stops_the_export_before_the_window) {
  for (MVH_FAULT_MODE_TYPE mode : {MVH_FAULT_WITH_ERROR, MVH_FAULT_SILENT}) {
    SCOPED_TRACE(mode);
    mvh_reset();
    DT_DATA_HEADER_TYPE** list = mvh_filter_data_list_create_f();
    mvh_fault_call_fail("fdt_filter_data_add_f", 1, mode);
    EXPECT_EQ(orlune_request_f(MSG_REQUEST_1, list), 1);
    mvh_fault_call_fail("fdt_filter_data_add_f", 1, mode);
    EXPECT_EQ(orlune_request_f(MSG_REQUEST_4, list), 0);

    void* animation = animation_with_figures_create_f(1);
    mvh_fault_call_fail("fdt_filter_data_add_f", 1, mode);
    const long answer = animation_export_f(animation, 0, 2, scratch_path_get_f("walk.seq"));
    EXPECT_EQ(answer, mode == MVH_FAULT_WITH_ERROR ? 1 : 0);
    EXPECT_EQ(mvh_status_get_f().open_count, 0);
    EXPECT_TRUE(scratch_file_names_get_f().empty());
    resources_released_expect();
  }
}

TEST_F(ORLUNE_FILTER_TEST, freg_registers_the_export_format_in_order) {
  FM_FILE_IDENTIFIER_TYPE identifier = {};
  ASSERT_TRUE(mvh_file_identifier_make_f(&identifier, "/plugins/SEQ Export.flt.dll"));
  mvh_journal_clear();

  EXPECT_EQ(orlune_request_f(MSG_FREG, &identifier), 0);

  EXPECT_EQ(mvh_journal_get_f(),
            (std::vector<std::string>{"fmi_file_identifier_name_get_f", "fme_file_extension_remove",
                                      "fme_file_extension_remove",
                                      "flt_filter_format_register_external_e",
                                      "ffr_file_format_add_f", "ffr_file_format_extension_set_f"}));
  ASSERT_EQ(mvh_filter_registrations_get_f().size(), 1u);
  const MVH_FILTER_REGISTRATION_TYPE& registration = mvh_filter_registrations_get_f()[0];
  EXPECT_EQ(registration.kind, 1);
  EXPECT_EQ(registration.format, FORMAT_ID_SEQ);
  EXPECT_EQ(registration.name, "SEQ Export");
  EXPECT_EQ(registration.identifier_name, "SEQ Export.flt.dll");
  EXPECT_EQ(registration.bitmap, 2703);
  EXPECT_EQ(registration.parameter, 0);
  ASSERT_EQ(mvh_formats_get_f().size(), 1u);
  EXPECT_EQ(mvh_formats_get_f()[0].format, FORMAT_ID_SEQ);
  EXPECT_EQ(mvh_formats_get_f()[0].name, "SEQ Export");
  EXPECT_EQ(mvh_formats_get_f()[0].extension, "seq");
}

TEST_F(ORLUNE_FILTER_TEST, export_shows_the_status_window_and_reads_the_range_end_first) {
  FM_FILE_IDENTIFIER_TYPE plugin_identifier = {};
  ASSERT_TRUE(mvh_file_identifier_make_f(&plugin_identifier, "/plugins/Orlune.seq.dll"));
  orlune_request_f(MSG_FREG, &plugin_identifier);
  void* animation = animation_with_figures_create_f(1);
  mvh_journal_clear();

  EXPECT_EQ(animation_export_f(animation, 0, 2, scratch_path_get_f("walk.seq")), 0);

  const MVH_STATUS_TYPE& status = mvh_status_get_f();
  EXPECT_EQ(status.open_count, 1);
  EXPECT_FALSE(status.open);
  EXPECT_EQ(status.misuse_count, 0);
  EXPECT_EQ(status.title, "Export");
  EXPECT_EQ(status.flag, 1);
  EXPECT_EQ(status.job_type, "Orlune");
  EXPECT_EQ(status.job_object, "walk.seq");
  EXPECT_EQ(journal_filtered_get_f({"stw_status_initialize_e", "efo_export_file_options_end_frame_get_f",
                                    "efo_export_file_options_start_frame_get_f",
                                    "stw_status_range_change_e", "fm_file_create_e", "stw_status_end"}),
            (std::vector<std::string>{"stw_status_initialize_e",
                                      "efo_export_file_options_end_frame_get_f",
                                      "efo_export_file_options_start_frame_get_f",
                                      "stw_status_range_change_e", "fm_file_create_e",
                                      "stw_status_end"}));
}

struct NAMING_CASE_TYPE {
  const char* label;
  int figures;
  std::string destination;
  std::vector<std::string> file_names;  // in figure order
};

class ORLUNE_NAMING_TEST : public ORLUNE_FILTER_TEST,
                           public ::testing::WithParamInterface<NAMING_CASE_TYPE> {};

TEST_P(ORLUNE_NAMING_TEST, every_figure_gets_a_file_of_its_own) {
  const NAMING_CASE_TYPE& naming = GetParam();
  void* animation = animation_with_figures_create_f(naming.figures);

  EXPECT_EQ(animation_export_f(animation, 0, 2, scratch_path_get_f(naming.destination)), 0);

  std::vector<std::string> sorted = naming.file_names;
  std::sort(sorted.begin(), sorted.end());
  EXPECT_EQ(scratch_file_names_get_f(), sorted);
  for (std::size_t index = 0; index < naming.file_names.size(); ++index) {
    file_bytes_expect(scratch_path_get_f(naming.file_names[index]),
                      figure_file_get_f(static_cast<int>(index)));
  }
  EXPECT_EQ(mvh_status_get_f().range_high, 3 * naming.figures);
  resources_released_expect();
}

std::vector<std::string> walk_names_get_f(int figures, const std::string& extension) {
  std::vector<std::string> names;
  for (int index = 0; index < figures; ++index) {
    names.push_back("walk_" + std::to_string(index) + "." + extension);
  }
  return names;
}

INSTANTIATE_TEST_SUITE_P(
    DESTINATIONS, ORLUNE_NAMING_TEST,
    ::testing::Values(
        NAMING_CASE_TYPE{"one_figure_keeps_the_chosen_name", 1, "My Walk.seq", {"My Walk.seq"}},
        NAMING_CASE_TYPE{"one_figure_without_extension_keeps_it_too", 1, "walk", {"walk"}},
        NAMING_CASE_TYPE{"three_figures", 3, "walk.seq", walk_names_get_f(3, "seq")},
        NAMING_CASE_TYPE{"twelve_figures_count_without_leading_zeros", 12, "walk.seq",
                         walk_names_get_f(12, "seq")},
        NAMING_CASE_TYPE{"the_chosen_extension_is_kept", 2, "walk.mot", walk_names_get_f(2, "mot")},
        NAMING_CASE_TYPE{"no_extension_gives_seq", 2, "walk", walk_names_get_f(2, "seq")},
        NAMING_CASE_TYPE{"only_the_last_extension_is_replaced", 2, "walk.v2.seq",
                         {"walk.v2_0.seq", "walk.v2_1.seq"}}),
    case_label_get_f<NAMING_CASE_TYPE>);

TEST_F(ORLUNE_FILTER_TEST, export_stops_after_the_first_figure_that_fails) {
  void* animation = animation_with_figures_create_f(3);
  mvh_fault_call_fail("fm_file_create_e", 2);

  EXPECT_NE(animation_export_f(animation, 0, 2, scratch_path_get_f("walk.seq")), 0);

  EXPECT_EQ(scratch_file_names_get_f(), (std::vector<std::string>{"walk_0.seq"}));
  file_bytes_expect(scratch_path_get_f("walk_0.seq"), figure_file_get_f(0));
  EXPECT_EQ(std::count(mvh_journal_get_f().begin(), mvh_journal_get_f().end(),
                       "anm_animation_figure_get_by_index_f"),
            2);
  resources_released_expect();
}

TEST_F(ORLUNE_FILTER_TEST, animation_without_figures_writes_nothing) {
  void* animation = animation_create_f(30.0f);

  EXPECT_EQ(animation_export_f(animation, 0, 9, scratch_path_get_f("empty.seq")), 0);
  EXPECT_EQ(mvh_status_get_f().range_low, 0);
  EXPECT_EQ(mvh_status_get_f().range_high, 0);
  EXPECT_EQ(mvh_status_get_f().open_count, 1);

  mvh_error_set("an error Movara raised before");
  EXPECT_NE(animation_export_f(animation, 0, 9, scratch_path_get_f("empty.seq")), 0);
  EXPECT_EQ(mvh_error_message_get_f(), "an error Movara raised before");  // neither reset nor replaced

  EXPECT_TRUE(scratch_file_names_get_f().empty());
  resources_released_expect();
}

TEST_F(ORLUNE_FILTER_TEST, export_while_an_error_is_pending_leaves_existing_files_alone) {
  SEQ_BYTES_TYPE old_content;
  old_content.u32(0x7F7F7F7Au).u16(1);
  ASSERT_TRUE(old_content.file_write_f(scratch_path_get_f("walk.seq")));
  void* animation = animation_with_figures_create_f(1);
  mvh_error_set("an error Movara raised before");

  EXPECT_NE(animation_export_f(animation, 0, 2, scratch_path_get_f("walk.seq")), 0);

  file_bytes_expect(scratch_path_get_f("walk.seq"), old_content);
  EXPECT_EQ(mvh_status_get_f().open_count, 1);
  resources_released_expect();
}

TEST_F(ORLUNE_FILTER_TEST, export_without_destination_or_animation_does_nothing) {
  DT_DATA_HEADER_TYPE** list = mvh_filter_data_list_create_f();
  FM_FILE_IDENTIFIER_TYPE destination = {};
  ASSERT_TRUE(mvh_file_identifier_make_f(&destination, scratch_path_get_f("walk.seq")));
  void* animation = animation_with_figures_create_f(1);
  mvh_journal_clear();

  EXPECT_EQ(orlune_request_f(MSG_EXPORT, list, animation, nullptr), 0);
  EXPECT_EQ(orlune_request_f(MSG_EXPORT, list, nullptr, &destination), 0);
  EXPECT_EQ(orlune_request_f(MSG_FREG, nullptr), 0);

  EXPECT_EQ(mvh_journal_get_f(), (std::vector<std::string>{"em_error_occurred_f", "em_error_occurred_f"}));
  EXPECT_TRUE(scratch_file_names_get_f().empty());
  mvh_filter_data_list_dispose(list);
}

}  // namespace
