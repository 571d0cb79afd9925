// A plug-in that carries the frame and a deliberately simple
// library_user_function_f, so that the frame's own behaviour can be seen:
//   1 and 2      answered 1 and 2 (request-specific answers pass through)
//   'CBIN'       answered 42 when argument 3 is non-null (the frame must then
//                not call the callback), else not handled
//   'LIBD'       counted, then not handled (like Vestan's teardown)
//   7777         answers how many requests reached this function
//   anything else  not handled
#include "plugin_frame.h"

namespace {
MOVARA_LONG_TYPE probe_request_count = 0;
}

MOVARA_LONG_TYPE MOVARA_CALL library_user_function_f(MOVARA_LONG_TYPE selector, void*, void*,
                                                     void* argument_3, void*, void*, void*, void*,
                                                     void*) {
  ++probe_request_count;
  switch (selector) {
    case 1:
    case 2:
      return selector;
    case MSG_CBIN:
      return argument_3 != nullptr ? 42 : ANSWER_NOT_HANDLED;
    case 7777:
      return probe_request_count;
    default:
      return ANSWER_NOT_HANDLED;
  }
}
