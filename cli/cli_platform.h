// What the command-line host needs from the operating system, kept in one
// place: where the program itself lies, whether standard error is a terminal,
// the process id, the file name of a plug-in module, and whether a path
// names a file that can be read.
#ifndef CLI_CLI_PLATFORM_H
#define CLI_CLI_PLATFORM_H

#include <string>

// The folder that holds the running program; empty when it cannot be found.
std::string cli_executable_folder_get_f();
// True when standard error goes to a terminal (a progress bar may be drawn).
bool cli_stderr_terminal_f();
// The id of this process, for names of scratch folders.
unsigned long cli_process_id_get_f();
// The file name of the plug-in module called `name`: "vestan.so", "vestan.dll".
std::string cli_plugin_file_name_get_f(const std::string& name);
// True when `path` names an existing file rather than a folder; otherwise
// false with `error` saying which ("no such file", "is a folder, not a file").
bool cli_input_file_check_f(const std::string& path, std::string* error);

#endif  // CLI_CLI_PLATFORM_H
