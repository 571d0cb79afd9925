// Animations, figures, skeletons, joints, part objects and the stock male.
#include <cstring>

#include "movara_test_support.h"

namespace {

class MOVARA_MODEL_TEST : public MOVARA_TEST_TYPE {
 protected:
  // A completed skeleton with the given joints, as the SEQ reader builds it.
  static void* skeleton_build_f(const char* name, const std::vector<const char*>& joints) {
    void* skeleton = skl_skeleton_skel_create_f(text_f(name));
    for (const char* joint : joints) {
      short id = skl_skeleton_joint_create_f(skeleton, text_f(joint));
      void* object = pob_part_object_obj_create_f(0);
      skl_skeleton_part_object_attach_f(skeleton, id, object);
      pob_part_object_cube_add(object, 1.0f, 1.0f, 1.0f, 0);
    }
    skl_skeleton_skel_completed_f(skeleton, text_f(""));
    return skeleton;
  }
  static DT_DATA_DIRECTORY_TYPE** directory_get_f(void* skeleton) {
    return static_cast<DT_DATA_DIRECTORY_TYPE**>(skeleton);
  }
};

TEST_F(MOVARA_MODEL_TEST, new_animation_runs_at_30_without_figures) {
  void* animation = anm_animation_create_f();
  ASSERT_NE(animation, failed_animation_get_f());
  ASSERT_NE(animation, nullptr);
  EXPECT_TRUE(mvh_animation_live_f(animation));
  EXPECT_EQ(anm_animation_frame_rate_get_f(animation), 30.0f);
  EXPECT_EQ(anm_animation_figure_count_get_f(animation), 0);
  EXPECT_EQ(anm_animation_figure_get_by_index_f(animation, 0), nullptr);
  anm_animation_frame_rate_set(animation, 60.0f);
  EXPECT_EQ(anm_animation_frame_rate_get_f(animation), 60.0f);
  EXPECT_EQ(mvh_animation_count_get_f(), 1);
  EXPECT_EQ(mvh_animations_get_f(), std::vector<void*>{animation});
  anm_animation_dispose(animation);
  EXPECT_EQ(mvh_animation_count_get_f(), 0);
  EXPECT_FALSE(mvh_animation_live_f(animation));
  EXPECT_FALSE(em_error_occurred_f());
}

TEST_F(MOVARA_MODEL_TEST, animation_create_answers_minus_one_under_a_fault) {
  mvh_fault_call_fail("anm_animation_create_f", 1);
  EXPECT_EQ(anm_animation_create_f(), failed_animation_get_f());
  EXPECT_TRUE(em_error_occurred_f());
  EXPECT_TRUE(mvh_fault_fired_f());
  EXPECT_EQ(mvh_animation_count_get_f(), 0);
  // Disposing of Movara's "no animation" does nothing.
  anm_animation_dispose(failed_animation_get_f());
  anm_animation_dispose(nullptr);
  EXPECT_EQ(mvh_handle_misuse_count_get_f(), 0);
}

TEST_F(MOVARA_MODEL_TEST, stock_male_shape) {
  void* animation = anm_animation_create_f();
  void* figure = anm_animation_figure_add_f(animation, nullptr, 1);
  ASSERT_NE(figure, nullptr);
  void* skeleton = fig_figure_get_skel(figure);
  ASSERT_NE(skeleton, nullptr);
  DT_DATA_DIRECTORY_TYPE** directory = directory_get_f(skeleton);
  EXPECT_EQ(mvh_skeleton_name_get_f(skeleton), "male");
  EXPECT_EQ(skl_skeleton_joint_count_get_f(skeleton), 19);
  EXPECT_EQ(skl_skeleton_root_id_get_f(skeleton), 0);
  EXPECT_EQ(sk_skeleton_model_creator_get_f(directory), MODEL_CREATOR_MALE);
  EXPECT_EQ(sk_skeleton_model_file_path_get_f(directory), nullptr);
  EXPECT_TRUE(hms_human_skeleton_check_f(directory));
  EXPECT_TRUE(mvh_skeleton_completed_f(skeleton));
  char name[256];
  char internal_name[256];
  EXPECT_EQ(skj_joint_name_get_e(directory, 0, name), 0);
  EXPECT_EQ(skj_joint_internal_name_get_e(directory, 0, internal_name), 0);
  EXPECT_STREQ(name, "Hip");
  EXPECT_STREQ(internal_name, "hip");
  for (short joint = 0; joint < 19; ++joint) {
    skj_joint_name_get_e(directory, joint, name);
    skj_joint_internal_name_get_e(directory, joint, internal_name);
    EXPECT_STRNE(name, internal_name) << joint;
    EXPECT_GT(std::strlen(name), 0u);
    EXPECT_EQ(skl_skeleton_joint_id_get_f(skeleton, name), joint);
    EXPECT_EQ(skl_skeleton_joint_id_get_f(skeleton, internal_name), joint);
  }
  coord3 offset{1.0f, 1.0f, 1.0f};
  fig_figure_joint_offset_get(figure, 0, &offset);
  EXPECT_EQ(offset.x, 0.0f);
  EXPECT_EQ(offset.y, MVH_STOCK_MALE_HIP_HEIGHT);
  EXPECT_EQ(offset.z, 0.0f);
  EXPECT_FALSE(em_error_occurred_f());
  // A new copy for every figure.
  void* second = anm_animation_figure_add_f(animation, nullptr, 1);
  EXPECT_NE(fig_figure_get_skel(second), skeleton);
  EXPECT_EQ(anm_animation_figure_count_get_f(animation), 2);
  EXPECT_EQ(anm_animation_figure_get_by_index_f(animation, 1), second);
  EXPECT_EQ(mvh_skeleton_count_get_f(), 2);
  EXPECT_EQ(mvh_skeleton_loose_count_get_f(), 0);
  anm_animation_dispose(animation);
  EXPECT_EQ(mvh_skeleton_count_get_f(), 0);
}

// Joint ids by name: cases differ only in data.
struct JOINT_NAME_CASE_TYPE {
  const char* name;
  short id;
};

class MOVARA_JOINT_NAME_TEST : public MOVARA_MODEL_TEST, public ::testing::WithParamInterface<JOINT_NAME_CASE_TYPE> {};

TEST_P(MOVARA_JOINT_NAME_TEST, stock_male_joint_id_by_internal_or_ordinary_name) {
  void* skeleton = mvh_stock_male_skeleton_create_f();
  EXPECT_EQ(skl_skeleton_joint_id_get_f(skeleton, text_f(GetParam().name)), GetParam().id) << GetParam().name;
  EXPECT_FALSE(em_error_occurred_f());
  skl_skeleton_dispose(skeleton);
  EXPECT_EQ(mvh_skeleton_count_get_f(), 0);
}

INSTANTIATE_TEST_SUITE_P(NAMES, MOVARA_JOINT_NAME_TEST,
                         ::testing::Values(JOINT_NAME_CASE_TYPE{"hip", 0}, JOINT_NAME_CASE_TYPE{"Hip", 0},
                                           JOINT_NAME_CASE_TYPE{"abdomen", 1}, JOINT_NAME_CASE_TYPE{"Abdomen", 1},
                                           JOINT_NAME_CASE_TYPE{"lShin", 14},
                                           JOINT_NAME_CASE_TYPE{"Left Shin", 14},
                                           JOINT_NAME_CASE_TYPE{"rFoot", 18},
                                           JOINT_NAME_CASE_TYPE{"Right Foot", 18},
                                           JOINT_NAME_CASE_TYPE{"HIP", -1}, JOINT_NAME_CASE_TYPE{"", -1},
                                           JOINT_NAME_CASE_TYPE{"tail", -1}));

TEST_F(MOVARA_MODEL_TEST, internal_name_matches_before_ordinary_name) {
  void* skeleton = skeleton_build_f("robot", {"a", "b"});
  // Joint 1's internal name is joint 0's ordinary name.
  mvh_skeleton_internal_name_set(skeleton, 1, "a");
  mvh_skeleton_internal_name_set(skeleton, 0, "base");
  EXPECT_EQ(skl_skeleton_joint_id_get_f(skeleton, text_f("a")), 1);
  EXPECT_EQ(skl_skeleton_joint_id_get_f(skeleton, text_f("base")), 0);
  EXPECT_EQ(skl_skeleton_joint_id_get_f(skeleton, text_f("b")), 1);
  skl_skeleton_dispose(skeleton);
}

TEST_F(MOVARA_MODEL_TEST, built_skeleton_completion_and_part_objects) {
  void* skeleton = skl_skeleton_skel_create_f(text_f("robot"));
  ASSERT_NE(skeleton, nullptr);
  EXPECT_FALSE(mvh_skeleton_completed_f(skeleton));
  EXPECT_FALSE(skl_skeleton_skel_completed_f(skeleton, text_f("")));  // no joints: fails, no error
  EXPECT_FALSE(em_error_occurred_f());
  EXPECT_EQ(skl_skeleton_root_id_get_f(skeleton), -1);
  EXPECT_EQ(skl_skeleton_joint_create_f(skeleton, text_f("base")), 0);
  EXPECT_EQ(skl_skeleton_joint_create_f(skeleton, text_f("arm")), 1);
  void* object = pob_part_object_obj_create_f(0);
  ASSERT_NE(object, nullptr);
  EXPECT_TRUE(skl_skeleton_part_object_attach_f(skeleton, 0, object));
  EXPECT_TRUE(pob_part_object_cube_add(object, 1.0f, 1.0f, 1.0f, 0));
  void* other = pob_part_object_obj_create_f(0);
  EXPECT_FALSE(skl_skeleton_part_object_attach_f(skeleton, 0, other));  // joint has one: no error
  EXPECT_FALSE(em_error_occurred_f());
  EXPECT_EQ(mvh_part_object_loose_count_get_f(), 1);
  EXPECT_EQ(mvh_skeleton_part_object_count_get_f(skeleton), 1);
  EXPECT_EQ(mvh_skeleton_cube_count_get_f(skeleton), 1);
  EXPECT_TRUE(skl_skeleton_skel_completed_f(skeleton, text_f("")));
  EXPECT_TRUE(mvh_skeleton_completed_f(skeleton));
  EXPECT_EQ(skl_skeleton_root_id_get_f(skeleton), 0);
  // Built skeletons: not human, creator 0, no model file, offsets 0.
  EXPECT_FALSE(hms_human_skeleton_check_f(directory_get_f(skeleton)));
  EXPECT_EQ(sk_skeleton_model_creator_get_f(directory_get_f(skeleton)), 0);
  EXPECT_EQ(sk_skeleton_model_file_path_get_f(directory_get_f(skeleton)), nullptr);
  char name[256];
  skj_joint_internal_name_get_e(directory_get_f(skeleton), 1, name);
  EXPECT_STREQ(name, "arm");
  // A completed skeleton takes no more joints.
  EXPECT_EQ(skl_skeleton_joint_create_f(skeleton, text_f("late")), -1);
  EXPECT_TRUE(em_error_occurred_f());
  em_error_reset();
  EXPECT_EQ(mvh_skeleton_loose_count_get_f(), 1);
  skl_skeleton_dispose(skeleton);
  EXPECT_EQ(mvh_skeleton_count_get_f(), 0);
  EXPECT_EQ(mvh_part_object_count_get_f(), 1);  // the unattached one stays Movara's until reset
  mvh_reset();
  EXPECT_EQ(mvh_part_object_count_get_f(), 0);
}

TEST_F(MOVARA_MODEL_TEST, a_figure_takes_over_its_skeleton) {
  void* animation = anm_animation_create_f();
  void* skeleton = skeleton_build_f("robot", {"base", "arm"});
  EXPECT_EQ(mvh_skeleton_loose_count_get_f(), 1);
  void* figure = anm_animation_figure_add_f(animation, skeleton, 1);
  ASSERT_NE(figure, nullptr);
  EXPECT_EQ(fig_figure_get_skel(figure), skeleton);
  EXPECT_EQ(mvh_skeleton_loose_count_get_f(), 0);
  skl_skeleton_dispose(skeleton);  // not the caller's any more
  EXPECT_EQ(mvh_handle_misuse_count_get_f(), 1);
  EXPECT_TRUE(mvh_skeleton_live_f(skeleton));
  anm_animation_dispose(animation);
  EXPECT_FALSE(mvh_skeleton_live_f(skeleton));
  EXPECT_EQ(mvh_skeleton_count_get_f(), 0);
  EXPECT_EQ(mvh_part_object_count_get_f(), 0);
}

TEST_F(MOVARA_MODEL_TEST, an_incomplete_skeleton_makes_no_figure) {
  void* animation = anm_animation_create_f();
  void* skeleton = skl_skeleton_skel_create_f(text_f("robot"));
  skl_skeleton_joint_create_f(skeleton, text_f("base"));
  EXPECT_EQ(anm_animation_figure_add_f(animation, skeleton, 1), nullptr);
  EXPECT_TRUE(em_error_occurred_f());
  EXPECT_EQ(mvh_skeleton_loose_count_get_f(), 1);
  skl_skeleton_dispose(skeleton);
  anm_animation_dispose(animation);
}

TEST_F(MOVARA_MODEL_TEST, skeleton_search_finds_a_held_skeleton_and_ignores_itself) {
  void* animation = anm_animation_create_f();
  void* held = skeleton_build_f("robot", {"base", "arm"});
  EXPECT_EQ(anm_animations_skeleton_search_f(held, animation), nullptr);  // loose: not held
  anm_animation_figure_add_f(animation, held, 1);
  EXPECT_EQ(anm_animations_skeleton_search_f(held, animation), nullptr);  // only itself
  void* same = skeleton_build_f("robot", {"base", "arm"});
  EXPECT_EQ(anm_animations_skeleton_search_f(same, animation), held);
  void* other_animation = anm_animation_create_f();
  EXPECT_EQ(anm_animations_skeleton_search_f(same, other_animation), held);  // every live animation
  void* renamed = skeleton_build_f("robot2", {"base", "arm"});
  void* reordered = skeleton_build_f("robot", {"arm", "base"});
  void* shorter = skeleton_build_f("robot", {"base"});
  EXPECT_EQ(anm_animations_skeleton_search_f(renamed, animation), nullptr);
  EXPECT_EQ(anm_animations_skeleton_search_f(reordered, animation), nullptr);
  EXPECT_EQ(anm_animations_skeleton_search_f(shorter, animation), nullptr);
  for (void* skeleton : {same, renamed, reordered, shorter}) skl_skeleton_dispose(skeleton);
  anm_animation_dispose(animation);
  // Gone with its animation: no longer found.
  void* again = skeleton_build_f("robot", {"base", "arm"});
  EXPECT_EQ(anm_animations_skeleton_search_f(again, other_animation), nullptr);
  // The library holds skeletons too.
  void* library = skeleton_build_f("robot", {"base", "arm"});
  mvh_skeleton_library_add(library);
  EXPECT_TRUE(mvh_skeleton_in_library_f(library));
  EXPECT_EQ(anm_animations_skeleton_search_f(again, other_animation), library);
  EXPECT_EQ(anm_animations_skeleton_search_f(library, other_animation), nullptr);
  skl_skeleton_dispose(again);
  EXPECT_FALSE(em_error_occurred_f());
  anm_animation_dispose(other_animation);
  EXPECT_EQ(mvh_skeleton_count_get_f(), 1);  // the library's
  EXPECT_EQ(mvh_skeleton_loose_count_get_f(), 0);
}

TEST_F(MOVARA_MODEL_TEST, a_shared_skeleton_goes_with_its_last_figure) {
  void* first = anm_animation_create_f();
  void* second = anm_animation_create_f();
  void* skeleton = skeleton_build_f("robot", {"base"});
  anm_animation_figure_add_f(first, skeleton, 1);
  anm_animation_figure_add_f(second, skeleton, 1);
  EXPECT_EQ(mvh_skeleton_figure_user_count_get_f(skeleton), 2);
  anm_animation_dispose(first);
  EXPECT_TRUE(mvh_skeleton_live_f(skeleton));
  anm_animation_dispose(second);
  EXPECT_FALSE(mvh_skeleton_live_f(skeleton));
}

TEST_F(MOVARA_MODEL_TEST, library_skeleton_outlives_its_figures) {
  void* skeleton = skeleton_build_f("robot", {"base"});
  mvh_skeleton_library_add(skeleton);
  void* animation = anm_animation_create_f();
  anm_animation_figure_add_f(animation, skeleton, 1);
  anm_animation_dispose(animation);
  EXPECT_TRUE(mvh_skeleton_live_f(skeleton));
  skl_skeleton_dispose(skeleton);  // the library's
  EXPECT_TRUE(mvh_skeleton_live_f(skeleton));
  mvh_reset();
  EXPECT_EQ(mvh_skeleton_count_get_f(), 0);
}

TEST_F(MOVARA_MODEL_TEST, the_library_completes_what_it_takes) {
  void* skeleton = skl_skeleton_skel_create_f(text_f("robot"));
  skl_skeleton_joint_create_f(skeleton, text_f("base"));
  mvh_skeleton_library_add(skeleton);
  EXPECT_TRUE(mvh_skeleton_completed_f(skeleton));
  void* animation = anm_animation_create_f();
  EXPECT_NE(anm_animation_figure_add_f(animation, skeleton, 1), nullptr);
  EXPECT_FALSE(em_error_occurred_f());
}

TEST_F(MOVARA_MODEL_TEST, pin_to_floor_and_offsets) {
  void* animation = anm_animation_create_f();
  void* skeleton = skeleton_build_f("robot", {"base", "arm"});
  mvh_skeleton_joint_offset_set(skeleton, 1, coord3{1.0f, 2.0f, 3.0f});
  void* figure = anm_animation_figure_add_f(animation, skeleton, 1);
  EXPECT_FALSE(fig_figure_pin_to_floor_get_f(figure));
  fig_figure_pin_to_floor_set(figure, 1);
  EXPECT_TRUE(fig_figure_pin_to_floor_get_f(figure));
  coord3 offset{9.0f, 9.0f, 9.0f};
  fig_figure_joint_offset_get(figure, 0, &offset);
  EXPECT_EQ(offset.y, 0.0f);
  fig_figure_joint_offset_get(figure, 1, &offset);
  EXPECT_EQ(offset.x, 1.0f);
  EXPECT_EQ(offset.y, 2.0f);
  EXPECT_EQ(offset.z, 3.0f);
  EXPECT_FALSE(em_error_occurred_f());
  fig_figure_joint_offset_get(figure, 2, &offset);
  EXPECT_TRUE(em_error_occurred_f());
}

TEST_F(MOVARA_MODEL_TEST, handles_that_are_not_live_are_errors) {
  int not_a_handle = 0;
  EXPECT_EQ(fig_figure_get_skel(&not_a_handle), nullptr);
  EXPECT_TRUE(em_error_occurred_f());
  EXPECT_NE(mvh_error_message_get_f().find("is not a figure"), std::string::npos);
  em_error_reset();
  EXPECT_EQ(skl_skeleton_joint_count_get_f(&not_a_handle), 0);
  EXPECT_TRUE(em_error_occurred_f());
  em_error_reset();
  EXPECT_EQ(anm_animation_figure_count_get_f(failed_animation_get_f()), 0);
  EXPECT_TRUE(em_error_occurred_f());
  EXPECT_EQ(mvh_handle_misuse_count_get_f(), 3);
}

TEST_F(MOVARA_MODEL_TEST, counters_are_back_to_zero_after_dispose) {
  void* animation = anm_animation_create_f();
  anm_animation_figure_add_f(animation, nullptr, 1);
  anm_animation_figure_add_f(animation, skeleton_build_f("robot", {"a", "b", "c"}), 1);
  void* figure = anm_animation_figure_get_by_index_f(animation, 1);
  quaternion q{1.0f, 0.0f, 0.0f, 0.0f};
  for (MOVARA_LONG_TYPE frame = 0; frame < 100; ++frame) {
    fgf_frame_joint_orientation_set(figure, frame, 1, &q);
    fgf_frame_value_set_f(figure, frame, CHANNEL_TRANSLATION_Y, static_cast<float>(frame));
  }
  EXPECT_EQ(mvh_animation_count_get_f(), 1);
  EXPECT_EQ(mvh_skeleton_count_get_f(), 2);
  EXPECT_EQ(mvh_part_object_count_get_f(), 3);
  anm_animation_dispose(animation);
  EXPECT_EQ(mvh_animation_count_get_f(), 0);
  EXPECT_EQ(mvh_skeleton_count_get_f(), 0);
  EXPECT_EQ(mvh_skeleton_loose_count_get_f(), 0);
  EXPECT_EQ(mvh_part_object_count_get_f(), 0);
  EXPECT_EQ(mvh_live_block_count_get_f(), blocks_at_start_);
  EXPECT_EQ(mvh_open_file_count_get_f(), 0);
  EXPECT_FALSE(mvh_status_get_f().open);
  EXPECT_EQ(mvh_handle_misuse_count_get_f(), 0);
  EXPECT_FALSE(em_error_occurred_f());
}

}  // namespace
