// Vestan's library_user_function_f: every request goes to the library
// object, which is made on the first request and again on the first request
// after 'LIBD'.
#include "plugin_frame.h"
#include "seq_import_filter.h"

MOVARA_LONG_TYPE MOVARA_CALL library_user_function_f(MOVARA_LONG_TYPE selector, void* argument_1,
                                                     void* argument_2, void* argument_3,
                                                     void* argument_4, void* argument_5,
                                                     void* argument_6, void* argument_7,
                                                     void* argument_8) {
  if (library_object == nullptr) {
    library_object = library_object_create_f();
  }
  // Without an object no filter message can be answered; the frame still
  // answers the library messages, and the next request tries again.
  if (library_object == nullptr) {
    return ANSWER_NOT_HANDLED;
  }
  return library_object->message_handle_f(selector, argument_1, argument_2, argument_3,
                                          argument_4, argument_5, argument_6, argument_7,
                                          argument_8);
}
