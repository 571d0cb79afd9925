#include "plugin_frame.h"

#include <cstring>

void library_callback_invoke(LIBRARY_CALLBACK_TYPE callback, void* user_data) {
  // Movara may keep the pointer for the length of the call, so the text lives
  // in static storage; it is never written.
  static char empty_text[1] = {'\0'};
  if (callback == nullptr) {
    return;
  }
  (void)callback(user_data, empty_text, 0);
}

MOVARA_LONG_TYPE MOVARA_CALL lbf_library_function_default_f(
    MOVARA_LONG_TYPE selector, void* argument_1, void* argument_2, void* /*argument_3*/,
    void* /*argument_4*/, void* /*argument_5*/, void* /*argument_6*/, void* /*argument_7*/,
    void* /*argument_8*/) {
  switch (selector) {
    case MSG_CBIN: {
      // A function pointer travels in an untyped argument; copying its bits is
      // the one conversion that is defined for every pointer representation.
      LIBRARY_CALLBACK_TYPE callback = nullptr;
      static_assert(sizeof(callback) == sizeof(argument_1), "code and data pointers differ");
      std::memcpy(&callback, &argument_1, sizeof(callback));
      library_callback_invoke(callback, argument_2);
      return ANSWER_HANDLED;
    }
    case MSG_LIBR:
    case MSG_LIBS:
    case MSG_LIBD:
      return ANSWER_HANDLED;
    default:
      return ANSWER_NOT_HANDLED;
  }
}
