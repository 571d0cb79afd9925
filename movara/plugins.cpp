// The stand-in Movara's plug-in loading: a module, its `main` and the two
// entry points under their decorated link names.
#include <cstring>

#include "movara_internal.h"

namespace {

PLUGIN_ENTRY_TYPE entry_get_f(void* module, const char* name) {
  void* address = mvh_os::os_module_symbol_f(module, name);
#if defined(_WIN32)
  if (address == nullptr) {
    // A module whose exports kept the C symbol's leading underscore.
    std::string decorated = std::string("_") + name;
    address = mvh_os::os_module_symbol_f(module, decorated.c_str());
  }
#endif
  PLUGIN_ENTRY_TYPE entry = nullptr;
  static_assert(sizeof(entry) == sizeof(address), "function and data pointers differ");
  std::memcpy(&entry, &address, sizeof(entry));
  return entry;
}

}  // namespace

// Itanium C++ ABI names of
//   MOVARA_LONG_TYPE library_user_function_f(MOVARA_LONG_TYPE, void* x 8)
// and lbf_library_function_default_f: `i` where Movara's long is the C++ int
// (Linux), `l` where it is the C++ long (Windows). Checked with nm/c++filt
// against declarations compiled from frame/plugin_frame.h.
const char* mvh_plugin_user_function_symbol_f() {
#if defined(_WIN32)
  return "_Z23library_user_function_flPvS_S_S_S_S_S_S_";
#else
  return "_Z23library_user_function_fiPvS_S_S_S_S_S_S_";
#endif
}

const char* mvh_plugin_default_function_symbol_f() {
#if defined(_WIN32)
  return "_Z30lbf_library_function_default_flPvS_S_S_S_S_S_S_";
#else
  return "_Z30lbf_library_function_default_fiPvS_S_S_S_S_S_S_";
#endif
}

bool mvh_plugin_load_f(const std::string& path, MVH_PLUGIN_TYPE* plugin, std::string* error) {
  if (plugin == nullptr) {
    if (error != nullptr) *error = "no place for the plug-in";
    return false;
  }
  *plugin = MVH_PLUGIN_TYPE();
  std::string reason;
  void* module = mvh_os::os_module_load_f(path, &reason);
  if (module == nullptr) {
    if (error != nullptr) *error = "cannot load " + path + ": " + reason;
    return false;
  }
  PLUGIN_ENTRY_TYPE main_entry = entry_get_f(module, "main");
  if (main_entry == nullptr) {
    mvh_os::os_module_unload(module);
    if (error != nullptr) *error = "cannot load " + path + ": it exports no main";
    return false;
  }
  plugin->module = module;
  plugin->main = main_entry;
  plugin->library_user_function = entry_get_f(module, mvh_plugin_user_function_symbol_f());
  plugin->library_function_default = entry_get_f(module, mvh_plugin_default_function_symbol_f());
  plugin->path = path;
  if (error != nullptr) error->clear();
  return true;
}

void mvh_plugin_unload(MVH_PLUGIN_TYPE* plugin) {
  if (plugin == nullptr) return;
  mvh_os::os_module_unload(plugin->module);
  *plugin = MVH_PLUGIN_TYPE();
}

long mvh_plugin_request_f(const MVH_PLUGIN_TYPE& plugin, long selector, void* argument_1, void* argument_2,
                          void* argument_3, void* argument_4, void* argument_5, void* argument_6,
                          void* argument_7, void* argument_8) {
  if (plugin.main == nullptr) return ANSWER_NOT_HANDLED;
  return plugin.main(static_cast<MOVARA_LONG_TYPE>(selector), argument_1, argument_2, argument_3, argument_4,
                     argument_5, argument_6, argument_7, argument_8);
}
