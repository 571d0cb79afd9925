#include "cli_platform.h"

#include <filesystem>
#include <system_error>

#if defined(_WIN32)
#include <io.h>
#include <process.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

#include <cstdio>

std::string cli_executable_folder_get_f() {
#if defined(_WIN32)
  char buffer[MAX_PATH * 4];
  const DWORD length = GetModuleFileNameA(nullptr, buffer, static_cast<DWORD>(sizeof(buffer)));
  if (length == 0 || length >= sizeof(buffer)) {
    return std::string();
  }
  return std::filesystem::path(std::string(buffer, length)).parent_path().string();
#else
  std::error_code error;
  const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) {
    return std::string();
  }
  return program.parent_path().string();
#endif
}

bool cli_stderr_terminal_f() {
#if defined(_WIN32)
  return _isatty(_fileno(stderr)) != 0;
#else
  return isatty(fileno(stderr)) != 0;
#endif
}

unsigned long cli_process_id_get_f() {
#if defined(_WIN32)
  return static_cast<unsigned long>(_getpid());
#else
  return static_cast<unsigned long>(getpid());
#endif
}

std::string cli_plugin_file_name_get_f(const std::string& name) {
#if defined(_WIN32)
  return name + ".dll";
#else
  return name + ".so";
#endif
}

bool cli_input_file_check_f(const std::string& path, std::string* error) {
  std::error_code status_error;
  const std::filesystem::file_status status = std::filesystem::status(path, status_error);
  if (!std::filesystem::exists(status)) {
    *error = "no such file";
    return false;
  }
  if (std::filesystem::is_directory(status)) {
    *error = "is a folder, not a file";
    return false;
  }
  return true;
}
