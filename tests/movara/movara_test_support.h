// Shared helpers of the stand-in's tests.
#ifndef TESTS_MOVARA_MOVARA_TEST_SUPPORT_H
#define TESTS_MOVARA_MOVARA_TEST_SUPPORT_H

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "movara_host.h"

// Movara takes `char*`; the tests hand it literals.
inline char* text_f(const char* text) { return const_cast<char*>(text); }

inline void* failed_animation_get_f() { return reinterpret_cast<void*>(static_cast<std::intptr_t>(-1)); }

// Every test starts on a fresh Movara and a scratch folder of its own.
class MOVARA_TEST_TYPE : public ::testing::Test {
 protected:
  void SetUp() override {
    mvh_reset();
    blocks_at_start_ = mvh_live_block_count_get_f();
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->test_suite_name()) + "_" + info->name();
    for (char& c : name) {
      if (c == '/' || c == '\\') c = '_';
    }
    scratch_ = std::string(TEST_SCRATCH_DIRECTORY) + "/" + name;
    std::filesystem::remove_all(scratch_);
    std::filesystem::create_directories(scratch_);
  }
  void TearDown() override {
    mvh_reset();
    EXPECT_EQ(mvh_open_file_count_get_f(), 0);
  }

  std::string path_get_f(const std::string& name) const { return scratch_ + "/" + name; }

  void file_put(const std::string& name, const std::vector<unsigned char>& bytes) const {
    std::ofstream out(path_get_f(name), std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }

  std::vector<unsigned char> file_get_f(const std::string& name) const {
    std::ifstream in(path_get_f(name), std::ios::binary);
    return std::vector<unsigned char>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  }

  FM_FILE_IDENTIFIER_TYPE identifier_get_f(const std::string& name) const {
    FM_FILE_IDENTIFIER_TYPE identifier;
    EXPECT_TRUE(mvh_file_identifier_make_f(&identifier, path_get_f(name)));
    return identifier;
  }

  std::string scratch_;
  long blocks_at_start_ = 0;
};

#endif  // TESTS_MOVARA_MOVARA_TEST_SUPPORT_H
