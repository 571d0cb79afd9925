// Random animations exported by Orlune and imported by Vestan give back their
// keys: the key of Movara frame f lands on frame number - 1 of the export's
// time conversion, quaternions equal after normalisation, translations and
// headings within float precision.
#include <cmath>
#include <map>
#include <random>

#include "export_test_support.h"

namespace {

constexpr int ROUND_TRIP_SEEDS = 60;

// An animation the generator made, with what the export was asked for.
struct RANDOM_ANIMATION_TYPE {
  void* animation = nullptr;
  void* figure = nullptr;
  float frame_rate = 30.0f;
  MOVARA_LONG_TYPE start_frame = 0;
  MOVARA_LONG_TYPE end_frame = 0;
  std::string description;
};

// Stock male or a built skeleton; 24, 30 or 60 frames per second; keys on a
// random set of joints and on the root channels, sparse or dense, also
// outside the exported range.
RANDOM_ANIMATION_TYPE random_animation_create_f(unsigned int seed) {
  std::mt19937 random(seed);
  auto uniform_int = [&random](int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(random);
  };
  auto uniform_float = [&random](float low, float high) {
    return std::uniform_real_distribution<float>(low, high)(random);
  };
  RANDOM_ANIMATION_TYPE made;
  const float frame_rates[] = {24.0f, 30.0f, 60.0f};
  made.frame_rate = frame_rates[uniform_int(0, 2)];
  made.animation = animation_create_f(made.frame_rate);
  const bool stock_male = uniform_int(0, 1) == 0;
  if (stock_male) {
    made.figure = figure_add_f(made.animation, nullptr);
    made.description = "stock male";
  } else {
    std::vector<std::string> joint_names;
    const int joint_count = uniform_int(1, 6);
    for (int joint = 0; joint < joint_count; ++joint) {
      joint_names.push_back("joint " + std::to_string(joint));
    }
    // Named like its model file or not: the import then finds this skeleton
    // or builds one of its own.
    const std::string model_name = "rig" + std::to_string(seed);
    const bool same_name = uniform_int(0, 1) == 0;
    void* skeleton = skeleton_build_f(same_name ? model_name : "other", joint_names,
                                      "/models/" + model_name + ".cr2");
    const bool human = uniform_int(0, 1) == 0;
    mvh_skeleton_human_set(skeleton, human);
    mvh_skeleton_joint_offset_set(skeleton, 0, {0.0f, uniform_float(0.0f, 50.0f), 0.0f});
    made.figure = figure_add_f(made.animation, skeleton);
    if (uniform_int(0, 1) == 0) {
      mvh_figure_base_value_set(made.figure, CHANNEL_TRANSLATION_Y, uniform_float(-20.0f, 20.0f));
    }
    made.description = std::to_string(joint_count) + " joints" + (human ? ", human" : "") +
                       (same_name ? ", found again" : ", rebuilt");
  }
  made.start_frame = uniform_int(0, 30);
  made.end_frame = made.start_frame + uniform_int(0, 150);
  const float densities[] = {0.05f, 0.3f, 1.0f};
  const float density = densities[uniform_int(0, 2)];
  auto keyed = [&]() { return uniform_float(0.0f, 1.0f) < density; };
  const MOVARA_LONG_TYPE last_keyed_frame = made.end_frame + 10;

  void* skeleton = fig_figure_get_skel(made.figure);
  const short joint_count = skl_skeleton_joint_count_get_f(skeleton);
  for (short joint = 0; joint < joint_count; ++joint) {
    if (uniform_int(0, 2) == 0) {
      continue;  // a joint without keys
    }
    for (MOVARA_LONG_TYPE frame = 0; frame <= last_keyed_frame; ++frame) {
      if (keyed()) {
        quaternion q = quaternion_make_f(uniform_float(0.1f, 2.0f), uniform_float(-1.0f, 1.0f),
                                         uniform_float(-1.0f, 1.0f), uniform_float(-1.0f, 1.0f));
        fgf_frame_joint_orientation_set(made.figure, frame, joint, &q);
      }
    }
  }
  for (MOVARA_LONG_TYPE channel : {CHANNEL_TRANSLATION_X, CHANNEL_TRANSLATION_Y, CHANNEL_TRANSLATION_Z}) {
    for (MOVARA_LONG_TYPE frame = 0; frame <= last_keyed_frame; ++frame) {
      if (keyed()) {
        fgf_frame_value_set_f(made.figure, frame, channel, uniform_float(-100.0f, 200.0f));
      }
    }
  }
  for (MOVARA_LONG_TYPE frame = 0; frame <= last_keyed_frame; ++frame) {
    if (keyed()) {
      fgf_frame_value_set_f(made.figure, frame, CHANNEL_HEADING, uniform_float(-179.0f, 179.0f));
    }
  }
  made.description += ", " + std::to_string(static_cast<int>(made.frame_rate)) + " fps, frames " +
                      std::to_string(made.start_frame) + ".." + std::to_string(made.end_frame) +
                      ", density " + std::to_string(density);
  return made;
}

// The Movara frame at which the import sets the key of exported frame f.
long import_frame_get_f(const RANDOM_ANIMATION_TYPE& made, long frame) {
  // The generator's rates are whole numbers, so the 30-fps frame in which a
  // key falls is exact integer arithmetic: frames x 30 / rate, cut, plus 1.
  const long long frames_after_start = frame - made.start_frame;
  const long long rate = static_cast<long long>(made.frame_rate);
  return static_cast<long>(frames_after_start * 30 / rate + 1) - 1;
}

bool frame_exported_f(const RANDOM_ANIMATION_TYPE& made, long frame) {
  return frame >= made.start_frame && frame <= made.end_frame;
}

// Expected keys by import frame: of several exported keys that share a frame
// number, the last one set stays.
template <typename KEY_TYPE, typename VALUE_TYPE, typename CONVERT_TYPE>
std::map<long, VALUE_TYPE> expected_keys_get_f(const RANDOM_ANIMATION_TYPE& made,
                                               const std::vector<KEY_TYPE>& keys,
                                               CONVERT_TYPE convert) {
  std::map<long, VALUE_TYPE> expected;
  for (const KEY_TYPE& key : keys) {
    if (frame_exported_f(made, key.frame)) {
      expected[import_frame_get_f(made, key.frame)] = convert(key);
    }
  }
  return expected;
}

quaternion quaternion_normalised_get_f(quaternion q) {
  const double length = std::sqrt(static_cast<double>(q.w) * q.w + static_cast<double>(q.x) * q.x +
                                  static_cast<double>(q.y) * q.y + static_cast<double>(q.z) * q.z);
  return quaternion_make_f(static_cast<float>(q.w / length), static_cast<float>(q.x / length),
                           static_cast<float>(q.y / length), static_cast<float>(q.z / length));
}

class EXPORT_ROUND_TRIP_TEST : public EXPORT_TEST {
 protected:
  void SetUp() override {
    EXPORT_TEST::SetUp();
    std::string error;
    ASSERT_TRUE(mvh_plugin_load_f(VESTAN_MODULE_PATH, &vestan_plugin, &error)) << error;
  }
  void TearDown() override {
    // Vestan's library object lives until 'LIBD', which Movara sends before
    // it unloads a plug-in.
    mvh_plugin_request_f(vestan_plugin, MSG_LIBD);
    mvh_plugin_unload(&vestan_plugin);
    EXPORT_TEST::TearDown();
  }

  // Imports `path` through Vestan; answers the new animation, null on failure.
  void* animation_import_f(const std::string& path) {
    FM_FILE_IDENTIFIER_TYPE identifier = {};
    EXPECT_TRUE(mvh_file_identifier_make_f(&identifier, path));
    void* animation = nullptr;
    const long answer =
        mvh_plugin_request_f(vestan_plugin, MSG_IMPA, nullptr, &identifier, &animation);
    EXPECT_EQ(answer, 0) << mvh_error_message_get_f();
    return answer == 0 ? animation : nullptr;
  }

  MVH_PLUGIN_TYPE vestan_plugin;
};

// Keys compared so far, so that a generator that made no keys cannot pass.
std::size_t compared_key_count = 0;

void orientations_compare(const RANDOM_ANIMATION_TYPE& made, void* imported_figure, short joint) {
  SCOPED_TRACE("joint " + std::to_string(joint));
  const auto expected = expected_keys_get_f<MVH_ORIENTATION_KEY_TYPE, quaternion>(
      made, mvh_figure_orientation_keys_get_f(made.figure, joint),
      [](const MVH_ORIENTATION_KEY_TYPE& key) { return quaternion_normalised_get_f(key.q); });
  const auto imported = mvh_figure_orientation_keys_get_f(imported_figure, joint);
  compared_key_count += imported.size();
  ASSERT_EQ(imported.size(), expected.size());
  auto wanted = expected.begin();
  for (const MVH_ORIENTATION_KEY_TYPE& key : imported) {
    EXPECT_EQ(key.frame, wanted->first);
    EXPECT_NEAR(key.q.w, wanted->second.w, 1e-5f);
    EXPECT_NEAR(key.q.x, wanted->second.x, 1e-5f);
    EXPECT_NEAR(key.q.y, wanted->second.y, 1e-5f);
    EXPECT_NEAR(key.q.z, wanted->second.z, 1e-5f);
    ++wanted;
  }
}

void values_compare(const std::map<long, float>& expected, const std::vector<MVH_VALUE_KEY_TYPE>& imported,
                    float tolerance) {
  compared_key_count += imported.size();
  ASSERT_EQ(imported.size(), expected.size());
  auto wanted = expected.begin();
  for (const MVH_VALUE_KEY_TYPE& key : imported) {
    EXPECT_EQ(key.frame, wanted->first);
    EXPECT_NEAR(key.value, wanted->second, tolerance) << "frame " << key.frame;
    ++wanted;
  }
}

TEST_F(EXPORT_ROUND_TRIP_TEST, random_animations_come_back_with_the_same_keys) {
  compared_key_count = 0;
  for (unsigned int seed = 1; seed <= ROUND_TRIP_SEEDS; ++seed) {
    mvh_reset();
    const RANDOM_ANIMATION_TYPE made = random_animation_create_f(seed);
    SCOPED_TRACE("seed " + std::to_string(seed) + ": " + made.description);
    const std::string path = scratch_path_get_f("round_trip_" + std::to_string(seed) + ".seq");
    ASSERT_EQ(animation_export_f(made.animation, made.start_frame, made.end_frame, path), 0)
        << mvh_error_message_get_f();

    void* imported = animation_import_f(path);
    ASSERT_NE(imported, nullptr);
    ASSERT_EQ(anm_animation_figure_count_get_f(imported), 1);
    void* imported_figure = anm_animation_figure_get_by_index_f(imported, 0);
    const short joint_count = skl_skeleton_joint_count_get_f(fig_figure_get_skel(made.figure));
    ASSERT_EQ(skl_skeleton_joint_count_get_f(fig_figure_get_skel(imported_figure)), joint_count);

    for (short joint = 0; joint < joint_count; ++joint) {
      orientations_compare(made, imported_figure, joint);
    }
    for (MOVARA_LONG_TYPE channel : {CHANNEL_TRANSLATION_X, CHANNEL_TRANSLATION_Z}) {
      SCOPED_TRACE("channel " + std::to_string(channel));
      values_compare(expected_keys_get_f<MVH_VALUE_KEY_TYPE, float>(
                         made, mvh_figure_value_keys_get_f(made.figure, channel),
                         [](const MVH_VALUE_KEY_TYPE& key) { return key.value; }),
                     mvh_figure_value_keys_get_f(imported_figure, channel), 1e-6f);
    }
    {
      // Channel 2 goes out above the exporter's reference height and comes
      // back, on a pinned figure, above the imported figure's base height.
      SCOPED_TRACE("channel 2");
      void* skeleton = fig_figure_get_skel(made.figure);
      float reference = fgf_frame_value_get_f(made.figure, -1, CHANNEL_TRANSLATION_Y);
      if (hms_human_skeleton_check_f(static_cast<DT_DATA_DIRECTORY_TYPE**>(skeleton)) != 0) {
        coord3 offset = {0.0f, 0.0f, 0.0f};
        fig_figure_joint_offset_get(made.figure, skl_skeleton_root_id_get_f(skeleton), &offset);
        reference = offset.y;
      }
      const bool pinned = fig_figure_pin_to_floor_get_f(imported_figure) != 0;
      const float base = fgf_frame_value_get_f(imported_figure, -1, CHANNEL_TRANSLATION_Y);
      values_compare(expected_keys_get_f<MVH_VALUE_KEY_TYPE, float>(
                         made, mvh_figure_value_keys_get_f(made.figure, CHANNEL_TRANSLATION_Y),
                         [&](const MVH_VALUE_KEY_TYPE& key) {
                           const float stored = key.value - reference;
                           return pinned ? base + stored : stored;
                         }),
                     mvh_figure_value_keys_get_f(imported_figure, CHANNEL_TRANSLATION_Y), 1e-4f);
      if (made.description.rfind("stock male", 0) == 0) {
        // The stock male keeps its root heights.
        EXPECT_TRUE(pinned);
        values_compare(expected_keys_get_f<MVH_VALUE_KEY_TYPE, float>(
                           made, mvh_figure_value_keys_get_f(made.figure, CHANNEL_TRANSLATION_Y),
                           [](const MVH_VALUE_KEY_TYPE& key) { return key.value; }),
                       mvh_figure_value_keys_get_f(imported_figure, CHANNEL_TRANSLATION_Y), 1e-4f);
      }
    }
    {
      SCOPED_TRACE("heading");
      values_compare(expected_keys_get_f<MVH_VALUE_KEY_TYPE, float>(
                         made, mvh_figure_value_keys_get_f(made.figure, CHANNEL_HEADING),
                         [](const MVH_VALUE_KEY_TYPE& key) { return key.value; }),
                     mvh_figure_value_keys_get_f(imported_figure, CHANNEL_HEADING), 1e-3f);
    }
    if (HasFailure()) {
      break;  // one seed's report is enough to go on
    }
  }
  EXPECT_GT(compared_key_count, 5000u);
}

TEST_F(EXPORT_ROUND_TRIP_TEST, one_frame_at_60_frames_per_second_is_still_imported) {
  void* animation = animation_create_f(60.0f);
  void* figure = figure_add_f(animation, nullptr);
  fgf_frame_value_set_f(figure, 4, CHANNEL_TRANSLATION_X, 12.5f);
  const std::string path = scratch_path_get_f("short.seq");
  ASSERT_EQ(animation_export_f(animation, 4, 4, path), 0);

  void* imported = animation_import_f(path);

  ASSERT_NE(imported, nullptr);
  const auto keys =
      mvh_figure_value_keys_get_f(anm_animation_figure_get_by_index_f(imported, 0), CHANNEL_TRANSLATION_X);
  ASSERT_EQ(keys.size(), 1u);
  EXPECT_EQ(keys[0].frame, 0);
  EXPECT_EQ(keys[0].value, 12.5f);
}

}  // namespace
