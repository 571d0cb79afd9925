#include "cli_plugin.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "cli_animation.h"
#include "cli_inspect.h"
#include "cli_platform.h"

namespace fs = std::filesystem;

namespace {

MOVARA_LONG_TYPE MOVARA_CALL cli_library_callback(void* user_data, char* text, MOVARA_LONG_TYPE value) {
  static_cast<void>(text);
  static_cast<void>(value);
  ++*static_cast<long*>(user_data);
  return 0;
}

// A function address handed over as one of the untyped request arguments.
void* cli_callback_argument_get_f(LIBRARY_CALLBACK_TYPE callback) {
  static_assert(sizeof(callback) == sizeof(void*), "a callback fits in a request argument");
  void* argument = nullptr;
  std::memcpy(&argument, &callback, sizeof(argument));
  return argument;
}

std::string cli_selector_text_get_f(long selector) {
  const std::string code = cli_fourcc_text_get_f(static_cast<MOVARA_LONG_TYPE>(selector));
  if (selector > 0xFFFF && !code.empty()) {
    return "'" + code + "'";
  }
  return std::to_string(selector);
}

// Takes Movara's pending error message and clears the state.
std::string cli_movara_error_take_f(const std::string& fallback) {
  std::string message = mvh_error_message_get_f();
  em_error_reset();
  return message.empty() ? fallback : message;
}

std::string cli_text_replace_get_f(std::string text, const std::string& from, const std::string& to) {
  if (from.empty()) {
    return text;
  }
  for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
  return text;
}

// One line for a failure that Movara reported about the file at `path`.
// Movara's messages name the file by its bare name: "file walk.seq ended
// after 14 of 20 bytes" becomes "walk.seq: file ended after 14 of 20 bytes".
std::string cli_movara_error_line_get_f(const std::string& path, const std::string& message) {
  const std::string name = fs::path(path).filename().string();
  const std::string named_file = "file " + name + " ";
  if (!name.empty() && message.rfind(named_file, 0) == 0) {
    return path + ": file " + message.substr(named_file.size());
  }
  return path + ": " + message;
}

bool cli_identifier_make_f(FM_FILE_IDENTIFIER_TYPE* identifier, const std::string& path,
                           std::string* error) {
  std::memset(identifier, 0, sizeof(*identifier));
  if (!mvh_file_identifier_make_f(identifier, path)) {
    *error = path + ": the name or folder is too long for Movara (names up to " +
             std::to_string(FM_FILE_NAME_CAPACITY - 1) + " bytes, folders up to " +
             std::to_string(FM_FOLDER_NAME_CAPACITY - 1) + ")";
    return false;
  }
  return true;
}

// Why a file that Vestan answered 2 for is not a SEQ file, from its first bytes.
std::string cli_not_seq_reason_get_f(const std::string& path) {
  CLI_SEQ_WALK_TYPE walk;
  std::string error;
  if (!cli_seq_file_walk_f(path, &walk, &error)) {
    return std::string();
  }
  if (!walk.magic_read) {
    return " (" + std::to_string(walk.file_size) + " bytes, shorter than the 4-byte magic)";
  }
  if (walk.magic == 0) {
    return " (its magic is 00 00 00 00: writing it did not finish)";
  }
  char hex[16];
  std::snprintf(hex, sizeof(hex), "%08X", static_cast<unsigned>(walk.magic));
  return std::string(" (it begins with 0x") + hex + ", not the SEQ magic 0x7F7F7F7A)";
}

}  // namespace

long cli_plugin_request_f(CLI_PLUGIN_SESSION_TYPE* session, long selector, void* argument_1,
                          void* argument_2, void* argument_3) {
  const long answer = mvh_plugin_request_f(session->plugin, selector, argument_1, argument_2, argument_3);
  if (session->verbose) {
    std::printf("  %s: request %s answered %ld\n", session->name.c_str(),
                cli_selector_text_get_f(selector).c_str(), answer);
  }
  return answer;
}

bool cli_plugin_session_open_f(CLI_PLUGIN_SESSION_TYPE* session, const std::string& folder,
                               const std::string& name, bool verbose, std::string* error) {
  session->name = name;
  session->verbose = verbose;
  session->path = (fs::path(folder) / cli_plugin_file_name_get_f(name)).string();
  std::error_code status_error;
  if (!fs::is_regular_file(session->path, status_error)) {
    *error = session->path + ": no such plug-in (build the project, or give its folder with --plugins DIR)";
    return false;
  }
  std::string load_error;
  if (!mvh_plugin_load_f(session->path, &session->plugin, &load_error)) {
    *error = session->path + ": cannot be loaded: " + load_error;
    return false;
  }
  session->open = true;

  session->callback_count = 0;
  const long callback_answer =
      cli_plugin_request_f(session, MSG_CBIN, cli_callback_argument_get_f(cli_library_callback),
                           &session->callback_count);
  const long library_answer = cli_plugin_request_f(session, MSG_LIBR);
  const long start_answer = cli_plugin_request_f(session, MSG_LIBS);
  if (callback_answer != ANSWER_HANDLED || session->callback_count != 1 ||
      library_answer != ANSWER_HANDLED || start_answer != ANSWER_HANDLED) {
    *error = session->path + ": answered the library messages 'CBIN', 'LIBR', 'LIBS' with " +
             std::to_string(callback_answer) + ", " + std::to_string(library_answer) + ", " +
             std::to_string(start_answer) + " and called the callback " +
             std::to_string(session->callback_count) + " times; not a Movara plug-in";
    cli_plugin_session_close(session);
    return false;
  }

  // Movara registers a plug-in under the identifier of its own file.
  FM_FILE_IDENTIFIER_TYPE identifier;
  if (!cli_identifier_make_f(&identifier, session->path, error)) {
    cli_plugin_session_close(session);
    return false;
  }
  const std::size_t registrations_before = mvh_filter_registrations_get_f().size();
  const long register_answer = cli_plugin_request_f(session, MSG_FREG, &identifier);
  const std::vector<MVH_FILTER_REGISTRATION_TYPE>& registrations = mvh_filter_registrations_get_f();
  if (register_answer != ANSWER_HANDLED || registrations.size() <= registrations_before) {
    *error = session->path + ": did not register a file format ('FREG' answered " +
             std::to_string(register_answer) + ")";
    cli_plugin_session_close(session);
    return false;
  }
  session->format_name = registrations.back().name;
  if (session->verbose) {
    std::printf("  %s: registered the SEQ format as \"%s\" (filter kind %ld) from %s\n", name.c_str(),
                session->format_name.c_str(), registrations.back().kind, session->path.c_str());
  }
  if (em_error_occurred_f() != 0) {
    *error = session->path + ": registration failed: " + cli_movara_error_take_f("");
    cli_plugin_session_close(session);
    return false;
  }
  return true;
}

void cli_plugin_session_close(CLI_PLUGIN_SESSION_TYPE* session) {
  if (!session->open) {
    return;
  }
  cli_plugin_request_f(session, MSG_LIBD);
  mvh_plugin_unload(&session->plugin);
  session->open = false;
}

bool cli_seq_import_f(CLI_PLUGIN_SESSION_TYPE* vestan, const std::string& path, void** animation,
                      std::string* error) {
  std::error_code status_error;
  if (fs::is_directory(path, status_error)) {
    *error = path + ": is a folder, not a file";
    return false;
  }
  if (!fs::exists(path, status_error)) {
    *error = path + ": no such file";
    return false;
  }
  FM_FILE_IDENTIFIER_TYPE identifier;
  if (!cli_identifier_make_f(&identifier, path, error)) {
    return false;
  }
  if (em_error_occurred_f() != 0) {
    em_error_reset();
  }

  MOVARA_LONG_TYPE format = 0;
  cli_plugin_request_f(vestan, MSG_FORMAT_CHECK, &identifier, &format);
  if (format != FORMAT_ID_SEQ) {
    *error = path + " is not a SEQ file (Movara offers files ending in .seq to the SEQ import)";
    return false;
  }

  const std::vector<void*> animations_before = mvh_animations_get_f();
  void* imported = nullptr;
  const long answer = cli_plugin_request_f(vestan, MSG_IMPA, nullptr, &identifier, &imported);
  bool succeeded = false;
  if (answer == ANSWER_HANDLED && em_error_occurred_f() == 0) {
    if (imported != nullptr && imported != reinterpret_cast<void*>(-1) && mvh_animation_live_f(imported)) {
      succeeded = true;
    } else {
      CLI_SEQ_WALK_TYPE walk;
      std::string walk_error;
      const bool empty = cli_seq_file_walk_f(path, &walk, &walk_error) && walk.frame_count_read &&
                         walk.frame_count == 0;
      *error = path + (empty ? ": frame count 0: the file holds no motion, so nothing was imported"
                             : ": the import gave back no animation");
    }
  } else if (answer == ANSWER_NOT_OF_FORMAT) {
    *error = path + " is not a SEQ file" + cli_not_seq_reason_get_f(path);
  } else if (answer == ANSWER_FAILED || em_error_occurred_f() != 0) {
    *error = cli_movara_error_line_get_f(path, cli_movara_error_take_f("the import failed"));
  } else {
    *error = path + ": the SEQ import answered " + std::to_string(answer);
  }
  if (em_error_occurred_f() != 0) {
    em_error_reset();
  }
  // A failed import leaves nothing behind, not even an animation the
  // plug-in made and then did not hand over.
  for (void* live : mvh_animations_get_f()) {
    const bool older = std::find(animations_before.begin(), animations_before.end(), live) !=
                       animations_before.end();
    if (!older && (!succeeded || live != imported)) {
      anm_animation_dispose(live);
    }
  }
  if (succeeded) {
    *animation = imported;
  }
  return succeeded;
}

bool cli_seq_export_f(CLI_PLUGIN_SESSION_TYPE* orlune, void* animation, const std::string& path,
                      long start_frame, long end_frame, std::vector<std::string>* written,
                      std::string* error) {
  const fs::path destination(path);
  const std::string file_name = destination.filename().string();
  std::error_code status_error;
  if (file_name.empty() || file_name == "." || file_name == ".." || fs::is_directory(destination, status_error)) {
    *error = path + ": is a folder; give a file name such as walk.seq";
    return false;
  }
  const fs::path folder = destination.has_parent_path() ? destination.parent_path() : fs::path(".");
  if (!fs::is_directory(folder, status_error)) {
    *error = path + ": the folder " + folder.string() + " does not exist";
    return false;
  }

  // The scratch folder: beside the destination, so that files move into
  // place by renaming.
  fs::path scratch;
  for (int attempt = 0;; ++attempt) {
    scratch = folder / (".movara-export-" + std::to_string(cli_process_id_get_f()) + "-" +
                        std::to_string(attempt));
    std::error_code create_error;
    if (fs::create_directory(scratch, create_error)) {
      break;
    }
    if (create_error || attempt >= 100) {
      *error = path + ": cannot create a scratch folder in " + folder.string() +
               (create_error ? " (" + create_error.message() + ")" : std::string());
      return false;
    }
  }
  const auto scratch_remove = [&scratch]() {
    std::error_code ignored;
    fs::remove_all(scratch, ignored);
  };

  FM_FILE_IDENTIFIER_TYPE identifier;
  if (!cli_identifier_make_f(&identifier, (scratch / file_name).string(), error)) {
    scratch_remove();
    *error = path + ": the name or folder is too long for Movara";
    return false;
  }
  if (em_error_occurred_f() != 0) {
    em_error_reset();
  }
  DT_DATA_HEADER_TYPE** list = mvh_filter_data_list_create_f();
  cli_plugin_request_f(orlune, MSG_REQUEST_1, list);
  cli_plugin_request_f(orlune, MSG_REQUEST_4, list);
  mvh_export_options_set(list, start_frame, end_frame);
  const long answer = cli_plugin_request_f(orlune, MSG_EXPORT, list, animation, &identifier);
  mvh_filter_data_list_dispose(list);
  if (answer != 0 || em_error_occurred_f() != 0) {
    // Movara's message names the scratch folder; the user knows the destination.
    const std::string message = cli_text_replace_get_f(
        cli_movara_error_take_f("the export failed (answer " + std::to_string(answer) + ")"),
        scratch.string(), folder.string());
    *error = path + ": " + message;
    scratch_remove();
    return false;
  }

  std::vector<fs::path> files;
  for (const fs::directory_entry& entry : fs::directory_iterator(scratch, status_error)) {
    files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  for (const fs::path& file : files) {
    const fs::path target = destination.has_parent_path() ? folder / file.filename() : file.filename();
    std::error_code rename_error;
    fs::rename(file, target, rename_error);
    if (rename_error) {
      *error = target.string() + ": cannot be put in place (" + rename_error.message() + ")";
      scratch_remove();
      return false;
    }
    written->push_back(target.string());
  }
  scratch_remove();
  return true;
}
