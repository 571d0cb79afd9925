// Keys, the floor channel and quaternions.
#include <chrono>
#include <cmath>

#include "movara_test_support.h"

namespace {

class MOVARA_KEYS_TEST : public MOVARA_TEST_TYPE {
 protected:
  void SetUp() override {
    MOVARA_TEST_TYPE::SetUp();
    animation_ = anm_animation_create_f();
    figure_ = anm_animation_figure_add_f(animation_, nullptr, 1);
    ASSERT_NE(figure_, nullptr);
  }
  void* animation_ = nullptr;
  void* figure_ = nullptr;
};

TEST_F(MOVARA_KEYS_TEST, value_keys_are_sorted_and_replaced_on_the_same_frame) {
  for (MOVARA_LONG_TYPE frame : {5, 1, 9, 3, 7}) {
    EXPECT_EQ(fgf_frame_value_set_f(figure_, frame, CHANNEL_TRANSLATION_X, static_cast<float>(frame * 10)), 0);
  }
  fgf_frame_value_set_f(figure_, 3, CHANNEL_TRANSLATION_X, -1.0f);
  std::vector<MVH_VALUE_KEY_TYPE> keys = mvh_figure_value_keys_get_f(figure_, CHANNEL_TRANSLATION_X);
  ASSERT_EQ(keys.size(), 5u);
  const long frames[] = {1, 3, 5, 7, 9};
  for (std::size_t i = 0; i < keys.size(); ++i) EXPECT_EQ(keys[i].frame, frames[i]);
  EXPECT_EQ(keys[1].value, -1.0f);
  EXPECT_TRUE(fgf_frame_value_key_f(figure_, 3, CHANNEL_TRANSLATION_X));
  EXPECT_FALSE(fgf_frame_value_key_f(figure_, 4, CHANNEL_TRANSLATION_X));
  EXPECT_FALSE(fgf_frame_value_key_f(figure_, 3, CHANNEL_TRANSLATION_Z));
  EXPECT_EQ(mvh_figure_keyed_channels_get_f(figure_), std::vector<long>{CHANNEL_TRANSLATION_X});
  EXPECT_FALSE(em_error_occurred_f());
}

// Reading a channel with keys 10 at frame 2 and 30 at frame 6: cases differ only in data.
struct VALUE_READ_CASE_TYPE {
  MOVARA_LONG_TYPE frame;
  float expected;
};

class MOVARA_VALUE_READ_TEST : public MOVARA_KEYS_TEST, public ::testing::WithParamInterface<VALUE_READ_CASE_TYPE> {};

TEST_P(MOVARA_VALUE_READ_TEST, interpolates_between_keys_and_holds_outside) {
  mvh_figure_base_value_set(figure_, CHANNEL_TRANSLATION_X, -5.0f);
  fgf_frame_value_set_f(figure_, 2, CHANNEL_TRANSLATION_X, 10.0f);
  fgf_frame_value_set_f(figure_, 6, CHANNEL_TRANSLATION_X, 30.0f);
  EXPECT_FLOAT_EQ(fgf_frame_value_get_f(figure_, GetParam().frame, CHANNEL_TRANSLATION_X), GetParam().expected)
      << GetParam().frame;
}

INSTANTIATE_TEST_SUITE_P(FRAMES, MOVARA_VALUE_READ_TEST,
                         ::testing::Values(VALUE_READ_CASE_TYPE{-1, -5.0f}, VALUE_READ_CASE_TYPE{0, 10.0f},
                                           VALUE_READ_CASE_TYPE{2, 10.0f}, VALUE_READ_CASE_TYPE{3, 15.0f},
                                           VALUE_READ_CASE_TYPE{4, 20.0f}, VALUE_READ_CASE_TYPE{6, 30.0f},
                                           VALUE_READ_CASE_TYPE{7, 30.0f},
                                           VALUE_READ_CASE_TYPE{2000000000, 30.0f}));

TEST_F(MOVARA_KEYS_TEST, a_track_without_keys_reads_its_base_value) {
  EXPECT_EQ(fgf_frame_value_get_f(figure_, 0, CHANNEL_TRANSLATION_X), 0.0f);
  EXPECT_EQ(fgf_frame_value_get_f(figure_, 12, CHANNEL_HEADING), 0.0f);
  mvh_figure_base_value_set(figure_, 42, 1.25f);
  EXPECT_EQ(fgf_frame_value_get_f(figure_, 12, 42), 1.25f);
  EXPECT_EQ(fgf_frame_value_get_f(figure_, -1, 42), 1.25f);
  quaternion q{0.0f, 0.0f, 0.0f, 0.0f};
  fgf_frame_joint_orientation_get(figure_, 4, 3, &q, 0);
  EXPECT_EQ(q.w, 1.0f);
  EXPECT_EQ(q.x, 0.0f);
  EXPECT_EQ(q.y, 0.0f);
  EXPECT_EQ(q.z, 0.0f);
}

struct NEGATIVE_FRAME_CASE_TYPE {
  MOVARA_LONG_TYPE frame;
};

class MOVARA_NEGATIVE_FRAME_TEST : public MOVARA_KEYS_TEST,
                                public ::testing::WithParamInterface<NEGATIVE_FRAME_CASE_TYPE> {};

TEST_P(MOVARA_NEGATIVE_FRAME_TEST, keys_at_negative_frames_are_refused_with_the_error_set) {
  EXPECT_NE(fgf_frame_value_set_f(figure_, GetParam().frame, CHANNEL_TRANSLATION_X, 1.0f), 0);
  EXPECT_TRUE(em_error_occurred_f());
  EXPECT_NE(mvh_error_message_get_f().find("frame " + std::to_string(GetParam().frame)), std::string::npos)
      << mvh_error_message_get_f();
  em_error_reset();
  quaternion q{1.0f, 0.0f, 0.0f, 0.0f};
  fgf_frame_joint_orientation_set(figure_, GetParam().frame, 0, &q);
  EXPECT_TRUE(em_error_occurred_f());
  EXPECT_EQ(mvh_figure_key_count_get_f(figure_), 0);
}

INSTANTIATE_TEST_SUITE_P(FRAMES, MOVARA_NEGATIVE_FRAME_TEST,
                         ::testing::Values(NEGATIVE_FRAME_CASE_TYPE{-1}, NEGATIVE_FRAME_CASE_TYPE{-2},
                                           NEGATIVE_FRAME_CASE_TYPE{INT32_MIN}));

TEST_F(MOVARA_KEYS_TEST, a_key_at_a_far_frame_is_cheap) {
  long long bytes_before = mvh_live_block_bytes_get_f();
  auto start = std::chrono::steady_clock::now();
  fgf_frame_value_set_f(figure_, 0, CHANNEL_TRANSLATION_X, 0.0f);
  fgf_frame_value_set_f(figure_, 2000000000, CHANNEL_TRANSLATION_X, 2.0f);
  quaternion q{0.0f, 0.0f, 1.0f, 0.0f};
  fgf_frame_joint_orientation_set(figure_, 2000000000, 0, &q);
  fgf_frame_joint_orientation_set(figure_, INT32_MAX, 1, &q);
  EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), 0.5);
  EXPECT_EQ(mvh_figure_key_count_get_f(figure_), 4);
  EXPECT_EQ(mvh_live_block_bytes_get_f(), bytes_before);
  EXPECT_TRUE(fgf_frame_value_key_f(figure_, 2000000000, CHANNEL_TRANSLATION_X));
  EXPECT_TRUE(fgf_frame_joint_orientation_key_f(figure_, 2000000000, 0, 0));
  EXPECT_TRUE(fgf_frame_joint_orientation_key_f(figure_, INT32_MAX, 1, 0));
  EXPECT_FLOAT_EQ(fgf_frame_value_get_f(figure_, 1000000000, CHANNEL_TRANSLATION_X), 1.0f);
  EXPECT_FALSE(em_error_occurred_f());
}

TEST_F(MOVARA_KEYS_TEST, thirty_thousand_keys_in_frame_order_are_quick) {
  auto start = std::chrono::steady_clock::now();
  quaternion q{1.0f, 0.0f, 0.0f, 0.0f};
  for (MOVARA_LONG_TYPE frame = 0; frame < 30000; ++frame) {
    for (short joint = 0; joint < 19; ++joint) fgf_frame_joint_orientation_set(figure_, frame, joint, &q);
    fgf_frame_value_set_f(figure_, frame, CHANNEL_TRANSLATION_Y, 1.0f);
  }
  long keyed = 0;
  for (MOVARA_LONG_TYPE frame = 0; frame < 30000; ++frame) {
    for (short joint = 0; joint < 19; ++joint) keyed += fgf_frame_joint_orientation_key_f(figure_, frame, joint, 0);
  }
  EXPECT_EQ(keyed, 30000 * 19);
  EXPECT_EQ(mvh_figure_key_count_get_f(figure_), 30000 * 20);
  EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), 10.0);
}

TEST_F(MOVARA_KEYS_TEST, orientation_keys_interpolate_normalised_and_hold) {
  quaternion first{1.0f, 0.0f, 0.0f, 0.0f};
  quaternion second{0.0f, 0.0f, 1.0f, 0.0f};  // 180 degrees about y
  fgf_frame_joint_orientation_set(figure_, 10, 2, &first);
  fgf_frame_joint_orientation_set(figure_, 20, 2, &second);
  quaternion q;
  fgf_frame_joint_orientation_get(figure_, 10, 2, &q, 0);
  EXPECT_EQ(q.w, 1.0f);
  fgf_frame_joint_orientation_get(figure_, 5, 2, &q, 0);
  EXPECT_EQ(q.w, 1.0f);
  fgf_frame_joint_orientation_get(figure_, 25, 2, &q, 0);
  EXPECT_EQ(q.y, 1.0f);
  fgf_frame_joint_orientation_get(figure_, 15, 2, &q, 0);
  EXPECT_NEAR(q.w, std::sqrt(0.5f), 1e-6);
  EXPECT_NEAR(q.y, std::sqrt(0.5f), 1e-6);
  EXPECT_NEAR(q.w * q.w + q.x * q.x + q.y * q.y + q.z * q.z, 1.0f, 1e-6);
  fgf_frame_joint_orientation_get(figure_, -1, 2, &q, 0);  // base: identity
  EXPECT_EQ(q.w, 1.0f);
  EXPECT_EQ(q.y, 0.0f);
  EXPECT_TRUE(fgf_frame_joint_orientation_key_f(figure_, 20, 2, 0));
  EXPECT_FALSE(fgf_frame_joint_orientation_key_f(figure_, 15, 2, 0));
  EXPECT_FALSE(fgf_frame_joint_orientation_key_f(figure_, 20, 3, 0));
  // A keyed frame reads its key as set, unnormalised.
  quaternion unnormalised{2.0f, 0.0f, 0.0f, 0.0f};
  fgf_frame_joint_orientation_set(figure_, 20, 2, &unnormalised);
  fgf_frame_joint_orientation_get(figure_, 20, 2, &q, 0);
  EXPECT_EQ(q.w, 2.0f);
  EXPECT_EQ(mvh_figure_orientation_keys_get_f(figure_, 2).size(), 2u);
  EXPECT_FALSE(em_error_occurred_f());
  // A joint the skeleton lacks.
  fgf_frame_joint_orientation_set(figure_, 1, 19, &first);
  EXPECT_TRUE(em_error_occurred_f());
}

TEST_F(MOVARA_KEYS_TEST, floor_channel_meaning) {
  // Channel 2's base is the root's rest height; the floor channel reads channel 2.
  EXPECT_EQ(fgf_frame_value_get_f(figure_, -1, CHANNEL_TRANSLATION_Y), MVH_STOCK_MALE_HIP_HEIGHT);
  EXPECT_EQ(fgf_frame_value_get_f(figure_, 0, CHANNEL_TRANSLATION_Y), MVH_STOCK_MALE_HIP_HEIGHT);
  EXPECT_EQ(fgf_frame_value_get_f(figure_, 0, CHANNEL_FLOOR), MVH_STOCK_MALE_HIP_HEIGHT);
  fgf_frame_value_set_f(figure_, 4, CHANNEL_TRANSLATION_Y, 5.0f);
  EXPECT_EQ(fgf_frame_value_get_f(figure_, 4, CHANNEL_FLOOR), 5.0f);
  EXPECT_TRUE(fgf_frame_value_key_f(figure_, 4, CHANNEL_FLOOR));
  // The floor channel is not keyed itself.
  EXPECT_NE(fgf_frame_value_set_f(figure_, 4, CHANNEL_FLOOR, 1.0f), 0);
  EXPECT_TRUE(em_error_occurred_f());
  em_error_reset();
  // The import's floor adjustment C + (v - (A - B)) ends at the rest height plus v ...
  const float v = 5.0f;
  float a = fgf_frame_value_get_f(figure_, 4, CHANNEL_TRANSLATION_Y);
  float b = fgf_frame_value_get_f(figure_, 4, CHANNEL_FLOOR);
  float d = static_cast<float>(static_cast<double>(v) - (static_cast<double>(a) - b));
  float c = fgf_frame_value_get_f(figure_, -1, CHANNEL_TRANSLATION_Y);
  fgf_frame_value_set_f(figure_, 4, CHANNEL_TRANSLATION_Y, static_cast<float>(static_cast<double>(c) + d));
  EXPECT_EQ(fgf_frame_value_get_f(figure_, 4, CHANNEL_TRANSLATION_Y), MVH_STOCK_MALE_HIP_HEIGHT + 5.0f);
  // ... which the export's value - root offset y turns back into v.
  coord3 offset;
  fig_figure_joint_offset_get(figure_, 0, &offset);
  EXPECT_EQ(fgf_frame_value_get_f(figure_, 4, CHANNEL_TRANSLATION_Y) - offset.y, v);
  // A set base value takes the root height's place.
  mvh_figure_base_value_set(figure_, CHANNEL_TRANSLATION_Y, 80.0f);
  EXPECT_EQ(fgf_frame_value_get_f(figure_, -1, CHANNEL_TRANSLATION_Y), 80.0f);
  EXPECT_EQ(fgf_frame_value_get_f(figure_, -1, CHANNEL_FLOOR), 80.0f);
}

// Heading angles through order 12 and back: cases differ only in data.
class MOVARA_HEADING_ROUND_TRIP_TEST : public MOVARA_TEST_TYPE, public ::testing::WithParamInterface<float> {};

TEST_P(MOVARA_HEADING_ROUND_TRIP_TEST, angles_zero_h_zero_give_back_h) {
  coord3 angles{0.0f, GetParam(), 0.0f};
  quaternion q;
  qt_angles_to_quat(&q, &angles, ANGLE_ORDER_YXZ);
  EXPECT_EQ(mvh_angle_order_last_get_f(), ANGLE_ORDER_YXZ);
  EXPECT_NEAR(q.w * q.w + q.x * q.x + q.y * q.y + q.z * q.z, 1.0f, 1e-6);
  EXPECT_EQ(q.x, 0.0f);
  EXPECT_EQ(q.z, 0.0f);
  qt_normalize(&q);
  coord3 back{9.0f, 9.0f, 9.0f};
  qt_to_angles_yxz(&back, &q);
  EXPECT_NEAR(back.y, GetParam(), 2e-3) << GetParam();
  EXPECT_NEAR(back.x, 0.0f, 1e-4);
  EXPECT_NEAR(back.z, 0.0f, 1e-4);
}

INSTANTIATE_TEST_SUITE_P(HEADINGS, MOVARA_HEADING_ROUND_TRIP_TEST,
                         ::testing::Values(0.0f, 1.0f, -1.0f, 30.0f, -45.0f, 90.0f, -90.0f, 135.0f, -135.0f,
                                           179.0f, -179.5f, 180.0f, 0.001f));

// Full triples (x within (-90, 90)) through order 12 and back.
struct ANGLES_CASE_TYPE {
  float x, y, z;
};

class MOVARA_ANGLES_ROUND_TRIP_TEST : public MOVARA_TEST_TYPE, public ::testing::WithParamInterface<ANGLES_CASE_TYPE> {};

TEST_P(MOVARA_ANGLES_ROUND_TRIP_TEST, yxz_angles_come_back) {
  coord3 angles{GetParam().x, GetParam().y, GetParam().z};
  quaternion q;
  qt_angles_to_quat(&q, &angles, ANGLE_ORDER_YXZ);
  coord3 back;
  qt_to_angles_yxz(&back, &q);
  EXPECT_NEAR(back.x, angles.x, 2e-3);
  EXPECT_NEAR(back.y, angles.y, 2e-3);
  EXPECT_NEAR(back.z, angles.z, 2e-3);
}

INSTANTIATE_TEST_SUITE_P(TRIPLES, MOVARA_ANGLES_ROUND_TRIP_TEST,
                         ::testing::Values(ANGLES_CASE_TYPE{10.0f, 20.0f, 30.0f},
                                           ANGLES_CASE_TYPE{-45.0f, 120.0f, -60.0f},
                                           ANGLES_CASE_TYPE{80.0f, -170.0f, 5.0f},
                                           ANGLES_CASE_TYPE{0.0f, 0.0f, 90.0f},
                                           ANGLES_CASE_TYPE{-30.0f, 0.0f, 0.0f}));

TEST(MOVARA_QUATERNION_TEST, order_twelve_is_ry_times_rx_times_rz) {
  // Ry(90) * Rx(90): q = (1/2, 1/2, 1/2, -1/2).
  coord3 angles{90.0f, 90.0f, 0.0f};
  quaternion q;
  qt_angles_to_quat(&q, &angles, ANGLE_ORDER_YXZ);
  EXPECT_NEAR(q.w, 0.5f, 1e-6);
  EXPECT_NEAR(q.x, 0.5f, 1e-6);
  EXPECT_NEAR(q.y, 0.5f, 1e-6);
  EXPECT_NEAR(q.z, -0.5f, 1e-6);
  // A pure heading of 90 degrees: w = cos 45, y = sin 45.
  coord3 heading{0.0f, 90.0f, 0.0f};
  qt_angles_to_quat(&q, &heading, ANGLE_ORDER_YXZ);
  EXPECT_NEAR(q.w, std::sqrt(0.5f), 1e-6);
  EXPECT_NEAR(q.y, std::sqrt(0.5f), 1e-6);
}

struct NORMALIZE_CASE_TYPE {
  quaternion in;
  quaternion out;
};

class MOVARA_NORMALIZE_TEST : public ::testing::TestWithParam<NORMALIZE_CASE_TYPE> {};

TEST_P(MOVARA_NORMALIZE_TEST, unit_length_and_zero_becomes_identity) {
  quaternion q = GetParam().in;
  qt_normalize(&q);
  EXPECT_NEAR(q.w, GetParam().out.w, 1e-6);
  EXPECT_NEAR(q.x, GetParam().out.x, 1e-6);
  EXPECT_NEAR(q.y, GetParam().out.y, 1e-6);
  EXPECT_NEAR(q.z, GetParam().out.z, 1e-6);
}

INSTANTIATE_TEST_SUITE_P(QUATERNIONS, MOVARA_NORMALIZE_TEST,
                         ::testing::Values(NORMALIZE_CASE_TYPE{{0, 0, 0, 0}, {1, 0, 0, 0}},
                                           NORMALIZE_CASE_TYPE{{2, 0, 0, 0}, {1, 0, 0, 0}},
                                           NORMALIZE_CASE_TYPE{{0, 0, -3, 0}, {0, 0, -1, 0}},
                                           NORMALIZE_CASE_TYPE{{1, 1, 1, 1}, {0.5f, 0.5f, 0.5f, 0.5f}},
                                           NORMALIZE_CASE_TYPE{{1e-30f, 0, 0, 0}, {1, 0, 0, 0}},
                                           NORMALIZE_CASE_TYPE{{NAN, 0, 0, 0}, {1, 0, 0, 0}}));

}  // namespace
