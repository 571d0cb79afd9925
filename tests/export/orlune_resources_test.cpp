// What the plug-in modules carry besides code: Orlune's format picture,
// bitmap 2703 as generated from its pixel map, and the version records.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <map>
#include <regex>
#include <string>
#include <vector>

namespace {

std::vector<std::uint8_t> bytes_read_f(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(file),
                                   std::istreambuf_iterator<char>());
}

std::uint32_t u32_little_get_f(const std::vector<std::uint8_t>& bytes, std::size_t offset) {
  return static_cast<std::uint32_t>(bytes[offset]) |
         (static_cast<std::uint32_t>(bytes[offset + 1]) << 8) |
         (static_cast<std::uint32_t>(bytes[offset + 2]) << 16) |
         (static_cast<std::uint32_t>(bytes[offset + 3]) << 24);
}

std::uint32_t u16_little_get_f(const std::vector<std::uint8_t>& bytes, std::size_t offset) {
  return static_cast<std::uint32_t>(bytes[offset]) |
         (static_cast<std::uint32_t>(bytes[offset + 1]) << 8);
}

// Palette index of pixel (x, y), y counted from the top row: rows are stored
// bottom-up, 16 bytes a row, the left pixel of a byte in its high nibble.
int pixel_get_f(const std::vector<std::uint8_t>& dib, int x, int y) {
  const std::size_t offset = 40 + 64 + static_cast<std::size_t>((31 - y) * 16 + x / 2);
  return x % 2 == 0 ? dib[offset] >> 4 : dib[offset] & 0x0F;
}

enum STANDARD_COLOUR_TYPE { BLACK = 0, SILVER = 7, GREY = 8, RED = 9, WHITE = 15 };

TEST(ORLUNE_BITMAP, generated_bitmap_is_a_32_by_32_4_bit_dib_of_616_bytes) {
  const std::vector<std::uint8_t> dib = bytes_read_f(ORLUNE_BITMAP_DIB_PATH);
  ASSERT_EQ(dib.size(), 616u);
  EXPECT_EQ(u32_little_get_f(dib, 0), 40u);   // information header size
  EXPECT_EQ(u32_little_get_f(dib, 4), 32u);   // width
  EXPECT_EQ(u32_little_get_f(dib, 8), 32u);   // height, positive: bottom-up
  EXPECT_EQ(u16_little_get_f(dib, 12), 1u);   // planes
  EXPECT_EQ(u16_little_get_f(dib, 14), 4u);   // bits per pixel
  EXPECT_EQ(u32_little_get_f(dib, 16), 0u);   // no compression
  EXPECT_EQ(u32_little_get_f(dib, 20), 512u); // image size
  EXPECT_EQ(u32_little_get_f(dib, 32), 0u);   // colours used: all 16
  const std::uint32_t standard_colours[16] = {
      0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
      0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};
  for (std::size_t index = 0; index < 16; ++index) {
    // Blue, green, red, 0: little-endian 0x00RRGGBB.
    EXPECT_EQ(u32_little_get_f(dib, 40 + 4 * index), standard_colours[index]) << index;
  }
}

TEST(ORLUNE_BITMAP, pixels_show_the_page_figure_arrows_and_letters) {
  const std::vector<std::uint8_t> dib = bytes_read_f(ORLUNE_BITMAP_DIB_PATH);
  ASSERT_EQ(dib.size(), 616u);
  struct PIXEL_CASE_TYPE {
    const char* what;
    int x;
    int y;
    int colour;
  };
  const PIXEL_CASE_TYPE pixels[] = {
      {"outside, top left", 0, 0, WHITE},
      {"outside, bottom right", 31, 31, WHITE},
      {"outline, top left corner", 2, 1, BLACK},
      {"outline, bottom edge", 15, 29, BLACK},
      {"page", 4, 3, SILVER},
      {"folded corner", 22, 4, GREY},
      {"cut corner outside the page", 26, 2, WHITE},
      {"shadow, right edge", 28, 20, GREY},
      {"shadow, bottom edge", 15, 30, GREY},
      {"figure's head", 8, 5, RED},
      {"figure's shoulders", 5, 9, RED},
      {"figure, between two strokes", 8, 10, SILVER},
      {"first arrowhead's point", 16, 8, BLACK},
      {"last arrowhead's point", 16, 26, BLACK},
      {"letter S", 21, 9, BLACK},
      {"letter E", 20, 18, BLACK},
      {"letter Q's tail", 24, 28, BLACK},
  };
  for (const PIXEL_CASE_TYPE& pixel : pixels) {
    EXPECT_EQ(pixel_get_f(dib, pixel.x, pixel.y), pixel.colour) << pixel.what;
  }
}

TEST(ORLUNE_BITMAP, bmp_file_is_the_same_bitmap_behind_a_file_header) {
  const std::vector<std::uint8_t> dib = bytes_read_f(ORLUNE_BITMAP_DIB_PATH);
  const std::vector<std::uint8_t> bmp = bytes_read_f(ORLUNE_BITMAP_BMP_PATH);
  ASSERT_EQ(bmp.size(), 14u + 616u);
  EXPECT_EQ(bmp[0], 'B');
  EXPECT_EQ(bmp[1], 'M');
  EXPECT_EQ(u32_little_get_f(bmp, 2), 630u);    // file size
  EXPECT_EQ(u32_little_get_f(bmp, 6), 0u);      // reserved
  EXPECT_EQ(u32_little_get_f(bmp, 10), 118u);   // pixels after headers and palette
  EXPECT_EQ(std::vector<std::uint8_t>(bmp.begin() + 14, bmp.end()), dib);
}

// On Linux the version record is data in the module's .plugin_version
// section; a Windows module carries it as a version resource instead.
#if !defined(_WIN32)

// The "key=value" texts that follow the marker of a module's version record.
std::map<std::string, std::string> version_record_get_f(const std::string& module_path) {
  const std::vector<std::uint8_t> bytes = bytes_read_f(module_path);
  const std::string marker("PLUGIN_VERSION_RECORD\0", 22);
  const std::string file(bytes.begin(), bytes.end());
  std::map<std::string, std::string> record;
  std::size_t position = file.find(marker);
  if (position == std::string::npos) {
    return record;
  }
  position += marker.size();
  while (position < file.size()) {
    const std::size_t end = file.find('\0', position);
    const std::string entry = file.substr(position, end - position);
    const std::size_t equals = entry.find('=');
    if (end == std::string::npos || equals == std::string::npos) {
      break;
    }
    record[entry.substr(0, equals)] = entry.substr(equals + 1);
    position = end + 1;
  }
  return record;
}

struct VERSION_CASE_TYPE {
  const char* module_path;
  const char* product;
  const char* description;
  const char* file_name;
};

void version_record_expect(const VERSION_CASE_TYPE& module) {
  SCOPED_TRACE(module.module_path);
  const std::map<std::string, std::string> record = version_record_get_f(module.module_path);
  ASSERT_FALSE(record.empty()) << "no version record";
  EXPECT_EQ(record.at("ProductName"), module.product);
  EXPECT_EQ(record.at("FileDescription"), module.description);
  EXPECT_EQ(record.at("OriginalFilename"), module.file_name);
  EXPECT_TRUE(std::regex_match(record.at("FileVersion"), std::regex("[0-9]+\\.[0-9]+\\.[0-9]+\\.[0-9]+")))
      << record.at("FileVersion");
}

TEST(PLUGIN_VERSION_RECORD, orlune_module_carries_its_version_record) {
  version_record_expect({ORLUNE_MODULE_PATH, "Orlune", "SEQ motion export for Movara", "orlune.so"});
}

#if defined(VESTAN_MODULE_PATH)
TEST(PLUGIN_VERSION_RECORD, vestan_module_carries_its_version_record) {
  version_record_expect({VESTAN_MODULE_PATH, "Vestan", "SEQ motion import for Movara", "vestan.so"});
}
#endif

#endif  // !defined(_WIN32)

}  // namespace
