// The stand-in Movara's files, identifiers, extensions, paths, format
// registry, filter registrations and filter-data lists.
#include <cctype>
#include <cstring>
#include <limits>

#include "movara_internal.h"

using namespace mvh;
using namespace mvh_os;

namespace {

std::string identifier_name_get_f(const FM_FILE_IDENTIFIER_TYPE* identifier) {
  if (identifier == nullptr) return std::string();
  const char* end = static_cast<const char*>(std::memchr(identifier->name, '\0', sizeof(identifier->name)));
  std::size_t length = end != nullptr ? static_cast<std::size_t>(end - identifier->name) : sizeof(identifier->name);
  return std::string(identifier->name, length);
}

std::string identifier_folder_get_f(const FM_FILE_IDENTIFIER_TYPE* identifier) {
  if (identifier == nullptr) return std::string();
  const char* end =
      static_cast<const char*>(std::memchr(identifier->folder, '\0', sizeof(identifier->folder)));
  std::size_t length =
      end != nullptr ? static_cast<std::size_t>(end - identifier->folder) : sizeof(identifier->folder);
  return std::string(identifier->folder, length);
}

std::string path_join_f(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  if (os_path_separator_f(folder.back())) return folder + name;
  return folder + "/" + name;
}

// The text after the last point of a name; `found` tells whether there is one.
std::string extension_get_f(const std::string& name, bool* found) {
  std::size_t point = name.rfind('.');
  if (point == std::string::npos) {
    *found = false;
    return std::string();
  }
  *found = true;
  return name.substr(point + 1);
}

std::string lower_get_f(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

OPEN_FILE_TYPE* file_find_f(MOVARA_LONG_TYPE file, FUNCTION_ID_TYPE caller) {
  STATE_TYPE& state = state_get_f();
  auto found = state.files.find(file);
  if (found == state.files.end()) {
    error_set(std::string(function_name_get_f(caller)) + ": file handle " + std::to_string(file) +
              " is not open");
    return nullptr;
  }
  return &found->second;
}

DATA_LIST_TYPE* list_find_f(DT_DATA_HEADER_TYPE** list, FUNCTION_ID_TYPE caller) {
  STATE_TYPE& state = state_get_f();
  auto found = state.lists.find(list);
  if (found == state.lists.end()) {
    if (caller != FN_COUNT) {
      ++state.handle_misuse;
      error_set(std::string(function_name_get_f(caller)) + ": " + handle_text_get_f(list) +
                " is not a filter-data list");
    }
    return nullptr;
  }
  return found->second.get();
}

DATA_RECORD_TYPE* record_find_f(DATA_LIST_TYPE* list, MOVARA_LONG_TYPE tag, MOVARA_LONG_TYPE index) {
  for (auto& record : list->records) {
    if (record->master->tag == tag && record->master->index == index) return record.get();
  }
  return nullptr;
}

DATA_RECORD_TYPE* record_add_f(DATA_LIST_TYPE* list, MOVARA_LONG_TYPE tag, MOVARA_LONG_TYPE index,
                               MOVARA_LONG_TYPE size, MOVARA_LONG_TYPE flags) {
  std::size_t bytes = sizeof(DT_DATA_HEADER_TYPE) + static_cast<std::size_t>(size);
  std::size_t units = (bytes + sizeof(std::max_align_t) - 1) / sizeof(std::max_align_t);
  auto record = std::make_unique<DATA_RECORD_TYPE>();
  record->storage.reset(new std::max_align_t[units]);
  std::memset(record->storage.get(), 0, units * sizeof(std::max_align_t));
  record->master = reinterpret_cast<DT_DATA_HEADER_TYPE*>(record->storage.get());
  record->master->tag = tag;
  record->master->index = index;
  record->master->size = size;
  record->master->flags = flags;
  list->records.push_back(std::move(record));
  list->header.size = static_cast<MOVARA_LONG_TYPE>(list->records.size());
  return list->records.back().get();
}

// The export-options record's payload: the range, both bounds inclusive.
struct EXPORT_OPTIONS_PAYLOAD_TYPE {
  MOVARA_LONG_TYPE start_frame;
  MOVARA_LONG_TYPE end_frame;
};

bool export_options_get_f(DT_DATA_HEADER_TYPE** list, FUNCTION_ID_TYPE caller,
                          EXPORT_OPTIONS_PAYLOAD_TYPE* payload) {
  DATA_LIST_TYPE* found = list_find_f(list, caller);
  if (found == nullptr) return false;
  DATA_RECORD_TYPE* record = record_find_f(found, MVH_EXPORT_OPTIONS_TAG, 0);
  if (record == nullptr || record->master->size < static_cast<MOVARA_LONG_TYPE>(sizeof(*payload))) return false;
  std::memcpy(payload, reinterpret_cast<const char*>(record->master) + sizeof(DT_DATA_HEADER_TYPE),
              sizeof(*payload));
  return true;
}

std::string path_normalise_f(const std::string& path) {
  FM_FILE_IDENTIFIER_TYPE identifier;
  if (!mvh_file_identifier_make_f(&identifier, path)) return path;
  return mvh_file_identifier_path_get_f(&identifier);
}

}  // namespace

void mvh::files_reset() {
  STATE_TYPE& state = state_get_f();
  for (auto& entry : state.files) os_file_close(entry.second.os_file);
  state.files.clear();
  state.file_types.clear();
  state.formats.clear();
  state.registrations.clear();
  state.lists.clear();
}

// ===========================================================================
// fm_: files.

MOVARA_LONG_TYPE MOVARA_CALL fm_file_create_e(FM_FILE_IDENTIFIER_TYPE* identifier) {
  if (fallible_call_fails_f(FN_fm_file_create_e)) return -1;
  if (identifier == nullptr) {
    error_set("fm_file_create_e: no file identifier");
    return -1;
  }
  std::string name = identifier_name_get_f(identifier);
  std::string path = mvh_file_identifier_path_get_f(identifier);
  OS_FILE_TYPE file = OS_FILE_INVALID;
  std::string reason;
  if (name.empty()) {
    error_set("cannot create a file without a name");
    return -1;
  }
  if (!os_file_open_f(path, OS_OPEN_CREATE, &file, &reason)) {
    error_set("cannot create " + name + ": " + reason);
    return -1;
  }
  os_file_close(file);
  return 0;
}

MOVARA_LONG_TYPE MOVARA_CALL fm_file_open_f(FM_FILE_IDENTIFIER_TYPE* identifier, short mode) {
  if (fallible_call_fails_f(FN_fm_file_open_f)) return FM_FILE_NONE;
  if (identifier == nullptr) {
    error_set("fm_file_open_f: no file identifier");
    return FM_FILE_NONE;
  }
  std::string name = identifier_name_get_f(identifier);
  if (mode != 0 && mode != 1) {
    error_set("cannot open " + name + ": mode " + std::to_string(mode) + " is neither 1 (read) nor 0 (write)");
    return FM_FILE_NONE;
  }
  if (name.empty()) {
    error_set("cannot open a file without a name");
    return FM_FILE_NONE;
  }
  std::string path = mvh_file_identifier_path_get_f(identifier);
  OPEN_FILE_TYPE entry;
  entry.name = name;
  entry.path = path;
  entry.reading = mode == 1;
  std::string reason;
  if (!os_file_open_f(path, mode == 1 ? OS_OPEN_READ : OS_OPEN_WRITE_EXISTING, &entry.os_file, &reason)) {
    error_set("cannot open " + name + (mode == 1 ? "" : " for writing") + ": " + reason);
    return FM_FILE_NONE;
  }
  STATE_TYPE& state = state_get_f();
  MOVARA_LONG_TYPE handle = 1;
  for (const auto& open : state.files) {  // ascending: take the smallest free number
    if (open.first != handle) break;
    ++handle;
  }
  state.files.emplace(handle, entry);
  return handle;
}

MOVARA_LONG_TYPE MOVARA_CALL fm_file_read_f(MOVARA_LONG_TYPE file, char* buffer, MOVARA_LONG_TYPE count) {
  if (fallible_call_fails_f(FN_fm_file_read_f)) return 0;
  OPEN_FILE_TYPE* open = file_find_f(file, FN_fm_file_read_f);
  if (open == nullptr) return 0;
  if (count < 0 || (buffer == nullptr && count > 0)) {
    error_set("cannot read " + std::to_string(count) + " bytes of " + open->name +
              (buffer == nullptr ? " into no buffer" : ""));
    return 0;
  }
  if (!open->reading) {
    error_set("cannot read " + open->name + ": it is open for writing");
    return 0;
  }
  if (count == 0) return 0;
  std::size_t delivered = 0;
  std::string reason;
  if (!os_file_read_f(open->os_file, buffer, static_cast<std::size_t>(count), &delivered, &reason)) {
    error_set("cannot read " + open->name + ": " + reason);
    return static_cast<MOVARA_LONG_TYPE>(delivered);
  }
  if (delivered < static_cast<std::size_t>(count)) {
    error_set("file " + open->name + " ended after " + std::to_string(delivered) + " of " +
              std::to_string(count) + " bytes");
  }
  return static_cast<MOVARA_LONG_TYPE>(delivered);
}

MOVARA_LONG_TYPE MOVARA_CALL fm_file_write_f(MOVARA_LONG_TYPE file, char* data, MOVARA_LONG_TYPE size) {
  if (fallible_call_fails_f(FN_fm_file_write_f)) return 0;
  OPEN_FILE_TYPE* open = file_find_f(file, FN_fm_file_write_f);
  if (open == nullptr) return 0;
  if (size < 0 || (data == nullptr && size > 0)) {
    error_set("cannot write " + std::to_string(size) + " bytes to " + open->name +
              (data == nullptr ? " from no buffer" : ""));
    return 0;
  }
  if (open->reading) {
    error_set("cannot write to " + open->name + ": it is open for reading");
    return 0;
  }
  if (size == 0) return 0;
  std::size_t written = 0;
  std::string reason;
  if (!os_file_write_f(open->os_file, data, static_cast<std::size_t>(size), &written, &reason)) {
    error_set("cannot write to " + open->name + " (" + std::to_string(written) + " of " +
              std::to_string(size) + " bytes written): " + reason);
  }
  return static_cast<MOVARA_LONG_TYPE>(written);
}

MOVARA_LONG_TYPE MOVARA_CALL fm_file_position_get_f(MOVARA_LONG_TYPE file) {
  journal(FN_fm_file_position_get_f);
  OPEN_FILE_TYPE* open = file_find_f(file, FN_fm_file_position_get_f);
  if (open == nullptr) return -1;
  std::int64_t position = 0;
  std::string reason;
  if (!os_file_tell_f(open->os_file, &position, &reason)) {
    error_set("cannot tell the position in " + open->name + ": " + reason);
    return -1;
  }
  if (position > std::numeric_limits<MOVARA_LONG_TYPE>::max()) {
    error_set("position in " + open->name + " is beyond 2 GiB");
    return -1;
  }
  return static_cast<MOVARA_LONG_TYPE>(position);
}

MOVARA_LONG_TYPE MOVARA_CALL fm_file_position_set_e(MOVARA_LONG_TYPE file, MOVARA_LONG_TYPE offset,
                                                    short mode) {
  if (fallible_call_fails_f(FN_fm_file_position_set_e)) return -1;
  OPEN_FILE_TYPE* open = file_find_f(file, FN_fm_file_position_set_e);
  if (open == nullptr) return -1;
  std::string reason;
  std::int64_t target = offset;
  if (mode == 1) {
    std::int64_t current = 0;
    if (!os_file_tell_f(open->os_file, &current, &reason)) {
      error_set("cannot move in " + open->name + ": " + reason);
      return -1;
    }
    target = current + offset;
  } else if (mode != 0) {
    error_set("cannot move in " + open->name + ": origin " + std::to_string(mode) +
              " is neither 0 (start) nor 1 (current)");
    return -1;
  }
  if (target < 0) {
    error_set("cannot move in " + open->name + " to position " + std::to_string(target) +
              ", before its start");
    return -1;
  }
  if (target > std::numeric_limits<MOVARA_LONG_TYPE>::max()) {
    error_set("cannot move in " + open->name + " to position " + std::to_string(target) +
              ", beyond 2 GiB");
    return -1;
  }
  if (!os_file_seek_f(open->os_file, target, &reason)) {
    error_set("cannot move in " + open->name + ": " + reason);
    return -1;
  }
  return 0;
}

MOVARA_LONG_TYPE MOVARA_CALL fm_file_type_and_creator_set_e(FM_FILE_IDENTIFIER_TYPE* identifier,
                                                            MOVARA_LONG_TYPE type,
                                                            MOVARA_LONG_TYPE creator) {
  if (fallible_call_fails_f(FN_fm_file_type_and_creator_set_e)) return -1;
  if (identifier == nullptr) {
    error_set("fm_file_type_and_creator_set_e: no file identifier");
    return -1;
  }
  std::string path = mvh_file_identifier_path_get_f(identifier);
  if (!os_file_exists_f(path)) {
    error_set("cannot set the type of " + identifier_name_get_f(identifier) + ": No such file");
    return -1;
  }
  state_get_f().file_types[path] = std::make_pair(type, creator);
  return 0;
}

void MOVARA_CALL fm_file_close(MOVARA_LONG_TYPE file) {
  journal(FN_fm_file_close);
  STATE_TYPE& state = state_get_f();
  auto found = state.files.find(file);
  if (found == state.files.end()) return;
  os_file_close(found->second.os_file);
  state.files.erase(found);
}

// ===========================================================================
// fmi_: identifiers.

unsigned char MOVARA_CALL fmi_file_identifier_name_get_f(FM_FILE_IDENTIFIER_TYPE* identifier,
                                                         char* const buffer, MOVARA_LONG_TYPE size) {
  journal(FN_fmi_file_identifier_name_get_f);
  if (buffer == nullptr || size <= 0) return 0;
  if (identifier == nullptr) {
    buffer[0] = '\0';
    return 0;
  }
  std::string name = identifier_name_get_f(identifier);
  text_copy(buffer, size, name);
  return name.size() < static_cast<std::size_t>(size) ? 1 : 0;
}

short MOVARA_CALL fmi_file_identifier_name_set_f(FM_FILE_IDENTIFIER_TYPE* identifier, char* const name) {
  journal(FN_fmi_file_identifier_name_set_f);
  if (identifier == nullptr) return -1;
  std::string text = text_get_f(name);
  if (text.size() >= sizeof(identifier->name)) return -1;
  std::memset(identifier->name, 0, sizeof(identifier->name));
  std::memcpy(identifier->name, text.data(), text.size());
  return 0;
}

void MOVARA_CALL fmi_file_identifier_copy_e(FM_FILE_IDENTIFIER_TYPE* source,
                                            FM_FILE_IDENTIFIER_TYPE* destination) {
  journal(FN_fmi_file_identifier_copy_e);
  if (source == nullptr || destination == nullptr || source == destination) return;
  std::memmove(destination, source, sizeof(FM_FILE_IDENTIFIER_TYPE));
}

// ===========================================================================
// fme_: extensions. The extension is the text after the last point.

void MOVARA_CALL fme_file_extension_remove(char* name, char* result, short size) {
  journal(FN_fme_file_extension_remove);
  if (result == nullptr || size <= 0) return;
  std::string text = text_get_f(name);
  std::size_t point = text.rfind('.');
  if (point != std::string::npos) text.erase(point);
  text_copy(result, size, text);
}

unsigned char MOVARA_CALL fme_file_extension_get_f(char* name, char* extension) {
  journal(FN_fme_file_extension_get_f);
  bool found = false;
  std::string text = extension_get_f(text_get_f(name), &found);
  if (extension != nullptr) text_copy(extension, MOVARA_TEXT_CAPACITY, text);
  return found ? 1 : 0;
}

// ===========================================================================
// fp_: paths.

void MOVARA_CALL fp_file_path_file_name_get(FP_FILE_PATH_TYPE** path, char* const buffer, short size) {
  journal(FN_fp_file_path_file_name_get);
  if (buffer == nullptr || size <= 0) return;
  if (path == nullptr || *path == nullptr) {
    buffer[0] = '\0';
    return;
  }
  const char* text = (*path)->text;
  const char* end = static_cast<const char*>(std::memchr(text, '\0', sizeof((*path)->text)));
  std::string whole(text, end != nullptr ? static_cast<std::size_t>(end - text) : sizeof((*path)->text));
  // Both separators: model paths may come from either kind of system.
  std::size_t slash = whole.find_last_of("/\\");
  text_copy(buffer, size, slash == std::string::npos ? whole : whole.substr(slash + 1));
}

// ===========================================================================
// ffr_: formats.

namespace {
MVH_FORMAT_TYPE* format_find_f(MOVARA_LONG_TYPE format) {
  for (auto& entry : state_get_f().formats) {
    if (entry.format == format) return &entry;
  }
  return nullptr;
}
}  // namespace

unsigned char MOVARA_CALL ffr_file_format_add_f(MOVARA_LONG_TYPE format, char* name) {
  journal(FN_ffr_file_format_add_f);
  MVH_FORMAT_TYPE* entry = format_find_f(format);
  if (entry == nullptr) {
    MVH_FORMAT_TYPE added;
    added.format = format;
    state_get_f().formats.push_back(added);
    entry = &state_get_f().formats.back();
  }
  entry->name = text_get_f(name);
  return 1;
}

unsigned char MOVARA_CALL ffr_file_format_extension_set_f(MOVARA_LONG_TYPE format, char* const extension) {
  journal(FN_ffr_file_format_extension_set_f);
  MVH_FORMAT_TYPE* entry = format_find_f(format);
  if (entry == nullptr) return 0;
  std::string text = text_get_f(extension);
  if (!text.empty() && text[0] == '.') text.erase(0, 1);
  entry->extension = text;
  return 1;
}

MOVARA_LONG_TYPE MOVARA_CALL ffr_file_format_get_f(FM_FILE_IDENTIFIER_TYPE* identifier) {
  journal(FN_ffr_file_format_get_f);
  if (identifier == nullptr) return 0;
  bool found = false;
  std::string extension = lower_get_f(extension_get_f(identifier_name_get_f(identifier), &found));
  if (!found || extension.empty()) return 0;
  for (const auto& entry : state_get_f().formats) {
    if (!entry.extension.empty() && lower_get_f(entry.extension) == extension) return static_cast<MOVARA_LONG_TYPE>(entry.format);
  }
  return 0;
}

unsigned char MOVARA_CALL ffr_file_format_name_get_f(MOVARA_LONG_TYPE format, char* buffer, short size) {
  journal(FN_ffr_file_format_name_get_f);
  MVH_FORMAT_TYPE* entry = format_find_f(format);
  text_copy(buffer, size, entry != nullptr ? entry->name : std::string());
  return entry != nullptr ? 1 : 0;
}

// ===========================================================================
// flt_: filter registrations.

void MOVARA_CALL flt_filter_format_register_external_e(MOVARA_LONG_TYPE kind, MOVARA_LONG_TYPE format,
                                                       char* name, FM_FILE_IDENTIFIER_TYPE* identifier,
                                                       short bitmap, short parameter) {
  journal(FN_flt_filter_format_register_external_e);
  MVH_FILTER_REGISTRATION_TYPE registration;
  registration.kind = kind;
  registration.format = format;
  registration.name = text_get_f(name);
  registration.identifier_name = identifier_name_get_f(identifier);
  registration.bitmap = bitmap;
  registration.parameter = parameter;
  state_get_f().registrations.push_back(registration);
}

// ===========================================================================
// fdt_: filter-data records.

DT_DATA_HEADER_TYPE** MOVARA_CALL fdt_filter_data_add_f(DT_DATA_HEADER_TYPE** list, MOVARA_LONG_TYPE tag,
                                                        MOVARA_LONG_TYPE index, MOVARA_LONG_TYPE size,
                                                        MOVARA_LONG_TYPE flags) {
  if (fallible_call_fails_f(FN_fdt_filter_data_add_f)) return nullptr;
  DATA_LIST_TYPE* found = list_find_f(list, FN_fdt_filter_data_add_f);
  if (found == nullptr) return nullptr;
  if (size < 0) {
    error_set("cannot add a filter-data record of " + std::to_string(size) + " bytes");
    return nullptr;
  }
  DATA_RECORD_TYPE* record = record_find_f(found, tag, index);
  if (record == nullptr) record = record_add_f(found, tag, index, size, flags);
  return &record->master;
}

DT_DATA_HEADER_TYPE** MOVARA_CALL fdt_filter_data_get_f(DT_DATA_HEADER_TYPE** list, MOVARA_LONG_TYPE tag,
                                                        MOVARA_LONG_TYPE index) {
  journal(FN_fdt_filter_data_get_f);
  DATA_LIST_TYPE* found = list_find_f(list, FN_fdt_filter_data_get_f);
  if (found == nullptr) return nullptr;
  DATA_RECORD_TYPE* record = record_find_f(found, tag, index);
  return record != nullptr ? &record->master : nullptr;
}

// ===========================================================================
// efo_: the export range.

MOVARA_LONG_TYPE MOVARA_CALL efo_export_file_options_start_frame_get_f(DT_DATA_HEADER_TYPE** list) {
  journal(FN_efo_export_file_options_start_frame_get_f);
  EXPORT_OPTIONS_PAYLOAD_TYPE payload{0, 0};
  export_options_get_f(list, FN_efo_export_file_options_start_frame_get_f, &payload);
  return payload.start_frame;
}

MOVARA_LONG_TYPE MOVARA_CALL efo_export_file_options_end_frame_get_f(DT_DATA_HEADER_TYPE** list) {
  journal(FN_efo_export_file_options_end_frame_get_f);
  EXPORT_OPTIONS_PAYLOAD_TYPE payload{0, 0};
  export_options_get_f(list, FN_efo_export_file_options_end_frame_get_f, &payload);
  return payload.end_frame;
}

// ===========================================================================
// The control API.

long mvh_open_file_count_get_f() { return static_cast<long>(state_get_f().files.size()); }

bool mvh_file_identifier_make_f(FM_FILE_IDENTIFIER_TYPE* identifier, const std::string& path) {
  if (identifier == nullptr) return false;
  std::memset(identifier, 0, sizeof(*identifier));
  std::size_t slash = std::string::npos;
  for (std::size_t i = path.size(); i > 0; --i) {
    if (os_path_separator_f(path[i - 1])) {
      slash = i - 1;
      break;
    }
  }
  std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  // Keep a root folder's separator; drop the one that ends any other folder.
  if (folder.size() > 1 && os_path_separator_f(folder.back()) &&
      !(folder.size() == 3 && folder[1] == ':')) {
    folder.pop_back();
  }
  if (name.size() >= sizeof(identifier->name) || folder.size() >= sizeof(identifier->folder)) return false;
  std::memcpy(identifier->name, name.data(), name.size());
  std::memcpy(identifier->folder, folder.data(), folder.size());
  return true;
}

std::string mvh_file_identifier_path_get_f(const FM_FILE_IDENTIFIER_TYPE* identifier) {
  return path_join_f(identifier_folder_get_f(identifier), identifier_name_get_f(identifier));
}

long mvh_file_type_get_f(const std::string& path) {
  const auto& types = state_get_f().file_types;
  auto found = types.find(path_normalise_f(path));
  if (found == types.end()) found = types.find(path);
  return found == types.end() ? 0 : found->second.first;
}

long mvh_file_creator_get_f(const std::string& path) {
  const auto& types = state_get_f().file_types;
  auto found = types.find(path_normalise_f(path));
  if (found == types.end()) found = types.find(path);
  return found == types.end() ? 0 : found->second.second;
}

const std::vector<MVH_FILTER_REGISTRATION_TYPE>& mvh_filter_registrations_get_f() {
  return state_get_f().registrations;
}

const std::vector<MVH_FORMAT_TYPE>& mvh_formats_get_f() { return state_get_f().formats; }

DT_DATA_HEADER_TYPE** mvh_filter_data_list_create_f() {
  auto list = std::make_unique<DATA_LIST_TYPE>();
  list->master = &list->header;
  DT_DATA_HEADER_TYPE** handle = &list->master;
  state_get_f().lists.emplace(handle, std::move(list));
  return handle;
}

void mvh_filter_data_list_dispose(DT_DATA_HEADER_TYPE** list) { state_get_f().lists.erase(list); }

void mvh_export_options_set(DT_DATA_HEADER_TYPE** list, long start_frame, long end_frame) {
  DATA_LIST_TYPE* found = list_find_f(list, FN_COUNT);
  if (found == nullptr) return;
  DATA_RECORD_TYPE* record = record_find_f(found, MVH_EXPORT_OPTIONS_TAG, 0);
  EXPORT_OPTIONS_PAYLOAD_TYPE payload{static_cast<MOVARA_LONG_TYPE>(start_frame),
                                      static_cast<MOVARA_LONG_TYPE>(end_frame)};
  if (record == nullptr || record->master->size < static_cast<MOVARA_LONG_TYPE>(sizeof(payload))) {
    if (record != nullptr) {
      for (auto it = found->records.begin(); it != found->records.end(); ++it) {
        if (it->get() == record) {
          found->records.erase(it);
          break;
        }
      }
    }
    record = record_add_f(found, MVH_EXPORT_OPTIONS_TAG, 0, static_cast<MOVARA_LONG_TYPE>(sizeof(payload)), 0);
  }
  std::memcpy(reinterpret_cast<char*>(record->master) + sizeof(DT_DATA_HEADER_TYPE), &payload, sizeof(payload));
}

long mvh_filter_data_record_count_get_f(DT_DATA_HEADER_TYPE** list) {
  DATA_LIST_TYPE* found = list_find_f(list, FN_COUNT);
  return found == nullptr ? 0 : static_cast<long>(found->records.size());
}
