// dib_generate: turns a text pixel map into a 4-bit Windows device-independent
// bitmap, so that a picture can be kept, reviewed and changed as text.
//
//   dib_generate <map.txt> <output> [--file-header]
//
// The map has 32 lines of 32 characters, one character a pixel, the first
// line the top row. Lines starting with '#' are comments and are skipped.
// Each character picks one of the 16 standard Windows colours:
//
//   k black    m maroon   n green    o olive    v navy     p purple
//   t teal     s silver   g grey     r red      l lime     y yellow
//   b blue     f fuchsia  a aqua     . white
//
// The output is the 616-byte bitmap as a resource holds it: a 40-byte
// information header, the 16-colour palette as blue-green-red-0 quads, then
// 512 bytes of rows, bottom row first, two pixels a byte, the left pixel in
// the high nibble. With --file-header the 14-byte bitmap file header is put
// in front, which makes the .bmp file that a resource compiler takes.
//
// Exit status 0 on success, 1 on a malformed map, 2 on bad usage or I/O.
#include <array>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

namespace {

constexpr int DIB_WIDTH = 32;
constexpr int DIB_HEIGHT = 32;
constexpr int DIB_BITS_PER_PIXEL = 4;
constexpr int DIB_INFO_HEADER_SIZE = 40;
constexpr int DIB_PALETTE_SIZE = 16 * 4;
constexpr int DIB_ROW_SIZE = DIB_WIDTH * DIB_BITS_PER_PIXEL / 8;  // already a multiple of 4
constexpr int DIB_IMAGE_SIZE = DIB_ROW_SIZE * DIB_HEIGHT;
constexpr int DIB_SIZE = DIB_INFO_HEADER_SIZE + DIB_PALETTE_SIZE + DIB_IMAGE_SIZE;
constexpr int BMP_FILE_HEADER_SIZE = 14;
static_assert(DIB_SIZE == 616, "the format picture is 616 bytes");

struct DIB_COLOUR_TYPE {
  char symbol;
  std::uint8_t red;
  std::uint8_t green;
  std::uint8_t blue;
};

// The 16 standard Windows colours, in palette order.
constexpr std::array<DIB_COLOUR_TYPE, 16> DIB_COLOURS = {{
    {'k', 0x00, 0x00, 0x00},  // black
    {'m', 0x80, 0x00, 0x00},  // maroon
    {'n', 0x00, 0x80, 0x00},  // green
    {'o', 0x80, 0x80, 0x00},  // olive
    {'v', 0x00, 0x00, 0x80},  // navy
    {'p', 0x80, 0x00, 0x80},  // purple
    {'t', 0x00, 0x80, 0x80},  // teal
    {'s', 0xC0, 0xC0, 0xC0},  // silver
    {'g', 0x80, 0x80, 0x80},  // grey
    {'r', 0xFF, 0x00, 0x00},  // red
    {'l', 0x00, 0xFF, 0x00},  // lime
    {'y', 0xFF, 0xFF, 0x00},  // yellow
    {'b', 0x00, 0x00, 0xFF},  // blue
    {'f', 0xFF, 0x00, 0xFF},  // fuchsia
    {'a', 0x00, 0xFF, 0xFF},  // aqua
    {'.', 0xFF, 0xFF, 0xFF},  // white
}};

// Palette index of a map character, -1 for a character outside the legend.
int colour_index_get_f(char symbol) {
  for (std::size_t index = 0; index < DIB_COLOURS.size(); ++index) {
    if (DIB_COLOURS[index].symbol == symbol) {
      return static_cast<int>(index);
    }
  }
  return -1;
}

void u16_put(std::vector<std::uint8_t>& bytes, std::uint32_t value) {
  bytes.push_back(static_cast<std::uint8_t>(value & 0xFFu));
  bytes.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFFu));
}

void u32_put(std::vector<std::uint8_t>& bytes, std::uint32_t value) {
  u16_put(bytes, value & 0xFFFFu);
  u16_put(bytes, value >> 16);
}

// Reads the map's rows, top row first. False, with a message, when the map
// does not have exactly 32 rows of 32 known characters.
bool pixel_map_read_f(const std::string& path, std::vector<std::string>* rows) {
  std::ifstream input(path);
  if (!input) {
    std::cerr << "dib_generate: cannot read " << path << "\n";
    return false;
  }
  std::string line;
  int line_number = 0;
  while (std::getline(input, line)) {
    ++line_number;
    if (!line.empty() && line.back() == '\r') {
      line.pop_back();
    }
    if (!line.empty() && line[0] == '#') {
      continue;
    }
    if (line.size() != static_cast<std::size_t>(DIB_WIDTH)) {
      std::cerr << path << ":" << line_number << ": a row has " << DIB_WIDTH
                << " pixels, this one " << line.size() << "\n";
      return false;
    }
    for (std::size_t column = 0; column < line.size(); ++column) {
      if (colour_index_get_f(line[column]) < 0) {
        std::cerr << path << ":" << line_number << ": '" << line[column] << "' in column "
                  << column + 1 << " is not in the legend\n";
        return false;
      }
    }
    rows->push_back(line);
  }
  if (rows->size() != static_cast<std::size_t>(DIB_HEIGHT)) {
    std::cerr << path << ": the map has " << rows->size() << " rows, not " << DIB_HEIGHT << "\n";
    return false;
  }
  return true;
}

// The 616 bytes of the bitmap for rows given top row first.
std::vector<std::uint8_t> dib_bytes_get_f(const std::vector<std::string>& rows) {
  std::vector<std::uint8_t> bytes;
  bytes.reserve(DIB_SIZE);
  u32_put(bytes, DIB_INFO_HEADER_SIZE);
  u32_put(bytes, DIB_WIDTH);
  u32_put(bytes, DIB_HEIGHT);  // positive: rows stored bottom-up
  u16_put(bytes, 1);           // planes
  u16_put(bytes, DIB_BITS_PER_PIXEL);
  u32_put(bytes, 0);  // no compression
  u32_put(bytes, DIB_IMAGE_SIZE);
  u32_put(bytes, 0);  // horizontal resolution: unspecified
  u32_put(bytes, 0);  // vertical resolution: unspecified
  u32_put(bytes, 0);  // colours used: all 16
  u32_put(bytes, 0);  // important colours: all
  for (const DIB_COLOUR_TYPE& colour : DIB_COLOURS) {
    bytes.push_back(colour.blue);
    bytes.push_back(colour.green);
    bytes.push_back(colour.red);
    bytes.push_back(0);
  }
  for (auto row = rows.rbegin(); row != rows.rend(); ++row) {
    for (std::size_t column = 0; column < row->size(); column += 2) {
      const int left = colour_index_get_f((*row)[column]);
      const int right = colour_index_get_f((*row)[column + 1]);
      bytes.push_back(static_cast<std::uint8_t>((left << 4) | right));
    }
  }
  return bytes;
}

// The 14-byte header of a .bmp file holding `dib_size` bytes of bitmap.
std::vector<std::uint8_t> bmp_file_header_get_f(std::uint32_t dib_size) {
  std::vector<std::uint8_t> bytes = {'B', 'M'};
  u32_put(bytes, BMP_FILE_HEADER_SIZE + dib_size);
  u16_put(bytes, 0);
  u16_put(bytes, 0);
  u32_put(bytes, BMP_FILE_HEADER_SIZE + DIB_INFO_HEADER_SIZE + DIB_PALETTE_SIZE);  // pixel offset
  return bytes;
}

}  // namespace

int main(int argument_count, char** arguments) {
  const bool file_header = argument_count == 4 && std::strcmp(arguments[3], "--file-header") == 0;
  if (argument_count != 3 && !file_header) {
    std::cerr << "usage: dib_generate <map.txt> <output> [--file-header]\n";
    return 2;
  }
  std::vector<std::string> rows;
  if (!pixel_map_read_f(arguments[1], &rows)) {
    return 1;
  }
  std::vector<std::uint8_t> output;
  const std::vector<std::uint8_t> dib = dib_bytes_get_f(rows);
  if (file_header) {
    output = bmp_file_header_get_f(static_cast<std::uint32_t>(dib.size()));
  }
  output.insert(output.end(), dib.begin(), dib.end());

  std::ofstream file(arguments[2], std::ios::binary | std::ios::trunc);
  file.write(reinterpret_cast<const char*>(output.data()),
             static_cast<std::streamsize>(output.size()));
  file.close();
  if (!file) {
    std::cerr << "dib_generate: cannot write " << arguments[2] << "\n";
    return 2;
  }
  return 0;
}
