// The stand-in Movara's operating-system layer: files and module loading, the
// only calls into the operating system. os_layer.cpp has a POSIX branch and a
// Win32 branch; everything else in movara/ is portable C++.
//
// Paths are UTF-8 text. Errors come back as a human-readable reason ("No such
// file or directory"), which the callers fold into Movara's error message.
#ifndef MOVARA_OS_LAYER_H
#define MOVARA_OS_LAYER_H

#include <cstddef>
#include <cstdint>
#include <string>

namespace mvh_os {

// A file of the operating system: a descriptor (POSIX) or a HANDLE (Win32).
typedef std::intptr_t OS_FILE_TYPE;
constexpr OS_FILE_TYPE OS_FILE_INVALID = -1;

enum OS_OPEN_MODE_TYPE {
  OS_OPEN_READ = 0,            // an existing file, read only
  OS_OPEN_WRITE_EXISTING = 1,  // an existing file, truncated, write only
  OS_OPEN_CREATE = 2,          // created or truncated, write only
};

// Opens a file. False with `reason` set when the system refuses.
bool os_file_open_f(const std::string& path, OS_OPEN_MODE_TYPE mode, OS_FILE_TYPE* file,
                    std::string* reason);
void os_file_close(OS_FILE_TYPE file);
// Reads up to `count` bytes, looping over partial reads; `delivered` is what
// arrived. Stops early only at the end of the file (true) or on a failure of
// the system (false, `reason` set).
bool os_file_read_f(OS_FILE_TYPE file, void* buffer, std::size_t count, std::size_t* delivered,
                    std::string* reason);
// Writes `count` bytes, looping over partial writes; false when the system
// fails before all are written.
bool os_file_write_f(OS_FILE_TYPE file, const void* data, std::size_t count,
                     std::size_t* written, std::string* reason);
// Absolute position, from the start of the file.
bool os_file_seek_f(OS_FILE_TYPE file, std::int64_t position, std::string* reason);
bool os_file_tell_f(OS_FILE_TYPE file, std::int64_t* position, std::string* reason);
// Whether a file (or folder) exists at the path.
bool os_file_exists_f(const std::string& path);

// Shared libraries: dlopen(RTLD_NOW | RTLD_LOCAL) / LoadLibrary.
void* os_module_load_f(const std::string& path, std::string* reason);
// The address of an exported symbol, or null.
void* os_module_symbol_f(void* module, const char* name);
void os_module_unload(void* module);

// Whether `c` separates folders in a path on this system ('/', and '\\' on Windows).
bool os_path_separator_f(char c);

}  // namespace mvh_os

#endif  // MOVARA_OS_LAYER_H
