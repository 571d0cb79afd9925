// st_ strings and memory blocks.
#include <climits>
#include <cstring>

#include "movara_test_support.h"

namespace {

class MOVARA_STRINGS_TEST : public MOVARA_TEST_TYPE {};

// One Movara long through one format: cases differ only in data.
struct LONG_FORMAT_CASE_TYPE {
  const char* format;
  MOVARA_LONG_TYPE value;
  const char* expected;
};

class MOVARA_LONG_FORMAT_TEST : public MOVARA_TEST_TYPE,
                             public ::testing::WithParamInterface<LONG_FORMAT_CASE_TYPE> {};

TEST_P(MOVARA_LONG_FORMAT_TEST, percent_l_reads_a_32_bit_movara_long) {
  const LONG_FORMAT_CASE_TYPE& c = GetParam();
  char buffer[256];
  std::memset(buffer, 'Z', sizeof(buffer));
  EXPECT_EQ(st_nprintf_f(buffer, 256, text_f(c.format), c.value), buffer);
  EXPECT_STREQ(buffer, c.expected) << c.format;
}

INSTANTIATE_TEST_SUITE_P(
    FORMATS, MOVARA_LONG_FORMAT_TEST,
    ::testing::Values(LONG_FORMAT_CASE_TYPE{"%ld", 0, "0"}, LONG_FORMAT_CASE_TYPE{"%ld", 42, "42"},
                      LONG_FORMAT_CASE_TYPE{"%ld", -1, "-1"}, LONG_FORMAT_CASE_TYPE{"%ld", -42, "-42"},
                      LONG_FORMAT_CASE_TYPE{"%ld", INT32_MAX, "2147483647"},
                      LONG_FORMAT_CASE_TYPE{"%ld", INT32_MIN, "-2147483648"},
                      LONG_FORMAT_CASE_TYPE{"%li", -7, "-7"}, LONG_FORMAT_CASE_TYPE{"%lu", -1, "4294967295"},
                      LONG_FORMAT_CASE_TYPE{"%lx", 255, "ff"}, LONG_FORMAT_CASE_TYPE{"%lX", -1, "FFFFFFFF"},
                      LONG_FORMAT_CASE_TYPE{"%lo", 8, "10"}, LONG_FORMAT_CASE_TYPE{"%5ld|", 42, "   42|"},
                      LONG_FORMAT_CASE_TYPE{"%-5ld|", 42, "42   |"}, LONG_FORMAT_CASE_TYPE{"%05ld", -42, "-0042"},
                      LONG_FORMAT_CASE_TYPE{"%+ld", 42, "+42"}, LONG_FORMAT_CASE_TYPE{"%.4ld", 7, "0007"},
                      LONG_FORMAT_CASE_TYPE{"%#lx", 255, "0xff"}, LONG_FORMAT_CASE_TYPE{"%%ld %ld", 3, "%ld 3"},
                      LONG_FORMAT_CASE_TYPE{"100%% %ld%%", 5, "100% 5%"},
                      LONG_FORMAT_CASE_TYPE{"figure %ld", 11, "figure 11"},
                      LONG_FORMAT_CASE_TYPE{"%d", -3, "-3"}, LONG_FORMAT_CASE_TYPE{"no conversion", 0, "no conversion"}));

TEST_F(MOVARA_STRINGS_TEST, per_figure_name_format) {
  char buffer[256];
  for (MOVARA_LONG_TYPE index : {0, 1, 9, 10, 11}) {
    st_nprintf_f(buffer, 256, text_f("%s_%ld.%s"), "walk", index, "seq");
    EXPECT_EQ(std::string(buffer), "walk_" + std::to_string(index) + ".seq");
  }
  st_nprintf_f(buffer, 256, text_f("%s_%ld.%s"), "walk", INT32_MIN, "seq");
  EXPECT_STREQ(buffer, "walk_-2147483648.seq");
  st_nprintf_f(buffer, 256, text_f("%ld %s %ld %lu"), -1, "x", INT32_MAX, static_cast<MOVARA_LONG_TYPE>(-2));
  EXPECT_STREQ(buffer, "-1 x 2147483647 4294967294");
  st_nprintf_f(buffer, 256, text_f("%*ld|%-*ld|"), 4, 7, 3, 8);
  EXPECT_STREQ(buffer, "   7|8  |");
  st_nprintf_f(buffer, 256, text_f("%lld"), static_cast<long long>(-5000000000LL));
  EXPECT_STREQ(buffer, "-5000000000");
  st_nprintf_f(buffer, 256, text_f("%.2f %c"), 1.5, 'q');
  EXPECT_STREQ(buffer, "1.50 q");
}

TEST_F(MOVARA_STRINGS_TEST, formatting_is_bounded_by_size) {
  char buffer[16];
  std::memset(buffer, 'Z', sizeof(buffer));
  st_nprintf_f(buffer, 8, text_f("%s_%ld.%s"), "walking", 12, "seq");
  EXPECT_STREQ(buffer, "walking");
  EXPECT_EQ(buffer[8], 'Z');
  std::memset(buffer, 'Z', sizeof(buffer));
  st_nprintf_f(buffer, 1, text_f("%ld"), 12345);
  EXPECT_EQ(buffer[0], '\0');
  EXPECT_EQ(buffer[1], 'Z');
  std::memset(buffer, 'Z', sizeof(buffer));
  st_nprintf_f(buffer, 0, text_f("%ld"), 12345);
  EXPECT_EQ(buffer[0], 'Z');
  st_nprintf_f(buffer, 16, text_f("cut %"));
  EXPECT_STREQ(buffer, "cut %");
}

TEST_F(MOVARA_STRINGS_TEST, copy_is_bounded_and_always_terminated) {
  char buffer[8];
  std::memset(buffer, 'Z', sizeof(buffer));
  EXPECT_EQ(st_str_copy_f(buffer, text_f("seq"), 256), buffer);
  EXPECT_STREQ(buffer, "seq");
  std::memset(buffer, 'Z', sizeof(buffer));
  st_str_copy_f(buffer, text_f("abcdefghij"), 5);
  EXPECT_STREQ(buffer, "abcd");
  EXPECT_EQ(buffer[5], 'Z');
  std::memset(buffer, 'Z', sizeof(buffer));
  st_str_copy_f(buffer, text_f("abc"), 0);
  EXPECT_EQ(buffer[0], 'Z');
  st_str_copy_f(buffer, text_f(""), 8);
  EXPECT_STREQ(buffer, "");
}

TEST_F(MOVARA_STRINGS_TEST, equality_and_length) {
  EXPECT_TRUE(st_str_equal_f(text_f("male"), text_f("male")));
  EXPECT_FALSE(st_str_equal_f(text_f("male"), text_f("Male")));
  EXPECT_FALSE(st_str_equal_f(text_f("male"), text_f("males")));
  EXPECT_TRUE(st_str_equal_f(text_f(""), text_f("")));
  EXPECT_EQ(st_str_length_get_f(text_f("")), 0);
  EXPECT_EQ(st_str_length_get_f(text_f("male")), 4);
  std::string long_text(40000, 'a');
  EXPECT_EQ(st_str_length_get_f(text_f(long_text.c_str())), 32767);
}

TEST_F(MOVARA_STRINGS_TEST, blocks_are_zero_filled_and_ledgered) {
  char* first = mm_pointer_create(100);
  ASSERT_NE(first, nullptr);
  for (int i = 0; i < 100; ++i) EXPECT_EQ(first[i], 0);
  char* second = mm_pointer_create(50);
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(mvh_live_block_count_get_f(), blocks_at_start_ + 2);
  EXPECT_EQ(mvh_live_block_bytes_get_f(), 150);
  mm_pointer_dispose(first);
  EXPECT_EQ(mvh_live_block_bytes_get_f(), 50);
  EXPECT_EQ(mvh_live_block_bytes_peak_get_f(), 150);
  mm_pointer_dispose(second);
  EXPECT_EQ(mvh_live_block_count_get_f(), blocks_at_start_);
  EXPECT_EQ(mvh_block_misuse_count_get_f(), 0);
  mm_pointer_dispose(nullptr);
  EXPECT_EQ(mvh_block_misuse_count_get_f(), 0);
  mm_pointer_dispose(second);  // twice
  char own[4];
  mm_pointer_dispose(own);  // never handed out
  EXPECT_EQ(mvh_block_misuse_count_get_f(), 2);
  EXPECT_FALSE(em_error_occurred_f());
}

struct BAD_SIZE_CASE_TYPE {
  MOVARA_LONG_TYPE size;
  const char* message;
};

class MOVARA_BAD_BLOCK_TEST : public MOVARA_TEST_TYPE, public ::testing::WithParamInterface<BAD_SIZE_CASE_TYPE> {};

TEST_P(MOVARA_BAD_BLOCK_TEST, no_block_for_a_size_of_zero_or_less) {
  EXPECT_EQ(mm_pointer_create(GetParam().size), nullptr);
  EXPECT_TRUE(em_error_occurred_f());
  EXPECT_EQ(mvh_error_message_get_f(), GetParam().message);
  EXPECT_EQ(mvh_live_block_count_get_f(), blocks_at_start_);
}

INSTANTIATE_TEST_SUITE_P(SIZES, MOVARA_BAD_BLOCK_TEST,
                         ::testing::Values(BAD_SIZE_CASE_TYPE{0, "cannot allocate a block of 0 bytes"},
                                           BAD_SIZE_CASE_TYPE{-1, "cannot allocate a block of -1 bytes"},
                                           BAD_SIZE_CASE_TYPE{INT32_MIN,
                                                              "cannot allocate a block of -2147483648 bytes"}));

TEST_F(MOVARA_STRINGS_TEST, allocation_beyond_the_memory_limit_fails_like_a_shortage) {
  mvh_memory_limit_set(1000);
  char* block = mm_pointer_create(600);
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(mm_pointer_create(600), nullptr);
  EXPECT_TRUE(em_error_occurred_f());
  EXPECT_EQ(mvh_error_message_get_f(), "out of memory: cannot allocate 600 bytes");
  mm_pointer_dispose(block);
  em_error_reset();
  block = mm_pointer_create(1000);
  EXPECT_NE(block, nullptr);
  mm_pointer_dispose(block);
  EXPECT_FALSE(em_error_occurred_f());
}

TEST_F(MOVARA_STRINGS_TEST, reset_keeps_counting_blocks_that_are_still_live) {
  char* block = mm_pointer_create(10);
  mvh_reset();
  EXPECT_EQ(mvh_live_block_count_get_f(), blocks_at_start_ + 1);
  EXPECT_EQ(mvh_live_block_bytes_peak_get_f(), mvh_live_block_bytes_get_f());
  mm_pointer_dispose(block);
  EXPECT_EQ(mvh_live_block_count_get_f(), blocks_at_start_);
  EXPECT_EQ(mvh_block_misuse_count_get_f(), 0);
}

}  // namespace
