// All 73 functions link from movara_host, under the names mvh_ reports, and a
// plug-in resolves them at load time.
#include <cstring>

#include "movara_test_support.h"

namespace {

struct FUNCTION_ADDRESS_TYPE {
  const char* name;
  const void* address;
};

template <typename FUNCTION>
const void* address_get_f(FUNCTION* function) {
  const void* address = nullptr;
  static_assert(sizeof(function) == sizeof(address), "function and data pointers differ");
  std::memcpy(&address, &function, sizeof(address));
  return address;
}

#define MOVARA_FUNCTION(name) {#name, address_get_f(&name)}

const FUNCTION_ADDRESS_TYPE movara_functions[] = {
    MOVARA_FUNCTION(fm_file_create_e),
    MOVARA_FUNCTION(fm_file_open_f),
    MOVARA_FUNCTION(fm_file_read_f),
    MOVARA_FUNCTION(fm_file_write_f),
    MOVARA_FUNCTION(fm_file_position_get_f),
    MOVARA_FUNCTION(fm_file_position_set_e),
    MOVARA_FUNCTION(fm_file_type_and_creator_set_e),
    MOVARA_FUNCTION(fm_file_close),
    MOVARA_FUNCTION(fmi_file_identifier_name_get_f),
    MOVARA_FUNCTION(fmi_file_identifier_name_set_f),
    MOVARA_FUNCTION(fmi_file_identifier_copy_e),
    MOVARA_FUNCTION(fme_file_extension_remove),
    MOVARA_FUNCTION(fme_file_extension_get_f),
    MOVARA_FUNCTION(fp_file_path_file_name_get),
    MOVARA_FUNCTION(ffr_file_format_add_f),
    MOVARA_FUNCTION(ffr_file_format_extension_set_f),
    MOVARA_FUNCTION(ffr_file_format_get_f),
    MOVARA_FUNCTION(ffr_file_format_name_get_f),
    MOVARA_FUNCTION(flt_filter_format_register_external_e),
    MOVARA_FUNCTION(fdt_filter_data_add_f),
    MOVARA_FUNCTION(fdt_filter_data_get_f),
    MOVARA_FUNCTION(efo_export_file_options_start_frame_get_f),
    MOVARA_FUNCTION(efo_export_file_options_end_frame_get_f),
    MOVARA_FUNCTION(stw_status_initialize_e),
    MOVARA_FUNCTION(stw_status_job_type_name_set_e),
    MOVARA_FUNCTION(stw_status_job_object_name_set_e),
    MOVARA_FUNCTION(stw_status_range_change_e),
    MOVARA_FUNCTION(stw_status_progress_increment_e),
    MOVARA_FUNCTION(stw_status_end),
    MOVARA_FUNCTION(em_error_occurred_f),
    MOVARA_FUNCTION(em_error_reset),
    MOVARA_FUNCTION(mm_pointer_create),
    MOVARA_FUNCTION(mm_pointer_dispose),
    MOVARA_FUNCTION(st_str_copy_f),
    MOVARA_FUNCTION(st_str_equal_f),
    MOVARA_FUNCTION(st_str_length_get_f),
    MOVARA_FUNCTION(st_nprintf_f),
    MOVARA_FUNCTION(anm_animation_create_f),
    MOVARA_FUNCTION(anm_animation_dispose),
    MOVARA_FUNCTION(anm_animation_frame_rate_set),
    MOVARA_FUNCTION(anm_animation_frame_rate_get_f),
    MOVARA_FUNCTION(anm_animation_figure_add_f),
    MOVARA_FUNCTION(anm_animation_figure_count_get_f),
    MOVARA_FUNCTION(anm_animation_figure_get_by_index_f),
    MOVARA_FUNCTION(anm_animations_skeleton_search_f),
    MOVARA_FUNCTION(fig_figure_get_skel),
    MOVARA_FUNCTION(fig_figure_pin_to_floor_set),
    MOVARA_FUNCTION(fig_figure_pin_to_floor_get_f),
    MOVARA_FUNCTION(fig_figure_joint_offset_get),
    MOVARA_FUNCTION(fgf_frame_joint_orientation_key_f),
    MOVARA_FUNCTION(fgf_frame_joint_orientation_get),
    MOVARA_FUNCTION(fgf_frame_joint_orientation_set),
    MOVARA_FUNCTION(fgf_frame_value_key_f),
    MOVARA_FUNCTION(fgf_frame_value_get_f),
    MOVARA_FUNCTION(fgf_frame_value_set_f),
    MOVARA_FUNCTION(skl_skeleton_skel_create_f),
    MOVARA_FUNCTION(skl_skeleton_joint_create_f),
    MOVARA_FUNCTION(skl_skeleton_part_object_attach_f),
    MOVARA_FUNCTION(skl_skeleton_skel_completed_f),
    MOVARA_FUNCTION(skl_skeleton_dispose),
    MOVARA_FUNCTION(skl_skeleton_joint_id_get_f),
    MOVARA_FUNCTION(skl_skeleton_joint_count_get_f),
    MOVARA_FUNCTION(skl_skeleton_root_id_get_f),
    MOVARA_FUNCTION(sk_skeleton_model_file_path_get_f),
    MOVARA_FUNCTION(sk_skeleton_model_creator_get_f),
    MOVARA_FUNCTION(skj_joint_internal_name_get_e),
    MOVARA_FUNCTION(skj_joint_name_get_e),
    MOVARA_FUNCTION(hms_human_skeleton_check_f),
    MOVARA_FUNCTION(pob_part_object_obj_create_f),
    MOVARA_FUNCTION(pob_part_object_cube_add),
    MOVARA_FUNCTION(qt_normalize),
    MOVARA_FUNCTION(qt_to_angles_yxz),
    MOVARA_FUNCTION(qt_angles_to_quat),
};

#undef MOVARA_FUNCTION

}  // namespace

TEST(MOVARA_LINK_TEST, all_73_functions_link_under_the_names_the_journal_uses) {
  constexpr std::size_t count = sizeof(movara_functions) / sizeof(movara_functions[0]);
  ASSERT_EQ(count, 73u);
  const std::vector<std::string>& names = mvh_function_names_get_f();
  ASSERT_EQ(names.size(), count);
  for (std::size_t i = 0; i < count; ++i) {
    EXPECT_NE(movara_functions[i].address, nullptr) << movara_functions[i].name;
    EXPECT_EQ(names[i], movara_functions[i].name);
    for (std::size_t j = 0; j < i; ++j) {
      EXPECT_NE(movara_functions[i].address, movara_functions[j].address) << movara_functions[i].name;
    }
  }
}

TEST(MOVARA_LINK_TEST, fallible_list_is_the_documented_one) {
  const char* fallible[] = {
      "fm_file_create_e", "fm_file_open_f", "fm_file_read_f", "fm_file_write_f", "fm_file_position_set_e",
      "fm_file_type_and_creator_set_e", "mm_pointer_create", "anm_animation_create_f",
      "anm_animation_figure_add_f", "skl_skeleton_skel_create_f", "skl_skeleton_joint_create_f",
      "skl_skeleton_part_object_attach_f", "skl_skeleton_skel_completed_f", "pob_part_object_obj_create_f",
      "pob_part_object_cube_add", "fdt_filter_data_add_f", "fgf_frame_value_set_f",
      "fgf_frame_joint_orientation_set", "stw_status_initialize_e"};
  std::size_t listed = 0;
  for (const std::string& name : mvh_function_names_get_f()) {
    bool expected = false;
    for (const char* entry : fallible) expected = expected || name == entry;
    EXPECT_EQ(mvh_function_fallible_f(name), expected) << name;
    if (expected) ++listed;
  }
  EXPECT_EQ(listed, sizeof(fallible) / sizeof(fallible[0]));
  EXPECT_FALSE(mvh_function_fallible_f("no_such_function_f"));
}

TEST(MOVARA_LINK_TEST, decorated_entry_point_names_carry_movaras_long) {
#if defined(_WIN32)
  EXPECT_STREQ(mvh_plugin_user_function_symbol_f(), "_Z23library_user_function_flPvS_S_S_S_S_S_S_");
  EXPECT_STREQ(mvh_plugin_default_function_symbol_f(), "_Z30lbf_library_function_default_flPvS_S_S_S_S_S_S_");
#else
  EXPECT_STREQ(mvh_plugin_user_function_symbol_f(), "_Z23library_user_function_fiPvS_S_S_S_S_S_S_");
  EXPECT_STREQ(mvh_plugin_default_function_symbol_f(), "_Z30lbf_library_function_default_fiPvS_S_S_S_S_S_S_");
#endif
}

class MOVARA_PLUGIN_TEST : public MOVARA_TEST_TYPE {};

TEST_F(MOVARA_PLUGIN_TEST, loads_a_module_resolves_its_entry_points_and_its_movara_calls) {
  MVH_PLUGIN_TYPE plugin;
  std::string error;
  ASSERT_TRUE(mvh_plugin_load_f(MOVARA_PROBE_MODULE_PATH, &plugin, &error)) << error;
  EXPECT_NE(plugin.module, nullptr);
  EXPECT_NE(plugin.main, nullptr);
  EXPECT_NE(plugin.library_user_function, nullptr);
  EXPECT_NE(plugin.library_function_default, nullptr);
  EXPECT_EQ(plugin.path, MOVARA_PROBE_MODULE_PATH);

  void* animation = anm_animation_create_f();
  void* figure = anm_animation_figure_add_f(animation, nullptr, 1);
  EXPECT_EQ(mvh_plugin_request_f(plugin, 100, animation), 1);
  EXPECT_EQ(mvh_plugin_request_f(plugin, 101, figure), 0);
  std::vector<MVH_VALUE_KEY_TYPE> keys = mvh_figure_value_keys_get_f(figure, CHANNEL_TRANSLATION_X);
  ASSERT_EQ(keys.size(), 1u);
  EXPECT_EQ(keys[0].frame, 3);
  EXPECT_EQ(keys[0].value, 7.5f);
  // The frame answers the library messages; unknown requests are not handled.
  EXPECT_EQ(mvh_plugin_request_f(plugin, MSG_LIBS), ANSWER_HANDLED);
  EXPECT_EQ(mvh_plugin_request_f(plugin, 3), ANSWER_NOT_HANDLED);
  EXPECT_EQ(plugin.library_function_default(MSG_LIBR, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                            nullptr, nullptr),
            ANSWER_HANDLED);
  EXPECT_EQ(plugin.library_user_function(100, animation, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                         nullptr),
            1);
  mvh_plugin_unload(&plugin);
  EXPECT_EQ(plugin.module, nullptr);
  EXPECT_EQ(plugin.main, nullptr);
}

TEST_F(MOVARA_PLUGIN_TEST, a_missing_module_is_refused_with_a_reason) {
  MVH_PLUGIN_TYPE plugin;
  std::string error;
  EXPECT_FALSE(mvh_plugin_load_f(path_get_f("no_such_plugin.so"), &plugin, &error));
  EXPECT_NE(error.find("no_such_plugin.so"), std::string::npos) << error;
  EXPECT_EQ(plugin.main, nullptr);
  EXPECT_EQ(mvh_plugin_request_f(plugin, 1), ANSWER_NOT_HANDLED);
}

TEST_F(MOVARA_PLUGIN_TEST, a_module_without_main_is_refused) {
#if defined(_WIN32)
  GTEST_SKIP() << "the host library is the module without main";
#else
  // The stand-in's own library is a module that exports no `main`.
  MVH_PLUGIN_TYPE plugin;
  std::string error;
  EXPECT_FALSE(mvh_plugin_load_f(MOVARA_HOST_LIBRARY_PATH, &plugin, &error));
  EXPECT_NE(error.find("main"), std::string::npos) << error;
#endif
}
