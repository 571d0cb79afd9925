// Shared by the Orlune tests: the loaded module, scripted animations, the
// export request as Movara sends it, and the expected bytes of SEQ files.
#ifndef TESTS_EXPORT_EXPORT_TEST_SUPPORT_H
#define TESTS_EXPORT_EXPORT_TEST_SUPPORT_H

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "movara_api.h"
#include "movara_host.h"
#include "movara_journal.h"
#include "seq_bytes.h"

// A fresh Movara with Orlune loaded, and a scratch folder of the test's own
// (tests run in parallel processes, so none shares a file with another).
class EXPORT_TEST : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // A path in this test's scratch folder.
  std::string scratch_path_get_f(const std::string& file_name) const;
  // The names of the files in this test's scratch folder, sorted.
  std::vector<std::string> scratch_file_names_get_f() const;

  // A request through Orlune's `main`.
  long orlune_request_f(long selector, void* argument_1 = nullptr, void* argument_2 = nullptr,
                        void* argument_3 = nullptr);
  // Message 6 as Movara sends it: a filter-data list whose export options hold
  // the range, the animation and an identifier of `path`. Answers the answer.
  long animation_export_f(void* animation, long start_frame, long end_frame,
                          const std::string& path);

  MVH_PLUGIN_TYPE orlune_plugin;
  std::string scratch_directory;
};

// An animation at `frame_rate` with no figures.
void* animation_create_f(float frame_rate);
// A new skeleton of joints named as given (the first is the root), made from
// the model file `model_file_path` ("" for none) with the creator code.
void* skeleton_build_f(const std::string& name, const std::vector<std::string>& joint_names,
                       const std::string& model_file_path = "/models/robot.cr2",
                       long creator = 0);
// Adds a figure on the skeleton (null: the stock male).
void* figure_add_f(void* animation, void* skeleton);

quaternion quaternion_make_f(float w, float x, float y, float z);
// The quaternion Movara builds for a heading of `degrees` (angles (0, h, 0), order 12).
quaternion heading_quaternion_get_f(float degrees);

SEQ_QUATERNION_KEY_TYPE quaternion_key_get_f(std::int32_t frame_number, const quaternion& q);

// The name of a parameterised case: its `label` member.
template <typename CASE_TYPE>
std::string case_label_get_f(const ::testing::TestParamInfo<CASE_TYPE>& test_case) {
  return test_case.param.label;
}

// Compares a written file with the expected bytes, showing both in hex.
void file_bytes_expect(const std::string& path, const SEQ_BYTES_TYPE& expected);


// Nothing Movara lent to the export is still held: no open file, a closed
// status window, no live memory block and no block misuse.
void resources_released_expect();

#endif  // TESTS_EXPORT_EXPORT_TEST_SUPPORT_H
