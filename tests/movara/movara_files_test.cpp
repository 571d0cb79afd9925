// Files, identifiers, extensions, paths, formats, registrations and
// filter-data lists.
#include <cstring>

#include "movara_test_support.h"

namespace {

class MOVARA_FILES_TEST : public MOVARA_TEST_TYPE {};

TEST_F(MOVARA_FILES_TEST, short_read_sets_the_error_naming_the_file_and_the_byte_counts) {
  file_put("walk.seq", std::vector<unsigned char>(14, 0xAB));
  FM_FILE_IDENTIFIER_TYPE identifier = identifier_get_f("walk.seq");
  MOVARA_LONG_TYPE file = fm_file_open_f(&identifier, 1);
  ASSERT_NE(file, FM_FILE_NONE);
  EXPECT_FALSE(em_error_occurred_f());
  char buffer[32];
  std::memset(buffer, 0, sizeof(buffer));
  EXPECT_EQ(fm_file_read_f(file, buffer, 20), 14);
  EXPECT_TRUE(em_error_occurred_f());
  EXPECT_EQ(mvh_error_message_get_f(), "file walk.seq ended after 14 of 20 bytes");
  EXPECT_EQ(static_cast<unsigned char>(buffer[13]), 0xAB);
  EXPECT_EQ(buffer[14], 0);
  fm_file_close(file);
  EXPECT_EQ(mvh_open_file_count_get_f(), 0);
}

TEST_F(MOVARA_FILES_TEST, the_first_message_stays_until_reset) {
  file_put("short.seq", {1, 2, 3});
  FM_FILE_IDENTIFIER_TYPE identifier = identifier_get_f("short.seq");
  MOVARA_LONG_TYPE file = fm_file_open_f(&identifier, 1);
  char buffer[8];
  fm_file_read_f(file, buffer, 4);
  fm_file_read_f(file, buffer, 4);
  EXPECT_EQ(mvh_error_message_get_f(), "file short.seq ended after 3 of 4 bytes");
  em_error_reset();
  EXPECT_FALSE(em_error_occurred_f());
  EXPECT_EQ(mvh_error_message_get_f(), "");
  fm_file_read_f(file, buffer, 4);
  EXPECT_EQ(mvh_error_message_get_f(), "file short.seq ended after 0 of 4 bytes");
  fm_file_close(file);
}

// An error message that ends in the operating system's reason: strerror's text
// on POSIX systems. On Windows the reason is the system's message, whose text
// differs between Windows versions and Wine, so there only its presence counts.
void os_error_message_expect(const std::string& context, const std::string& posix_reason) {
#if defined(_WIN32)
  static_cast<void>(posix_reason);
  const std::string message = mvh_error_message_get_f();
  EXPECT_EQ(message.rfind(context + ": ", 0), 0u) << message;
  EXPECT_GT(message.size(), context.size() + 2) << message;
#else
  EXPECT_EQ(mvh_error_message_get_f(), context + ": " + posix_reason);
#endif
}

TEST_F(MOVARA_FILES_TEST, opening_a_missing_file_sets_the_error_and_answers_none) {
  FM_FILE_IDENTIFIER_TYPE identifier = identifier_get_f("walk.seq");
  EXPECT_EQ(fm_file_open_f(&identifier, 1), FM_FILE_NONE);
  EXPECT_TRUE(em_error_occurred_f());
  os_error_message_expect("cannot open walk.seq", "No such file or directory");
  EXPECT_EQ(mvh_open_file_count_get_f(), 0);
}

TEST_F(MOVARA_FILES_TEST, write_mode_needs_an_existing_file_and_truncates_it) {
  FM_FILE_IDENTIFIER_TYPE identifier = identifier_get_f("out.seq");
  EXPECT_EQ(fm_file_open_f(&identifier, 0), FM_FILE_NONE);
  EXPECT_TRUE(em_error_occurred_f());
  em_error_reset();
  file_put("out.seq", {9, 9, 9, 9, 9, 9});
  MOVARA_LONG_TYPE file = fm_file_open_f(&identifier, 0);
  ASSERT_NE(file, FM_FILE_NONE);
  char data[] = {1, 2, 3};
  EXPECT_EQ(fm_file_write_f(file, data, 3), 3);
  fm_file_close(file);
  EXPECT_FALSE(em_error_occurred_f());
  EXPECT_EQ(file_get_f("out.seq"), (std::vector<unsigned char>{1, 2, 3}));
}

TEST_F(MOVARA_FILES_TEST, create_makes_or_truncates_the_file_and_fails_in_a_missing_folder) {
  file_put("made.seq", {5, 5});
  FM_FILE_IDENTIFIER_TYPE identifier = identifier_get_f("made.seq");
  EXPECT_EQ(fm_file_create_e(&identifier), 0);
  EXPECT_FALSE(em_error_occurred_f());
  EXPECT_TRUE(file_get_f("made.seq").empty());
  FM_FILE_IDENTIFIER_TYPE missing = identifier_get_f("no_folder/made.seq");
  EXPECT_NE(fm_file_create_e(&missing), 0);
  EXPECT_TRUE(em_error_occurred_f());
  os_error_message_expect("cannot create made.seq", "No such file or directory");
}

TEST_F(MOVARA_FILES_TEST, type_and_creator_are_recorded_per_path) {
  FM_FILE_IDENTIFIER_TYPE identifier = identifier_get_f("typed.seq");
  ASSERT_EQ(fm_file_create_e(&identifier), 0);
  EXPECT_EQ(fm_file_type_and_creator_set_e(&identifier, FILE_TYPE_CMPS, FORMAT_ID_SEQ), 0);
  EXPECT_EQ(mvh_file_type_get_f(path_get_f("typed.seq")), FILE_TYPE_CMPS);
  EXPECT_EQ(mvh_file_creator_get_f(path_get_f("typed.seq")), FORMAT_ID_SEQ);
  EXPECT_EQ(mvh_file_type_get_f(path_get_f("other.seq")), 0);
  FM_FILE_IDENTIFIER_TYPE absent = identifier_get_f("absent.seq");
  EXPECT_NE(fm_file_type_and_creator_set_e(&absent, FILE_TYPE_CMPS, FORMAT_ID_SEQ), 0);
  EXPECT_TRUE(em_error_occurred_f());
}

TEST_F(MOVARA_FILES_TEST, positions_from_the_start_and_from_the_current_position) {
  std::vector<unsigned char> bytes;
  for (int i = 0; i < 64; ++i) bytes.push_back(static_cast<unsigned char>(i));
  file_put("positions.bin", bytes);
  FM_FILE_IDENTIFIER_TYPE identifier = identifier_get_f("positions.bin");
  MOVARA_LONG_TYPE file = fm_file_open_f(&identifier, 1);
  ASSERT_NE(file, FM_FILE_NONE);
  EXPECT_EQ(fm_file_position_get_f(file), 0);
  char byte = 0;
  fm_file_read_f(file, &byte, 1);
  EXPECT_EQ(fm_file_position_get_f(file), 1);
  EXPECT_EQ(fm_file_position_set_e(file, 10, 0), 0);
  EXPECT_EQ(fm_file_position_get_f(file), 10);
  fm_file_read_f(file, &byte, 1);
  EXPECT_EQ(byte, 10);
  EXPECT_EQ(fm_file_position_set_e(file, 20, 1), 0);
  EXPECT_EQ(fm_file_position_get_f(file), 31);
  EXPECT_EQ(fm_file_position_set_e(file, -6, 1), 0);
  fm_file_read_f(file, &byte, 1);
  EXPECT_EQ(byte, 25);
  EXPECT_FALSE(em_error_occurred_f());
  // Before the start: refused, position kept.
  EXPECT_NE(fm_file_position_set_e(file, -100, 1), 0);
  EXPECT_TRUE(em_error_occurred_f());
  EXPECT_EQ(fm_file_position_get_f(file), 26);
  em_error_reset();
  EXPECT_NE(fm_file_position_set_e(file, 0, 2), 0);
  EXPECT_TRUE(em_error_occurred_f());
  em_error_reset();
  // Past the end is allowed; reading there is a short read.
  EXPECT_EQ(fm_file_position_set_e(file, 100, 0), 0);
  EXPECT_EQ(fm_file_read_f(file, &byte, 1), 0);
  EXPECT_TRUE(em_error_occurred_f());
  fm_file_close(file);
}

TEST_F(MOVARA_FILES_TEST, handles_are_small_positive_numbers_and_unknown_ones_are_refused) {
  file_put("a.bin", {1});
  FM_FILE_IDENTIFIER_TYPE identifier = identifier_get_f("a.bin");
  MOVARA_LONG_TYPE first = fm_file_open_f(&identifier, 1);
  MOVARA_LONG_TYPE second = fm_file_open_f(&identifier, 1);
  EXPECT_EQ(first, 1);
  EXPECT_EQ(second, 2);
  EXPECT_EQ(mvh_open_file_count_get_f(), 2);
  fm_file_close(first);
  EXPECT_EQ(fm_file_open_f(&identifier, 1), 1);
  fm_file_close(1);
  fm_file_close(2);
  fm_file_close(77);  // unknown: nothing
  EXPECT_FALSE(em_error_occurred_f());
  char byte;
  EXPECT_EQ(fm_file_read_f(77, &byte, 1), 0);
  EXPECT_TRUE(em_error_occurred_f());
  EXPECT_EQ(mvh_open_file_count_get_f(), 0);
}

TEST_F(MOVARA_FILES_TEST, reading_a_write_handle_and_writing_a_read_handle_are_errors) {
  file_put("rw.bin", {1, 2});
  FM_FILE_IDENTIFIER_TYPE identifier = identifier_get_f("rw.bin");
  MOVARA_LONG_TYPE reading = fm_file_open_f(&identifier, 1);
  char data[2] = {0, 0};
  fm_file_write_f(reading, data, 2);
  EXPECT_TRUE(em_error_occurred_f());
  fm_file_close(reading);
  em_error_reset();
  MOVARA_LONG_TYPE writing = fm_file_open_f(&identifier, 0);
  fm_file_read_f(writing, data, 1);
  EXPECT_TRUE(em_error_occurred_f());
  fm_file_close(writing);
}

TEST_F(MOVARA_FILES_TEST, identifiers_split_paths_and_begin_with_the_name) {
  FM_FILE_IDENTIFIER_TYPE identifier;
  ASSERT_TRUE(mvh_file_identifier_make_f(&identifier, "/tmp/anims/walk.seq"));
  EXPECT_STREQ(identifier.name, "walk.seq");
  EXPECT_STREQ(identifier.folder, "/tmp/anims");
  EXPECT_EQ(mvh_file_identifier_path_get_f(&identifier), "/tmp/anims/walk.seq");
  EXPECT_STREQ(reinterpret_cast<char*>(&identifier), "walk.seq");
  ASSERT_TRUE(mvh_file_identifier_make_f(&identifier, "walk.seq"));
  EXPECT_STREQ(identifier.folder, "");
  EXPECT_EQ(mvh_file_identifier_path_get_f(&identifier), "walk.seq");
  ASSERT_TRUE(mvh_file_identifier_make_f(&identifier, "/walk.seq"));
  EXPECT_EQ(mvh_file_identifier_path_get_f(&identifier), "/walk.seq");
  EXPECT_FALSE(mvh_file_identifier_make_f(&identifier, std::string(300, 'n')));

  char name[256];
  ASSERT_TRUE(mvh_file_identifier_make_f(&identifier, "/tmp/anims/walk.seq"));
  EXPECT_TRUE(fmi_file_identifier_name_get_f(&identifier, name, 256));
  EXPECT_STREQ(name, "walk.seq");
  EXPECT_FALSE(fmi_file_identifier_name_get_f(&identifier, name, 5));
  EXPECT_STREQ(name, "walk");
  FM_FILE_IDENTIFIER_TYPE copy;
  fmi_file_identifier_copy_e(&identifier, &copy);
  EXPECT_EQ(fmi_file_identifier_name_set_f(&copy, text_f("walk_1.seq")), 0);
  EXPECT_EQ(mvh_file_identifier_path_get_f(&copy), "/tmp/anims/walk_1.seq");
  EXPECT_EQ(mvh_file_identifier_path_get_f(&identifier), "/tmp/anims/walk.seq");
  EXPECT_NE(fmi_file_identifier_name_set_f(&copy, text_f(std::string(256, 'x').c_str())), 0);
  EXPECT_STREQ(copy.name, "walk_1.seq");
}

struct EXTENSION_CASE_TYPE {
  const char* name;
  const char* without;
  const char* extension;
  bool has_extension;
};

class MOVARA_EXTENSION_TEST : public MOVARA_TEST_TYPE, public ::testing::WithParamInterface<EXTENSION_CASE_TYPE> {};

TEST_P(MOVARA_EXTENSION_TEST, the_extension_is_the_text_after_the_last_point) {
  const EXTENSION_CASE_TYPE& c = GetParam();
  char without[256];
  char extension[256];
  fme_file_extension_remove(text_f(c.name), without, 256);
  EXPECT_STREQ(without, c.without);
  EXPECT_EQ(fme_file_extension_get_f(text_f(c.name), extension) != 0, c.has_extension);
  EXPECT_STREQ(extension, c.extension);
}

INSTANTIATE_TEST_SUITE_P(NAMES, MOVARA_EXTENSION_TEST,
                         ::testing::Values(EXTENSION_CASE_TYPE{"walk.seq", "walk", "seq", true},
                                           EXTENSION_CASE_TYPE{"Vestan.dll.dll", "Vestan.dll", "dll", true},
                                           EXTENSION_CASE_TYPE{"walk", "walk", "", false},
                                           EXTENSION_CASE_TYPE{"walk.", "walk", "", true},
                                           EXTENSION_CASE_TYPE{".seq", "", "seq", true},
                                           EXTENSION_CASE_TYPE{"", "", "", false},
                                           EXTENSION_CASE_TYPE{"a.b.c.SEQ", "a.b.c", "SEQ", true}));

TEST_F(MOVARA_FILES_TEST, extension_removal_is_bounded_by_size) {
  char result[6];
  std::memset(result, 'Z', sizeof(result));
  fme_file_extension_remove(text_f("longname.seq"), result, 5);
  EXPECT_STREQ(result, "long");
  EXPECT_EQ(result[5], 'Z');
}

TEST_F(MOVARA_FILES_TEST, path_file_name_is_the_last_component) {
  void* skeleton = skl_skeleton_skel_create_f(text_f("walker"));
  char name[256];
  fp_file_path_file_name_get(sk_skeleton_model_file_path_get_f(static_cast<DT_DATA_DIRECTORY_TYPE**>(skeleton)),
                             name, 256);
  EXPECT_STREQ(name, "");
  mvh_skeleton_model_set(skeleton, fourcc_f("CR2 "), "/models/people/walker.cr2");
  FP_FILE_PATH_TYPE** path = sk_skeleton_model_file_path_get_f(static_cast<DT_DATA_DIRECTORY_TYPE**>(skeleton));
  ASSERT_NE(path, nullptr);
  EXPECT_STREQ((*path)->text, "/models/people/walker.cr2");
  fp_file_path_file_name_get(path, name, 256);
  EXPECT_STREQ(name, "walker.cr2");
  mvh_skeleton_model_set(skeleton, 0, "C:\\Models\\runner.cr2");
  fp_file_path_file_name_get(path, name, 256);
  EXPECT_STREQ(name, "runner.cr2");
  skl_skeleton_dispose(skeleton);
}

// Classification by extension: cases differ only in data.
struct FORMAT_CASE_TYPE {
  const char* name;
  MOVARA_LONG_TYPE format;
};

class MOVARA_FORMAT_TEST : public MOVARA_TEST_TYPE, public ::testing::WithParamInterface<FORMAT_CASE_TYPE> {};

TEST_P(MOVARA_FORMAT_TEST, classifies_by_registered_extension_ignoring_case) {
  ASSERT_TRUE(ffr_file_format_add_f(FORMAT_ID_SEQ, text_f("Vestan")));
  ASSERT_TRUE(ffr_file_format_extension_set_f(FORMAT_ID_SEQ, text_f("seq")));
  ASSERT_TRUE(ffr_file_format_add_f(fourcc_f(".bvh"), text_f("Biovision")));
  ASSERT_TRUE(ffr_file_format_extension_set_f(fourcc_f(".bvh"), text_f("bvh")));
  FM_FILE_IDENTIFIER_TYPE identifier;
  ASSERT_TRUE(mvh_file_identifier_make_f(&identifier, std::string("/anims/") + GetParam().name));
  EXPECT_EQ(ffr_file_format_get_f(&identifier), GetParam().format) << GetParam().name;
  EXPECT_FALSE(em_error_occurred_f());
}

INSTANTIATE_TEST_SUITE_P(NAMES, MOVARA_FORMAT_TEST,
                         ::testing::Values(FORMAT_CASE_TYPE{"walk.seq", FORMAT_ID_SEQ},
                                           FORMAT_CASE_TYPE{"WALK.SEQ", FORMAT_ID_SEQ},
                                           FORMAT_CASE_TYPE{"walk.Seq", FORMAT_ID_SEQ},
                                           FORMAT_CASE_TYPE{"walk.bvh.seq", FORMAT_ID_SEQ},
                                           FORMAT_CASE_TYPE{".seq", FORMAT_ID_SEQ},
                                           FORMAT_CASE_TYPE{"walk.bvh", fourcc_f(".bvh")},
                                           FORMAT_CASE_TYPE{"walk", 0},
                                           FORMAT_CASE_TYPE{"walk.", 0},
                                           FORMAT_CASE_TYPE{"walk.seq.bak", 0},
                                           FORMAT_CASE_TYPE{"walk.sequence", 0},
                                           FORMAT_CASE_TYPE{"walk.txt", 0}));

TEST_F(MOVARA_FILES_TEST, format_names_and_registrations_are_kept) {
  char name[256];
  EXPECT_FALSE(ffr_file_format_name_get_f(FORMAT_ID_SEQ, name, 256));
  EXPECT_STREQ(name, "");
  EXPECT_FALSE(ffr_file_format_extension_set_f(FORMAT_ID_SEQ, text_f("seq")));
  ffr_file_format_add_f(FORMAT_ID_SEQ, text_f("Orlune"));
  ffr_file_format_extension_set_f(FORMAT_ID_SEQ, text_f("seq"));
  EXPECT_TRUE(ffr_file_format_name_get_f(FORMAT_ID_SEQ, name, 256));
  EXPECT_STREQ(name, "Orlune");
  ffr_file_format_name_get_f(FORMAT_ID_SEQ, name, 4);
  EXPECT_STREQ(name, "Orl");
  ASSERT_EQ(mvh_formats_get_f().size(), 1u);
  EXPECT_EQ(mvh_formats_get_f()[0].extension, "seq");

  FM_FILE_IDENTIFIER_TYPE identifier;
  mvh_file_identifier_make_f(&identifier, "/plugins/Orlune.dll.dll");
  flt_filter_format_register_external_e(1, FORMAT_ID_SEQ, text_f("Orlune"), &identifier, 2703, 0);
  ASSERT_EQ(mvh_filter_registrations_get_f().size(), 1u);
  const MVH_FILTER_REGISTRATION_TYPE& registration = mvh_filter_registrations_get_f()[0];
  EXPECT_EQ(registration.kind, 1);
  EXPECT_EQ(registration.format, FORMAT_ID_SEQ);
  EXPECT_EQ(registration.name, "Orlune");
  EXPECT_EQ(registration.identifier_name, "Orlune.dll.dll");
  EXPECT_EQ(registration.bitmap, 2703);
  EXPECT_EQ(registration.parameter, 0);
}

TEST_F(MOVARA_FILES_TEST, filter_data_records_are_get_or_add_by_tag_and_index) {
  DT_DATA_HEADER_TYPE** list = mvh_filter_data_list_create_f();
  ASSERT_NE(list, nullptr);
  ASSERT_NE(*list, nullptr);
  EXPECT_EQ((*list)->tag, 0);
  const MOVARA_LONG_TYPE tag = fourcc_f("SQO1");
  EXPECT_EQ(fdt_filter_data_get_f(list, tag, 0), nullptr);
  EXPECT_FALSE(em_error_occurred_f());
  DT_DATA_HEADER_TYPE** record = fdt_filter_data_add_f(list, tag, 0, 54, 0);
  ASSERT_NE(record, nullptr);
  EXPECT_EQ((*record)->tag, tag);
  EXPECT_EQ((*record)->index, 0);
  EXPECT_EQ((*record)->size, 54);
  const unsigned char* payload = reinterpret_cast<const unsigned char*>(*record) + sizeof(DT_DATA_HEADER_TYPE);
  for (int i = 0; i < 54; ++i) EXPECT_EQ(payload[i], 0) << i;
  reinterpret_cast<unsigned char*>(*record)[sizeof(DT_DATA_HEADER_TYPE) + 53] = 0x5A;
  EXPECT_EQ(fdt_filter_data_get_f(list, tag, 0), record);
  EXPECT_EQ(fdt_filter_data_add_f(list, tag, 0, 54, 0), record);  // already there: the same record
  EXPECT_EQ(payload[53], 0x5A);
  DT_DATA_HEADER_TYPE** second = fdt_filter_data_add_f(list, tag, 1, 8, 0);
  ASSERT_NE(second, nullptr);
  EXPECT_NE(second, record);
  EXPECT_EQ(fdt_filter_data_get_f(list, tag, 1), second);
  EXPECT_EQ(mvh_filter_data_record_count_get_f(list), 2);
  EXPECT_EQ(fdt_filter_data_get_f(list, fourcc_f("SQO2"), 0), nullptr);
  mvh_filter_data_list_dispose(list);
  EXPECT_FALSE(em_error_occurred_f());
}

TEST_F(MOVARA_FILES_TEST, filter_data_on_a_non_list_is_an_error) {
  DT_DATA_HEADER_TYPE* bogus = nullptr;
  EXPECT_EQ(fdt_filter_data_add_f(&bogus, 1, 0, 4, 0), nullptr);
  EXPECT_TRUE(em_error_occurred_f());
  em_error_reset();
  DT_DATA_HEADER_TYPE** list = mvh_filter_data_list_create_f();
  EXPECT_EQ(fdt_filter_data_add_f(list, 1, 0, -4, 0), nullptr);
  EXPECT_TRUE(em_error_occurred_f());
}

TEST_F(MOVARA_FILES_TEST, export_range_comes_from_the_export_options_record) {
  DT_DATA_HEADER_TYPE** list = mvh_filter_data_list_create_f();
  EXPECT_EQ(efo_export_file_options_start_frame_get_f(list), 0);
  EXPECT_EQ(efo_export_file_options_end_frame_get_f(list), 0);
  mvh_export_options_set(list, 10, 99);
  EXPECT_EQ(efo_export_file_options_start_frame_get_f(list), 10);
  EXPECT_EQ(efo_export_file_options_end_frame_get_f(list), 99);
  mvh_export_options_set(list, 0, 29999);
  EXPECT_EQ(efo_export_file_options_start_frame_get_f(list), 0);
  EXPECT_EQ(efo_export_file_options_end_frame_get_f(list), 29999);
  EXPECT_EQ(mvh_filter_data_record_count_get_f(list), 1);
  DT_DATA_HEADER_TYPE** record = fdt_filter_data_get_f(list, MVH_EXPORT_OPTIONS_TAG, 0);
  ASSERT_NE(record, nullptr);
  EXPECT_EQ((*record)->size, 8);
  EXPECT_FALSE(em_error_occurred_f());
}

}  // namespace
