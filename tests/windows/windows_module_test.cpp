// The plug-in DLLs as Windows loads them: LoadLibrary finds the stand-in
// Movara they import from, GetProcAddress finds the three entry points by
// their names, and the version record and Orlune's bitmap 2703 are read out of
// the loaded modules through the resource functions.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "movara_api.h"

namespace {

constexpr WORD LANGUAGE_ENGLISH_US = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
constexpr WORD BITMAP_ID = 2703;
constexpr int BITMAP_SIZE = 616;

struct MODULE_CASE_TYPE {
  const char* path;
  const char* product;
  const char* description;
  const char* file_name;
  bool has_bitmap;
};

const MODULE_CASE_TYPE module_cases[] = {
    {VESTAN_MODULE_PATH, "Vestan", "SEQ motion import for Movara", "vestan.dll", false},
    {ORLUNE_MODULE_PATH, "Orlune", "SEQ motion export for Movara", "orlune.dll", true},
};

// The link names Movara looks up: `main` plain, the other two decorated with
// their parameter types (Movara's long is the C++ long: 'l').
const char* const entry_point_names[] = {
    "main",
    "_Z23library_user_function_flPvS_S_S_S_S_S_S_",
    "_Z30lbf_library_function_default_flPvS_S_S_S_S_S_S_",
};

std::vector<unsigned char> file_bytes_read_f(const char* path) {
  std::vector<unsigned char> bytes;
  if (std::FILE* file = std::fopen(path, "rb")) {
    unsigned char buffer[4096];
    std::size_t count = 0;
    while ((count = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
      bytes.insert(bytes.end(), buffer, buffer + count);
    }
    std::fclose(file);
  }
  return bytes;
}

std::uint32_t u32_little_get_f(const unsigned char* bytes) {
  return static_cast<std::uint32_t>(bytes[0]) | (static_cast<std::uint32_t>(bytes[1]) << 8) |
         (static_cast<std::uint32_t>(bytes[2]) << 16) | (static_cast<std::uint32_t>(bytes[3]) << 24);
}

BOOL CALLBACK resource_language_collect_f(HMODULE, LPCSTR, LPCSTR, WORD language, LONG_PTR context) {
  reinterpret_cast<std::vector<WORD>*>(context)->push_back(language);
  return TRUE;
}

class MODULE_TEST_TYPE : public ::testing::TestWithParam<MODULE_CASE_TYPE> {
 protected:
  void SetUp() override {
    module = LoadLibraryA(GetParam().path);
    ASSERT_NE(module, nullptr) << GetParam().path << ": error " << GetLastError();
  }
  void TearDown() override {
    if (module != nullptr) {
      FreeLibrary(module);
    }
  }

  // The entry point `name`, as Movara would call it.
  PLUGIN_ENTRY_TYPE entry_point_f(const char* name) const {
    FARPROC address = GetProcAddress(module, name);
    PLUGIN_ENTRY_TYPE entry = nullptr;
    static_assert(sizeof entry == sizeof address, "function pointers of one size");
    std::memcpy(&entry, &address, sizeof entry);
    return entry;
  }

  // One text of the version record's US English, Unicode block, or "" when
  // it is missing.
  std::string version_text_f(const std::vector<char>& record, const char* key) const {
    void* value = nullptr;
    UINT length = 0;
    const std::string query = std::string("\\StringFileInfo\\040904B0\\") + key;
    if (!VerQueryValueA(record.data(), query.c_str(), &value, &length) || length == 0) {
      return "";
    }
    return std::string(static_cast<const char*>(value));
  }

  // The version record, read through the file's path as Windows' file
  // properties read it; empty when there is none.
  std::vector<char> version_record_f() const {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(GetParam().path, &ignored);
    std::vector<char> record(size);
    if (size == 0 || !GetFileVersionInfoA(GetParam().path, 0, size, record.data())) {
      record.clear();
    }
    return record;
  }

  HMODULE module = nullptr;
};

TEST_P(MODULE_TEST_TYPE, the_three_entry_points_are_found_by_name) {
  for (const char* name : entry_point_names) {
    EXPECT_NE(GetProcAddress(module, name), nullptr) << name;
  }
  // Undecorated or stdcall-decorated forms of the typed entry points are not
  // what Movara looks for, and are not there.
  for (const char* name : {"library_user_function_f", "lbf_library_function_default_f", "_main",
                           "main@36", "DllMain"}) {
    EXPECT_EQ(GetProcAddress(module, name), nullptr) << name;
  }
}

TEST_P(MODULE_TEST_TYPE, entry_points_answer_the_library_messages) {
  const PLUGIN_ENTRY_TYPE main_entry = entry_point_f(entry_point_names[0]);
  const PLUGIN_ENTRY_TYPE default_entry = entry_point_f(entry_point_names[2]);
  ASSERT_NE(main_entry, nullptr);
  ASSERT_NE(default_entry, nullptr);
  for (MOVARA_LONG_TYPE selector : {MSG_LIBR, MSG_LIBS}) {
    EXPECT_EQ(main_entry(selector, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                         nullptr),
              ANSWER_HANDLED);
    EXPECT_EQ(default_entry(selector, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                            nullptr, nullptr),
              ANSWER_HANDLED);
  }
  EXPECT_EQ(default_entry(MSG_IMPA, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                          nullptr),
            ANSWER_NOT_HANDLED);
  // 'LIBD' last: Vestan drops its library object there.
  EXPECT_EQ(main_entry(MSG_LIBD, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                       nullptr),
            ANSWER_HANDLED);
}

TEST_P(MODULE_TEST_TYPE, version_record_names_product_version_and_description) {
  const std::vector<char> record = version_record_f();
  ASSERT_FALSE(record.empty()) << "no version record";
  EXPECT_EQ(version_text_f(record, "ProductName"), GetParam().product);
  EXPECT_EQ(version_text_f(record, "FileDescription"), GetParam().description);
  EXPECT_EQ(version_text_f(record, "OriginalFilename"), GetParam().file_name);
  EXPECT_EQ(version_text_f(record, "FileVersion"), PROJECT_FILE_VERSION);

  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueA(record.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
  ASSERT_EQ(length, sizeof(VS_FIXEDFILEINFO));
  EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
  EXPECT_EQ(fixed->dwFileVersionMS, static_cast<DWORD>(PROJECT_VERSION_MAJOR << 16 | PROJECT_VERSION_MINOR));
  EXPECT_EQ(fixed->dwFileVersionLS, static_cast<DWORD>(PROJECT_VERSION_PATCH << 16));
  EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_DLL));

  // The record is US English, Unicode: the one translation.
  WORD* translation = nullptr;
  ASSERT_TRUE(VerQueryValueA(record.data(), "\\VarFileInfo\\Translation",
                             reinterpret_cast<void**>(&translation), &length));
  ASSERT_EQ(length, 4u);
  EXPECT_EQ(translation[0], LANGUAGE_ENGLISH_US);
  EXPECT_EQ(translation[1], 1200);
}

TEST_P(MODULE_TEST_TYPE, bitmap_2703_is_there_exactly_in_orlune) {
  HRSRC found = FindResourceExA(module, MAKEINTRESOURCEA(2), MAKEINTRESOURCEA(BITMAP_ID),
                                LANGUAGE_ENGLISH_US);
  if (!GetParam().has_bitmap) {
    EXPECT_EQ(found, nullptr);
    EXPECT_EQ(FindResourceA(module, MAKEINTRESOURCEA(BITMAP_ID), MAKEINTRESOURCEA(2)), nullptr);
    return;
  }
  ASSERT_NE(found, nullptr) << "no US English bitmap 2703";
  ASSERT_EQ(SizeofResource(module, found), static_cast<DWORD>(BITMAP_SIZE));
  HGLOBAL loaded = LoadResource(module, found);
  ASSERT_NE(loaded, nullptr);
  const unsigned char* dib = static_cast<const unsigned char*>(LockResource(loaded));
  ASSERT_NE(dib, nullptr);

  BITMAPINFOHEADER header;
  std::memcpy(&header, dib, sizeof header);
  EXPECT_EQ(header.biSize, 40u);
  EXPECT_EQ(header.biWidth, 32);
  EXPECT_EQ(header.biHeight, 32);
  EXPECT_EQ(header.biPlanes, 1);
  EXPECT_EQ(header.biBitCount, 4);
  EXPECT_EQ(header.biCompression, static_cast<DWORD>(BI_RGB));
  // Colours used: 0 means all 2^4 = 16 of the palette.
  EXPECT_TRUE(header.biClrUsed == 0 || header.biClrUsed == 16) << header.biClrUsed;
  const std::uint32_t standard_colours[16] = {
      0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
      0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};
  for (std::size_t index = 0; index < 16; ++index) {
    EXPECT_EQ(u32_little_get_f(dib + 40 + 4 * index), standard_colours[index]) << index;
  }

  // The bytes are exactly the picture generated from the pixel map.
  const std::vector<unsigned char> generated = file_bytes_read_f(ORLUNE_BITMAP_DIB_PATH);
  ASSERT_EQ(generated.size(), static_cast<std::size_t>(BITMAP_SIZE)) << ORLUNE_BITMAP_DIB_PATH;
  EXPECT_EQ(std::memcmp(dib, generated.data(), generated.size()), 0);

  // Only in US English: the one language of bitmap 2703.
  std::vector<WORD> languages;
  EnumResourceLanguagesA(module, MAKEINTRESOURCEA(2), MAKEINTRESOURCEA(BITMAP_ID),
                         resource_language_collect_f, reinterpret_cast<LONG_PTR>(&languages));
  EXPECT_EQ(languages, std::vector<WORD>{LANGUAGE_ENGLISH_US});
}

// Each module's resource types: the version record, and bitmaps in Orlune only.
BOOL CALLBACK resource_type_collect_f(HMODULE, LPSTR type, LONG_PTR context) {
  auto* types = reinterpret_cast<std::vector<std::uintptr_t>*>(context);
  types->push_back(reinterpret_cast<std::uintptr_t>(type));
  return TRUE;
}

TEST_P(MODULE_TEST_TYPE, resources_are_the_version_record_and_orlunes_bitmap_only) {
  std::vector<std::uintptr_t> types;
  EnumResourceTypesA(module, resource_type_collect_f, reinterpret_cast<LONG_PTR>(&types));
  std::vector<std::uintptr_t> expected = {16};  // RT_VERSION
  if (GetParam().has_bitmap) {
    expected.insert(expected.begin(), 2);  // RT_BITMAP
  }
  EXPECT_EQ(types, expected);
}

INSTANTIATE_TEST_SUITE_P(PLUGIN_DLL, MODULE_TEST_TYPE, ::testing::ValuesIn(module_cases),
                         [](const ::testing::TestParamInfo<MODULE_CASE_TYPE>& case_info) {
                           return std::string(case_info.param.product);
                         });

}  // namespace
