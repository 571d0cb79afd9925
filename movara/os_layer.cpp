// The operating-system layer of the stand-in Movara (see os_layer.h).
#include "os_layer.h"

#include <cerrno>
#include <cstring>

#if defined(_WIN32)
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#else
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>
#endif

namespace mvh_os {

#if defined(_WIN32)

namespace {

std::wstring wide_get_f(const std::string& text) {
  if (text.empty()) return std::wstring();
  int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  if (length <= 0) {
    // Not UTF-8: take the bytes as the ANSI code page.
    length = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &wide[0], length);
    return wide;
  }
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &wide[0], length);
  return wide;
}

std::string reason_get_f(DWORD code) {
  char* text = nullptr;
  DWORD length = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), reinterpret_cast<LPSTR>(&text), 0,
      nullptr);
  std::string reason;
  if (length > 0 && text != nullptr) {
    reason.assign(text, length);
    while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' ||
                               reason.back() == ' ' || reason.back() == '.')) {
      reason.pop_back();
    }
  }
  if (text != nullptr) LocalFree(text);
  if (reason.empty()) reason = "system error " + std::to_string(code);
  return reason;
}

HANDLE handle_get_f(OS_FILE_TYPE file) { return reinterpret_cast<HANDLE>(file); }

}  // namespace

bool os_file_open_f(const std::string& path, OS_OPEN_MODE_TYPE mode, OS_FILE_TYPE* file,
                    std::string* reason) {
  DWORD access = mode == OS_OPEN_READ ? GENERIC_READ : GENERIC_WRITE;
  DWORD disposition = mode == OS_OPEN_READ             ? OPEN_EXISTING
                      : mode == OS_OPEN_WRITE_EXISTING ? TRUNCATE_EXISTING
                                                       : CREATE_ALWAYS;
  HANDLE handle = CreateFileW(wide_get_f(path).c_str(), access, FILE_SHARE_READ, nullptr,
                              disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    if (reason != nullptr) *reason = reason_get_f(GetLastError());
    return false;
  }
  *file = reinterpret_cast<OS_FILE_TYPE>(handle);
  return true;
}

void os_file_close(OS_FILE_TYPE file) {
  if (file != OS_FILE_INVALID) CloseHandle(handle_get_f(file));
}

bool os_file_read_f(OS_FILE_TYPE file, void* buffer, std::size_t count, std::size_t* delivered,
                    std::string* reason) {
  *delivered = 0;
  char* bytes = static_cast<char*>(buffer);
  while (*delivered < count) {
    std::size_t rest = count - *delivered;
    DWORD part = rest > 0x40000000u ? 0x40000000u : static_cast<DWORD>(rest);
    DWORD got = 0;
    if (!ReadFile(handle_get_f(file), bytes + *delivered, part, &got, nullptr)) {
      if (reason != nullptr) *reason = reason_get_f(GetLastError());
      return false;
    }
    if (got == 0) break;
    *delivered += got;
  }
  return true;
}

bool os_file_write_f(OS_FILE_TYPE file, const void* data, std::size_t count,
                     std::size_t* written, std::string* reason) {
  *written = 0;
  const char* bytes = static_cast<const char*>(data);
  while (*written < count) {
    std::size_t rest = count - *written;
    DWORD part = rest > 0x40000000u ? 0x40000000u : static_cast<DWORD>(rest);
    DWORD put = 0;
    if (!WriteFile(handle_get_f(file), bytes + *written, part, &put, nullptr) || put == 0) {
      if (reason != nullptr) *reason = reason_get_f(GetLastError());
      return false;
    }
    *written += put;
  }
  return true;
}

bool os_file_seek_f(OS_FILE_TYPE file, std::int64_t position, std::string* reason) {
  LARGE_INTEGER distance;
  distance.QuadPart = position;
  if (!SetFilePointerEx(handle_get_f(file), distance, nullptr, FILE_BEGIN)) {
    if (reason != nullptr) *reason = reason_get_f(GetLastError());
    return false;
  }
  return true;
}

bool os_file_tell_f(OS_FILE_TYPE file, std::int64_t* position, std::string* reason) {
  LARGE_INTEGER distance;
  distance.QuadPart = 0;
  LARGE_INTEGER result;
  if (!SetFilePointerEx(handle_get_f(file), distance, &result, FILE_CURRENT)) {
    if (reason != nullptr) *reason = reason_get_f(GetLastError());
    return false;
  }
  *position = result.QuadPart;
  return true;
}

bool os_file_exists_f(const std::string& path) {
  return GetFileAttributesW(wide_get_f(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

void* os_module_load_f(const std::string& path, std::string* reason) {
  HMODULE module = LoadLibraryW(wide_get_f(path).c_str());
  if (module == nullptr) {
    if (reason != nullptr) *reason = reason_get_f(GetLastError());
    return nullptr;
  }
  return reinterpret_cast<void*>(module);
}

void* os_module_symbol_f(void* module, const char* name) {
  FARPROC address = GetProcAddress(reinterpret_cast<HMODULE>(module), name);
  void* result = nullptr;
  static_assert(sizeof(address) == sizeof(result), "function and data pointers differ");
  std::memcpy(&result, &address, sizeof(result));
  return result;
}

void os_module_unload(void* module) {
  if (module != nullptr) FreeLibrary(reinterpret_cast<HMODULE>(module));
}

bool os_path_separator_f(char c) { return c == '/' || c == '\\'; }

#else  // POSIX

namespace {
std::string reason_get_f(int code) { return std::strerror(code); }
int descriptor_get_f(OS_FILE_TYPE file) { return static_cast<int>(file); }
}  // namespace

bool os_file_open_f(const std::string& path, OS_OPEN_MODE_TYPE mode, OS_FILE_TYPE* file,
                    std::string* reason) {
  int flags = mode == OS_OPEN_READ             ? O_RDONLY
              : mode == OS_OPEN_WRITE_EXISTING ? (O_WRONLY | O_TRUNC)
                                               : (O_WRONLY | O_CREAT | O_TRUNC);
  int descriptor = -1;
  do {
    descriptor = ::open(path.c_str(), flags | O_CLOEXEC, 0666);
  } while (descriptor < 0 && errno == EINTR);
  if (descriptor < 0) {
    if (reason != nullptr) *reason = reason_get_f(errno);
    return false;
  }
  if (mode == OS_OPEN_READ) {
    // A folder opens for reading on POSIX but cannot be read as a file.
    struct stat status;
    if (::fstat(descriptor, &status) == 0 && S_ISDIR(status.st_mode)) {
      ::close(descriptor);
      if (reason != nullptr) *reason = reason_get_f(EISDIR);
      return false;
    }
  }
  *file = descriptor;
  return true;
}

void os_file_close(OS_FILE_TYPE file) {
  if (file != OS_FILE_INVALID) ::close(descriptor_get_f(file));
}

bool os_file_read_f(OS_FILE_TYPE file, void* buffer, std::size_t count, std::size_t* delivered,
                    std::string* reason) {
  *delivered = 0;
  char* bytes = static_cast<char*>(buffer);
  while (*delivered < count) {
    ssize_t got = ::read(descriptor_get_f(file), bytes + *delivered, count - *delivered);
    if (got < 0) {
      if (errno == EINTR) continue;
      if (reason != nullptr) *reason = reason_get_f(errno);
      return false;
    }
    if (got == 0) break;
    *delivered += static_cast<std::size_t>(got);
  }
  return true;
}

bool os_file_write_f(OS_FILE_TYPE file, const void* data, std::size_t count,
                     std::size_t* written, std::string* reason) {
  *written = 0;
  const char* bytes = static_cast<const char*>(data);
  while (*written < count) {
    ssize_t put = ::write(descriptor_get_f(file), bytes + *written, count - *written);
    if (put < 0) {
      if (errno == EINTR) continue;
      if (reason != nullptr) *reason = reason_get_f(errno);
      return false;
    }
    if (put == 0) {
      if (reason != nullptr) *reason = reason_get_f(EIO);
      return false;
    }
    *written += static_cast<std::size_t>(put);
  }
  return true;
}

bool os_file_seek_f(OS_FILE_TYPE file, std::int64_t position, std::string* reason) {
  if (::lseek(descriptor_get_f(file), static_cast<off_t>(position), SEEK_SET) < 0) {
    if (reason != nullptr) *reason = reason_get_f(errno);
    return false;
  }
  return true;
}

bool os_file_tell_f(OS_FILE_TYPE file, std::int64_t* position, std::string* reason) {
  off_t result = ::lseek(descriptor_get_f(file), 0, SEEK_CUR);
  if (result < 0) {
    if (reason != nullptr) *reason = reason_get_f(errno);
    return false;
  }
  *position = static_cast<std::int64_t>(result);
  return true;
}

bool os_file_exists_f(const std::string& path) {
  struct stat status;
  return ::stat(path.c_str(), &status) == 0;
}

void* os_module_load_f(const std::string& path, std::string* reason) {
  void* module = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (module == nullptr && reason != nullptr) {
    const char* text = ::dlerror();
    *reason = text != nullptr ? text : "cannot load the module";
  }
  return module;
}

void* os_module_symbol_f(void* module, const char* name) {
  if (module == nullptr) return nullptr;
  return ::dlsym(module, name);
}

void os_module_unload(void* module) {
  if (module != nullptr) ::dlclose(module);
}

bool os_path_separator_f(char c) { return c == '/'; }

#endif

}  // namespace mvh_os
