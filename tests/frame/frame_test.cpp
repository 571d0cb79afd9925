// The plug-in frame seen from Movara's side: requests through the exported
// `main` and `lbf_library_function_default_f` of a loaded plug-in.
#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

#include "movara_host.h"

namespace {

struct CALLBACK_CALL_TYPE {
  void* user_data;
  std::string text;
  MOVARA_LONG_TYPE value;
};

std::vector<CALLBACK_CALL_TYPE> callback_calls;

MOVARA_LONG_TYPE MOVARA_CALL callback_record_f(void* user_data, char* text, MOVARA_LONG_TYPE value) {
  callback_calls.push_back({user_data, text, value});
  return -77;  // whatever Movara's callback answers, 'CBIN' is answered 0
}

void* callback_argument_f() {
  LIBRARY_CALLBACK_TYPE callback = callback_record_f;
  void* argument = nullptr;
  static_assert(sizeof(callback) == sizeof(argument), "code and data pointers differ");
  std::memcpy(&argument, &callback, sizeof(argument));
  return argument;
}

class FRAME_TEST : public ::testing::Test {
 protected:
  void SetUp() override {
    mvh_reset();
    callback_calls.clear();
    std::string error;
    ASSERT_TRUE(mvh_plugin_load_f(FRAME_PROBE_MODULE_PATH, &plugin, &error)) << error;
    ASSERT_NE(plugin.library_function_default, nullptr);
    ASSERT_NE(plugin.library_user_function, nullptr);
  }
  void TearDown() override { mvh_plugin_unload(&plugin); }

  MOVARA_LONG_TYPE default_request_f(MOVARA_LONG_TYPE selector, void* argument_1 = nullptr,
                                     void* argument_2 = nullptr) {
    return plugin.library_function_default(selector, argument_1, argument_2, nullptr, nullptr,
                                           nullptr, nullptr, nullptr, nullptr);
  }
  // The probe's count of requests, less the one that asks for it.
  long request_count_f() { return mvh_plugin_request_f(plugin, 7777) - 1; }

  MVH_PLUGIN_TYPE plugin;
};

TEST_F(FRAME_TEST, library_messages_are_answered_0_by_main_and_by_the_default_handler) {
  int user_data = 0;
  for (MOVARA_LONG_TYPE selector : {MSG_CBIN, MSG_LIBR, MSG_LIBS, MSG_LIBD}) {
    SCOPED_TRACE(selector);
    EXPECT_EQ(mvh_plugin_request_f(plugin, selector, callback_argument_f(), &user_data), 0);
    EXPECT_EQ(default_request_f(selector, callback_argument_f(), &user_data), 0);
  }
}

TEST_F(FRAME_TEST, cbin_calls_the_callback_once_with_user_data_empty_text_and_0) {
  int user_data = 0;
  EXPECT_EQ(mvh_plugin_request_f(plugin, MSG_CBIN, callback_argument_f(), &user_data), 0);
  ASSERT_EQ(callback_calls.size(), 1u);
  EXPECT_EQ(callback_calls[0].user_data, &user_data);
  EXPECT_EQ(callback_calls[0].text, "");
  EXPECT_EQ(callback_calls[0].value, 0);

  EXPECT_EQ(default_request_f(MSG_CBIN, callback_argument_f(), &user_data), 0);
  EXPECT_EQ(callback_calls.size(), 2u);
  // The frame keeps nothing: other requests never reach the callback again.
  mvh_plugin_request_f(plugin, MSG_LIBS);
  mvh_plugin_request_f(plugin, MSG_LIBD);
  EXPECT_EQ(callback_calls.size(), 2u);
}

TEST_F(FRAME_TEST, cbin_without_a_callback_is_answered_0_and_calls_nothing) {
  EXPECT_EQ(mvh_plugin_request_f(plugin, MSG_CBIN, nullptr, nullptr), 0);
  EXPECT_TRUE(callback_calls.empty());
}

TEST_F(FRAME_TEST, answers_other_than_5_pass_through_main_and_skip_the_frame) {
  EXPECT_EQ(mvh_plugin_request_f(plugin, 1), 1);
  EXPECT_EQ(mvh_plugin_request_f(plugin, 2), 2);
  int flag = 1;
  EXPECT_EQ(mvh_plugin_request_f(plugin, MSG_CBIN, callback_argument_f(), nullptr, &flag), 42);
  EXPECT_TRUE(callback_calls.empty());
}

TEST_F(FRAME_TEST, selectors_nobody_handles_are_answered_5) {
  for (MOVARA_LONG_TYPE selector : std::initializer_list<MOVARA_LONG_TYPE>{
           0, 3, -1, MSG_IMPA, MSG_FORMAT_CHECK, MSG_FREG, fourcc_f("LIBX")}) {
    SCOPED_TRACE(selector);
    EXPECT_EQ(mvh_plugin_request_f(plugin, selector), 5);
  }
}

TEST_F(FRAME_TEST, main_hands_every_request_to_the_user_function_first) {
  const long before = request_count_f();
  mvh_plugin_request_f(plugin, MSG_LIBR);
  mvh_plugin_request_f(plugin, 3);
  mvh_plugin_request_f(plugin, MSG_CBIN);
  EXPECT_EQ(request_count_f(), before + 3 + 1);
}

TEST_F(FRAME_TEST, default_handler_never_calls_the_user_function_and_ignores_filter_messages) {
  const long before = request_count_f();
  for (MOVARA_LONG_TYPE selector :
       std::initializer_list<MOVARA_LONG_TYPE>{MSG_IMPA, MSG_FORMAT_CHECK, MSG_FREG, 1, 2, 6}) {
    SCOPED_TRACE(selector);
    EXPECT_EQ(default_request_f(selector, callback_argument_f()), 5);
  }
  EXPECT_EQ(default_request_f(MSG_LIBD), 0);
  EXPECT_EQ(request_count_f(), before + 1);
  EXPECT_TRUE(callback_calls.empty());
}

}  // namespace
