// Driving the plug-ins the way Movara does: loading a module from the plug-in
// folder, the library messages ('CBIN' with a callback, 'LIBR', 'LIBS'),
// registration ('FREG' with the module's file identifier), the format check
// (1234) and import ('IMPA') through Vestan, requests 1, 4 and the export (6)
// through Orlune, and 'LIBD' before the module is unloaded.
#ifndef CLI_CLI_PLUGIN_H
#define CLI_CLI_PLUGIN_H

#include <string>
#include <vector>

#include "movara_host.h"

struct CLI_PLUGIN_SESSION_TYPE {
  std::string name;  // "vestan", "orlune"
  std::string path;  // the module file
  MVH_PLUGIN_TYPE plugin;
  bool open = false;
  bool verbose = false;     // print every request and its answer
  long callback_count = 0;  // calls of the 'CBIN' callback
  std::string format_name;  // the name the plug-in registered the format under
};

// Loads `name` from `folder`, sends the library messages and 'FREG'. False,
// with `error` saying why, when the module cannot be loaded or answers
// otherwise than a plug-in must.
bool cli_plugin_session_open_f(CLI_PLUGIN_SESSION_TYPE* session, const std::string& folder,
                               const std::string& name, bool verbose, std::string* error);
// Sends 'LIBD' and unloads the module.
void cli_plugin_session_close(CLI_PLUGIN_SESSION_TYPE* session);
// One request through the plug-in's `main`, printed when the session is verbose.
long cli_plugin_request_f(CLI_PLUGIN_SESSION_TYPE* session, long selector, void* argument_1 = nullptr,
                          void* argument_2 = nullptr, void* argument_3 = nullptr);

// Imports a SEQ file through Vestan into a new animation, which Movara then
// holds. False, with `error` being the line to show ("walk.txt is not a SEQ
// file", "walk.seq: file ended after ..."), when the file is refused or the
// import fails; Movara's error state is clear again afterwards and no
// animation of the failed import is left.
bool cli_seq_import_f(CLI_PLUGIN_SESSION_TYPE* vestan, const std::string& path, void** animation,
                      std::string* error);

// Exports every figure of an animation over [start_frame, end_frame] through
// Orlune to `path` (one figure) or to name_0.ext, name_1.ext, ... beside it.
// The files are written into a scratch folder beside the destination and
// moved into place only when the whole export succeeded, so a failed export
// leaves the destination folder as it was. `written` receives the paths.
bool cli_seq_export_f(CLI_PLUGIN_SESSION_TYPE* orlune, void* animation, const std::string& path,
                      long start_frame, long end_frame, std::vector<std::string>* written,
                      std::string* error);

#endif  // CLI_CLI_PLUGIN_H
