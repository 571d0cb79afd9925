#include "library_object.h"

LIBRARY_OBJECT_TYPE* library_object = nullptr;

MOVARA_LONG_TYPE LIBRARY_OBJECT_TYPE::message_handle_f(
    MOVARA_LONG_TYPE selector, void* /*argument_1*/, void* /*argument_2*/, void* /*argument_3*/,
    void* /*argument_4*/, void* /*argument_5*/, void* /*argument_6*/, void* /*argument_7*/,
    void* /*argument_8*/) {
  if (selector == MSG_LIBD) {
    // Nothing of this object is touched after it is gone; the next request
    // makes a new one.
    object_dispose();
    library_object = nullptr;
  }
  return ANSWER_NOT_HANDLED;
}

void LIBRARY_OBJECT_TYPE::object_dispose() { delete this; }
