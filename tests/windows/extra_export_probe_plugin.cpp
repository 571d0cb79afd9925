// A plug-in that exports one function too many, so that pe_file_check can be
// seen to refuse it.
#include "plugin_frame.h"

MOVARA_LONG_TYPE MOVARA_CALL library_user_function_f(MOVARA_LONG_TYPE, void*, void*, void*, void*,
                                                     void*, void*, void*, void*) {
  return ANSWER_NOT_HANDLED;
}

extern "C" PLUGIN_EXPORT int extra_export_f() { return 1; }
