// The SEQ format module: byte order of every field width and length-prefixed
// strings, read and written through Movara's file calls on real files.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "movara_host.h"
#include "seq_bytes.h"
#include "seq_format.h"

namespace {

namespace fs = std::filesystem;

class SEQ_FORMAT_TEST : public ::testing::Test {
 protected:
  void SetUp() override {
    mvh_reset();
    // A file per test: ctest runs the cases in parallel processes.
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string test_name = std::string(test->test_suite_name()) + "." + test->name();
    std::replace(test_name.begin(), test_name.end(), '/', '_');
    const std::string folder = std::string(TEST_SCRATCH_DIRECTORY) + "/" + test_name;
    fs::create_directories(folder);
    path = folder + "/seq_format.seq";
    ASSERT_TRUE(mvh_file_identifier_make_f(&identifier, path));
  }
  void TearDown() override {
    EXPECT_EQ(mvh_open_file_count_get_f(), 0);
    mvh_reset();
  }

  // Opens `bytes` as a file for reading.
  MOVARA_LONG_TYPE file_reading_open_f(const SEQ_BYTES_TYPE& bytes) {
    EXPECT_TRUE(bytes.file_write_f(path));
    const MOVARA_LONG_TYPE file = fm_file_open_f(&identifier, 1);
    EXPECT_FALSE(em_error_occurred_f()) << mvh_error_message_get_f();
    return file;
  }
  MOVARA_LONG_TYPE file_writing_open_f() {
    fm_file_create_e(&identifier);
    const MOVARA_LONG_TYPE file = fm_file_open_f(&identifier, 0);
    EXPECT_FALSE(em_error_occurred_f()) << mvh_error_message_get_f();
    return file;
  }

  std::string path;
  FM_FILE_IDENTIFIER_TYPE identifier{};
};

TEST(SEQ_BYTE_ORDER, swaps_reverse_bytes_and_are_their_own_inverse) {
  EXPECT_EQ(seq_u16_swap_f(0x0005), 0x0500);
  EXPECT_EQ(seq_u32_swap_f(0x7F7F7F7Au), 0x7A7F7F7Fu);
  EXPECT_EQ(seq_u32_swap_f(seq_u32_swap_f(0x01020304u)), 0x01020304u);
  unsigned char field[4] = {0x3F, 0x80, 0x00, 0x00};
  float value = 0.0f;
  std::memcpy(&value, field, sizeof(value));
  seq_f32_swap(&value);
  EXPECT_EQ(value, 1.0f);
}

TEST(SEQ_BYTE_ORDER, float_swap_keeps_every_bit_pattern_including_signalling_nans) {
  for (std::uint32_t pattern : {0x7FA00001u, 0xFF800001u, 0x00000001u, 0x80000000u, 0x0000807Fu}) {
    float value = 0.0f;
    std::memcpy(&value, &pattern, sizeof(value));
    seq_f32_swap(&value);
    std::uint32_t swapped = 0;
    std::memcpy(&swapped, &value, sizeof(swapped));
    EXPECT_EQ(swapped, seq_u32_swap_f(pattern));
    seq_f32_swap(&value);
    std::uint32_t back = 0;
    std::memcpy(&back, &value, sizeof(back));
    EXPECT_EQ(back, pattern);
  }
}

TEST_F(SEQ_FORMAT_TEST, fields_are_written_big_endian) {
  const MOVARA_LONG_TYPE file = file_writing_open_f();
  char male[] = "male";
  seq_string_write(file, male);
  // A translation key with frame number 1 and value 1.0.
  seq_i32_write(file, 1);
  float value = 1.0f;
  seq_f32_swap(&value);
  fm_file_write_f(file, reinterpret_cast<char*>(&value), sizeof(value));
  seq_u16_write(file, 100);
  seq_u32_write(file, SEQ_MAGIC);
  seq_i32_write(file, -5);
  fm_file_close(file);
  EXPECT_FALSE(em_error_occurred_f());
  const std::vector<std::uint8_t> expected = {0x00, 0x05, 'm',  'a',  'l',  'e',  0x00,
                                              0x00, 0x00, 0x00, 0x01, 0x3F, 0x80, 0x00, 0x00,
                                              0x00, 0x64, 0x7F, 0x7F, 0x7F, 0x7A,
                                              0xFF, 0xFF, 0xFF, 0xFB};
  EXPECT_EQ(bytes_hex_get_f(file_bytes_read_f(path)), bytes_hex_get_f(expected));
}

TEST_F(SEQ_FORMAT_TEST, fields_are_read_big_endian) {
  SEQ_BYTES_TYPE bytes;
  bytes.u32(0x7F7F7F79).u16(0xFFFE).i32(-5).i16(-2);
  const MOVARA_LONG_TYPE file = file_reading_open_f(bytes);
  EXPECT_EQ(seq_u32_read_f(file), SEQ_MAGIC_ALTERNATE);
  EXPECT_EQ(seq_u16_read_f(file), 0xFFFE);
  EXPECT_EQ(seq_i32_read_f(file), -5);
  EXPECT_EQ(seq_i16_read_f(file), -2);
  EXPECT_FALSE(em_error_occurred_f());
  // Past the end: the error state is set and the value is 0, not stale bytes.
  EXPECT_EQ(seq_i32_read_f(file), 0);
  EXPECT_TRUE(em_error_occurred_f());
  fm_file_close(file);
}

struct STRING_CASE_TYPE {
  const char* what;
  std::vector<std::uint8_t> stored;  // the count and what follows it
  MOVARA_LONG_TYPE capacity;
  SEQ_STRING_RESULT_TYPE result;
  std::string name;  // what the buffer holds afterwards
  MOVARA_LONG_TYPE position;  // where the file stands afterwards
};

void PrintTo(const STRING_CASE_TYPE& string_case, std::ostream* out) { *out << string_case.what; }

class SEQ_STRING_READ_TEST : public SEQ_FORMAT_TEST,
                             public ::testing::WithParamInterface<STRING_CASE_TYPE> {};

TEST_P(SEQ_STRING_READ_TEST, keeps_the_buffer_terminated_and_inside_its_capacity) {
  const STRING_CASE_TYPE& string_case = GetParam();
  SEQ_BYTES_TYPE bytes;
  bytes.raw(string_case.stored).raw({0xAB, 0xCD});  // a field that follows
  const MOVARA_LONG_TYPE file = file_reading_open_f(bytes);

  // The buffer sits inside a larger block whose tail must stay untouched.
  std::vector<char> block(static_cast<std::size_t>(string_case.capacity) + 16, '#');
  EXPECT_EQ(seq_string_read_f(file, block.data(), string_case.capacity), string_case.result);
  EXPECT_EQ(std::string(block.data()), string_case.name);
  for (std::size_t i = static_cast<std::size_t>(string_case.capacity); i < block.size(); ++i) {
    ASSERT_EQ(block[i], '#') << "written past the capacity at " << i;
  }
  EXPECT_EQ(fm_file_position_get_f(file), string_case.position);
  fm_file_close(file);
}

std::vector<std::uint8_t> count_and_text_f(std::int16_t count, const std::string& text) {
  SEQ_BYTES_TYPE bytes;
  bytes.i16(count);
  bytes.raw(std::vector<std::uint8_t>(text.begin(), text.end()));
  return bytes.bytes_get_f();
}

INSTANTIATE_TEST_SUITE_P(
    SEQ_STRINGS, SEQ_STRING_READ_TEST,
    ::testing::Values(
        STRING_CASE_TYPE{"male", {0x00, 0x05, 'm', 'a', 'l', 'e', 0x00}, 1024, SEQ_STRING_READ,
                         "male", 7},
        STRING_CASE_TYPE{"only the NUL", {0x00, 0x01, 0x00}, 1024, SEQ_STRING_READ, "", 3},
        STRING_CASE_TYPE{"exactly the capacity",
                         count_and_text_f(8, std::string("seven..") + '\0'), 8, SEQ_STRING_READ,
                         "seven..", 10},
        STRING_CASE_TYPE{"count 0", {0x00, 0x00}, 1024, SEQ_STRING_MALFORMED, "", 2},
        STRING_CASE_TYPE{"negative count", {0xFF, 0xFF, 'a', 0x00}, 1024, SEQ_STRING_MALFORMED,
                         "", 2},
        STRING_CASE_TYPE{"one above the capacity",
                         count_and_text_f(9, std::string("eight...") + '\0'), 8,
                         SEQ_STRING_MALFORMED, "", 2},
        STRING_CASE_TYPE{"largest count", count_and_text_f(32767, "x"), 1024,
                         SEQ_STRING_MALFORMED, "", 2},
        STRING_CASE_TYPE{"no NUL at the end", {0x00, 0x04, 'm', 'a', 'l', 'e'}, 1024,
                         SEQ_STRING_MALFORMED, "mal", 6},
        STRING_CASE_TYPE{"NUL inside, not at the end", {0x00, 0x04, 'a', 0x00, 'b', 'c'}, 1024,
                         SEQ_STRING_MALFORMED, "a", 6}),
    [](const ::testing::TestParamInfo<STRING_CASE_TYPE>& case_info) {
      std::string name = case_info.param.what;
      for (char& c : name) {
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
      }
      return name;
    });

TEST_F(SEQ_FORMAT_TEST, string_cut_short_sets_the_error_and_stays_terminated) {
  SEQ_BYTES_TYPE bytes;
  bytes.i16(10).raw({'a', 'b', 'c'});
  const MOVARA_LONG_TYPE file = file_reading_open_f(bytes);
  std::vector<char> block(16, '#');
  seq_string_read_f(file, block.data(), 10);
  EXPECT_TRUE(em_error_occurred_f());
  EXPECT_LT(std::strlen(block.data()), 10u);
  EXPECT_EQ(block[10], '#');
  fm_file_close(file);
}

TEST_F(SEQ_FORMAT_TEST, string_write_then_read_gives_the_name_back) {
  const MOVARA_LONG_TYPE out = file_writing_open_f();
  std::string longest(255, 'n');
  seq_string_write(out, longest.data());
  char empty[] = "";
  seq_string_write(out, empty);
  fm_file_close(out);

  const MOVARA_LONG_TYPE in = fm_file_open_f(&identifier, 1);
  char name[SEQ_READER_NAME_CAPACITY];
  EXPECT_EQ(seq_string_read_f(in, name, SEQ_READER_NAME_CAPACITY), SEQ_STRING_READ);
  EXPECT_EQ(std::string(name), longest);
  EXPECT_EQ(seq_string_read_f(in, name, SEQ_READER_NAME_CAPACITY), SEQ_STRING_READ);
  EXPECT_EQ(std::string(name), "");
  EXPECT_EQ(fm_file_position_get_f(in), 2 + 256 + 2 + 1);
  fm_file_close(in);
}

}  // namespace
