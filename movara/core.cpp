// The stand-in Movara's core: the state, the error state, the journal, fault
// injection, memory blocks, strings, the status window and mvh_reset.
#include <cctype>
#include <cinttypes>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>

#include "movara_internal.h"

namespace mvh {

namespace {

struct FUNCTION_INFO_TYPE {
  const char* name;
  bool fallible;
};

const FUNCTION_INFO_TYPE function_table[FN_COUNT] = {
#define MVH_FUNCTION_INFO(name, fallible) {#name, fallible != 0},
    MVH_FUNCTION_LIST(MVH_FUNCTION_INFO)
#undef MVH_FUNCTION_INFO
};

}  // namespace

const char* function_name_get_f(FUNCTION_ID_TYPE id) {
  return id < FN_COUNT ? function_table[id].name : "";
}

bool function_fallible_f(FUNCTION_ID_TYPE id) { return id < FN_COUNT && function_table[id].fallible; }

FUNCTION_ID_TYPE function_id_get_f(const std::string& name) {
  for (int i = 0; i < FN_COUNT; ++i) {
    if (name == function_table[i].name) return static_cast<FUNCTION_ID_TYPE>(i);
  }
  return FN_COUNT;
}

STATE_TYPE& state_get_f() {
  // Never destroyed: plug-ins and atexit handlers may still call in late.
  static STATE_TYPE* state = new STATE_TYPE();
  return *state;
}

void error_set(const std::string& message) {
  STATE_TYPE& state = state_get_f();
  if (state.error) return;
  state.error = true;
  state.error_message = message.empty() ? std::string("unspecified error") : message;
}

bool fallible_call_fails_f(FUNCTION_ID_TYPE id) {
  journal(id);
  STATE_TYPE& state = state_get_f();
  ++state.fallible_calls;
  if (state.faults.empty()) return false;
  bool fails = false;
  MVH_FAULT_MODE_TYPE mode = MVH_FAULT_SILENT;
  for (std::size_t i = 0; i < state.faults.size();) {
    FAULT_TYPE& fault = state.faults[i];
    if (fault.function == FN_COUNT || fault.function == id) {
      if (--fault.remaining <= 0) {
        fails = true;
        if (fault.mode == MVH_FAULT_WITH_ERROR) mode = MVH_FAULT_WITH_ERROR;
        state.faults.erase(state.faults.begin() + static_cast<std::ptrdiff_t>(i));
        continue;
      }
    }
    ++i;
  }
  if (!fails) return false;
  state.fault_fired = true;
  ++state.faults_fired;
  if (mode == MVH_FAULT_WITH_ERROR) {
    error_set(std::string(function_name_get_f(id)) + " failed (injected fault)");
  }
  return true;
}

std::string handle_text_get_f(const void* handle) {
  char text[32];
  std::snprintf(text, sizeof(text), "%p", handle);
  return text;
}

void text_copy(char* buffer, long size, const std::string& text) {
  if (buffer == nullptr || size <= 0) return;
  std::size_t length = text.size();
  if (length > static_cast<std::size_t>(size - 1)) length = static_cast<std::size_t>(size - 1);
  std::memmove(buffer, text.data(), length);
  buffer[length] = '\0';
}

std::string text_get_f(const char* text) { return text != nullptr ? std::string(text) : std::string(); }

void status_notify() {
  STATE_TYPE& state = state_get_f();
  if (state.status_listener != nullptr) state.status_listener(state.status, state.status_listener_data);
}

}  // namespace mvh

using namespace mvh;

// ===========================================================================
// em_: the error state.

unsigned char MOVARA_CALL em_error_occurred_f() {
  journal(FN_em_error_occurred_f);
  return state_get_f().error ? 1 : 0;
}

void MOVARA_CALL em_error_reset() {
  journal(FN_em_error_reset);
  STATE_TYPE& state = state_get_f();
  state.error = false;
  state.error_message.clear();
}

// ===========================================================================
// mm_: memory blocks.

char* MOVARA_CALL mm_pointer_create(MOVARA_LONG_TYPE size) {
  if (fallible_call_fails_f(FN_mm_pointer_create)) return nullptr;
  STATE_TYPE& state = state_get_f();
  if (size <= 0) {
    error_set("cannot allocate a block of " + std::to_string(size) + " bytes");
    return nullptr;
  }
  std::size_t bytes = static_cast<std::size_t>(size);
  if (state.block_limit > 0 && state.block_bytes + size > state.block_limit) {
    error_set("out of memory: cannot allocate " + std::to_string(size) + " bytes");
    return nullptr;
  }
  char* block = static_cast<char*>(std::calloc(bytes, 1));
  if (block == nullptr) {
    error_set("out of memory: cannot allocate " + std::to_string(size) + " bytes");
    return nullptr;
  }
  state.blocks.emplace(block, bytes);
  state.block_bytes += size;
  if (state.block_bytes > state.block_bytes_peak) state.block_bytes_peak = state.block_bytes;
  return block;
}

void MOVARA_CALL mm_pointer_dispose(char* block) {
  journal(FN_mm_pointer_dispose);
  if (block == nullptr) return;
  STATE_TYPE& state = state_get_f();
  auto found = state.blocks.find(block);
  if (found == state.blocks.end()) {
    ++state.block_misuse;  // never handed out, or already disposed of
    return;
  }
  state.block_bytes -= static_cast<long long>(found->second);
  state.blocks.erase(found);
  std::free(block);
}

// ===========================================================================
// st_: strings.

char* MOVARA_CALL st_str_copy_f(char* destination, char* source, short size) {
  journal(FN_st_str_copy_f);
  if (destination == nullptr || size <= 0) return destination;
  if (source == nullptr) {
    destination[0] = '\0';
    return destination;
  }
  std::size_t limit = static_cast<std::size_t>(size) - 1;
  std::size_t length = 0;
  while (length < limit && source[length] != '\0') ++length;
  std::memmove(destination, source, length);
  destination[length] = '\0';
  return destination;
}

unsigned char MOVARA_CALL st_str_equal_f(char* first, char* second) {
  journal(FN_st_str_equal_f);
  if (first == nullptr || second == nullptr) return first == second ? 1 : 0;
  return std::strcmp(first, second) == 0 ? 1 : 0;
}

short MOVARA_CALL st_str_length_get_f(char* text) {
  journal(FN_st_str_length_get_f);
  if (text == nullptr) return 0;
  std::size_t length = std::strlen(text);
  return length > 32767 ? static_cast<short>(32767) : static_cast<short>(length);
}

namespace mvh {

// Movara's `%ld` reads a 32-bit long. Where the C library's long is wider the
// format is rewritten before it reaches vsnprintf: the `l` of a d, i, u, x, X
// or o conversion is dropped, so the conversion reads the int that the caller
// passed. Flags, width, precision (also `*`) and `%%` pass through; `ll`
// stays a long long; a lone `%` at the end is printed as a percent sign.
std::string format_translate_f(const char* format) {
  std::string out;
  out.reserve(std::strlen(format) + 4);
  const char* p = format;
  while (*p != '\0') {
    if (*p != '%') {
      out += *p++;
      continue;
    }
    out += *p++;
    if (*p == '\0') {
      out += '%';
      break;
    }
    if (*p == '%') {
      out += *p++;
      continue;
    }
    while (*p != '\0' && std::strchr("-+ #0'", *p) != nullptr) out += *p++;
    if (*p == '*') {
      out += *p++;
    } else {
      while (std::isdigit(static_cast<unsigned char>(*p))) out += *p++;
    }
    if (*p == '.') {
      out += *p++;
      if (*p == '*') {
        out += *p++;
      } else {
        while (std::isdigit(static_cast<unsigned char>(*p))) out += *p++;
      }
    }
    if (p[0] == 'l' && p[1] != '\0' && p[1] != 'l' && std::strchr("diuxXo", p[1]) != nullptr) {
      ++p;  // Movara's long is the int passed
    } else {
      while (*p != '\0' && std::strchr("hljztL", *p) != nullptr) out += *p++;
    }
    if (*p == '\0') {
      // A conversion cut off by the end of the format: print what is there.
      std::size_t start = out.rfind('%');
      std::string rest = out.substr(start);
      out.erase(start);
      for (char c : rest) {
        out += c;
        if (c == '%') out += '%';
      }
      break;
    }
    out += *p++;
  }
  return out;
}

}  // namespace mvh

char* MOVARA_CALL st_nprintf_f(char* buffer, short size, char* format, ...) {
  journal(FN_st_nprintf_f);
  if (buffer == nullptr || size <= 0) return buffer;
  if (format == nullptr) {
    buffer[0] = '\0';
    return buffer;
  }
  std::string translated = format_translate_f(format);
  va_list arguments;
  va_start(arguments, format);
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
#endif
  int written = std::vsnprintf(buffer, static_cast<std::size_t>(size), translated.c_str(), arguments);
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif
  va_end(arguments);
  // Some C libraries (Windows' msvcrt) answer -1 on truncation and leave the
  // buffer unterminated: end the text at the bound in every such case.
  if (written < 0 || written >= size) buffer[size - 1] = '\0';
  return buffer;
}

// ===========================================================================
// stw_: the status window.

namespace {

bool status_open_check_f() {
  STATE_TYPE& state = state_get_f();
  if (!state.status.open) {
    ++state.status.misuse_count;
    return false;
  }
  return true;
}

}  // namespace

MOVARA_LONG_TYPE MOVARA_CALL stw_status_initialize_e(char* title, unsigned char flag) {
  if (fallible_call_fails_f(FN_stw_status_initialize_e)) return -1;
  STATE_TYPE& state = state_get_f();
  if (state.status.open) ++state.status.misuse_count;
  state.status.open = true;
  ++state.status.open_count;
  state.status.flag = flag;
  state.status.title = text_get_f(title);
  state.status.job_type.clear();
  state.status.job_object.clear();
  state.status.range_low = 0;
  state.status.range_high = 0;
  state.status.progress = 0;
  state.status.increment_count = 0;
  status_notify();
  return 0;
}

MOVARA_LONG_TYPE MOVARA_CALL stw_status_job_type_name_set_e(char* name) {
  journal(FN_stw_status_job_type_name_set_e);
  if (!status_open_check_f()) return -1;
  state_get_f().status.job_type = text_get_f(name);
  status_notify();
  return 0;
}

MOVARA_LONG_TYPE MOVARA_CALL stw_status_job_object_name_set_e(char* name) {
  journal(FN_stw_status_job_object_name_set_e);
  if (!status_open_check_f()) return -1;
  state_get_f().status.job_object = text_get_f(name);
  status_notify();
  return 0;
}

MOVARA_LONG_TYPE MOVARA_CALL stw_status_range_change_e(MOVARA_LONG_TYPE low, MOVARA_LONG_TYPE high) {
  journal(FN_stw_status_range_change_e);
  if (!status_open_check_f()) return -1;
  state_get_f().status.range_low = low;
  state_get_f().status.range_high = high;
  status_notify();
  return 0;
}

MOVARA_LONG_TYPE MOVARA_CALL stw_status_progress_increment_e(MOVARA_LONG_TYPE steps) {
  journal(FN_stw_status_progress_increment_e);
  if (!status_open_check_f()) return -1;
  state_get_f().status.progress += steps;
  ++state_get_f().status.increment_count;
  status_notify();
  return 0;
}

void MOVARA_CALL stw_status_end() {
  journal(FN_stw_status_end);
  if (!status_open_check_f()) return;
  state_get_f().status.open = false;
  status_notify();
}

// ===========================================================================
// The control API: state, error, journal, faults, counters, status.

void mvh_reset() {
  STATE_TYPE& state = state_get_f();
  model_reset();
  files_reset();
  state.error = false;
  state.error_message.clear();
  state.journal.clear();
  state.journal_names.clear();
  state.journal_dropped = 0;
  for (long long& count : state.call_counts) count = 0;
  state.faults.clear();
  state.fallible_calls = 0;
  state.fault_fired = false;
  state.faults_fired = 0;
  state.block_bytes_peak = state.block_bytes;
  state.block_misuse = 0;
  state.block_limit = 0;
  state.status = MVH_STATUS_TYPE();
  state.handle_misuse = 0;
  state.last_angle_order = 0;
}

std::string mvh_error_message_get_f() {
  STATE_TYPE& state = state_get_f();
  return state.error ? state.error_message : std::string();
}

void mvh_error_set(const std::string& message) { error_set(message); }

const std::vector<std::string>& mvh_journal_get_f() {
  STATE_TYPE& state = state_get_f();
  state.journal_names.reserve(state.journal.size());
  for (std::size_t i = state.journal_names.size(); i < state.journal.size(); ++i) {
    state.journal_names.emplace_back(function_name_get_f(static_cast<FUNCTION_ID_TYPE>(state.journal[i])));
  }
  return state.journal_names;
}

void mvh_journal_clear() {
  STATE_TYPE& state = state_get_f();
  state.journal.clear();
  state.journal.shrink_to_fit();
  state.journal_names.clear();
  state.journal_names.shrink_to_fit();
  state.journal_dropped = 0;
  for (long long& count : state.call_counts) count = 0;
}

void mvh_journal_enable(bool enabled) { state_get_f().journal_enabled = enabled; }
bool mvh_journal_enabled_f() { return state_get_f().journal_enabled; }

void mvh_journal_limit_set(long long entries) {
  state_get_f().journal_limit = entries < 0 ? 0 : static_cast<std::size_t>(entries);
}

long long mvh_journal_dropped_count_get_f() { return state_get_f().journal_dropped; }

long long mvh_journal_call_count_get_f(const std::string& function) {
  FUNCTION_ID_TYPE id = function_id_get_f(function);
  return id == FN_COUNT ? 0 : state_get_f().call_counts[id];
}

const std::vector<std::string>& mvh_function_names_get_f() {
  static const std::vector<std::string>* names = [] {
    auto* list = new std::vector<std::string>();
    for (int i = 0; i < FN_COUNT; ++i) list->emplace_back(function_table[i].name);
    return list;
  }();
  return *names;
}

bool mvh_function_fallible_f(const std::string& function) {
  return function_fallible_f(function_id_get_f(function));
}

void mvh_fault_call_fail(const std::string& function, long n, MVH_FAULT_MODE_TYPE mode) {
  STATE_TYPE& state = state_get_f();
  FUNCTION_ID_TYPE id = function_id_get_f(function);
  state.fault_fired = false;
  // An unknown or infallible name is armed too but can never fire.
  FAULT_TYPE fault;
  fault.function = id == FN_COUNT || !function_fallible_f(id) ? static_cast<FUNCTION_ID_TYPE>(0xFF) : id;
  fault.remaining = n < 1 ? 1 : n;
  fault.mode = mode;
  state.faults.push_back(fault);
}

void mvh_fault_any_fail(long n, MVH_FAULT_MODE_TYPE mode) {
  STATE_TYPE& state = state_get_f();
  state.fault_fired = false;
  FAULT_TYPE fault;
  fault.function = FN_COUNT;
  fault.remaining = n < 1 ? 1 : n;
  fault.mode = mode;
  state.faults.push_back(fault);
}

void mvh_fault_clear() {
  STATE_TYPE& state = state_get_f();
  state.faults.clear();
  state.fallible_calls = 0;
  state.fault_fired = false;
  state.faults_fired = 0;
}

long mvh_fault_fallible_call_count_get_f() { return state_get_f().fallible_calls; }
bool mvh_fault_fired_f() { return state_get_f().fault_fired; }
long mvh_fault_fired_count_get_f() { return state_get_f().faults_fired; }
long mvh_fault_armed_count_get_f() { return static_cast<long>(state_get_f().faults.size()); }

long mvh_live_block_count_get_f() { return static_cast<long>(state_get_f().blocks.size()); }
long long mvh_live_block_bytes_get_f() { return state_get_f().block_bytes; }
long long mvh_live_block_bytes_peak_get_f() { return state_get_f().block_bytes_peak; }
long mvh_block_misuse_count_get_f() { return state_get_f().block_misuse; }
void mvh_memory_limit_set(long long bytes) { state_get_f().block_limit = bytes < 0 ? 0 : bytes; }
long mvh_handle_misuse_count_get_f() { return state_get_f().handle_misuse; }

const MVH_STATUS_TYPE& mvh_status_get_f() { return state_get_f().status; }

void mvh_status_listener_set(MVH_STATUS_LISTENER_TYPE listener, void* user_data) {
  state_get_f().status_listener = listener;
  state_get_f().status_listener_data = user_data;
}
