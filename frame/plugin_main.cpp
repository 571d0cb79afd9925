// The exported `main`: Movara's entry for every request.
//
// C++ reserves the name `main` for a hosted program's start: it must return
// `int`, takes zero or two arguments and cannot be given a language linkage.
// Movara's entry has another signature and, on 32-bit Windows, returns `long`.
// This file is therefore compiled with -ffreestanding (see frame/CMakeLists.txt),
// under which `main` is an ordinary function; with C linkage its link name is
// the plain, undecorated `main` that Movara looks for. Nothing else lives in
// this file, so no other code is built freestanding.
//
// On 32-bit mingw the compiler still places a call to the runtime's `__main`
// (its constructor run) at the top of any function named `main`. In a DLL
// that call does nothing: the runtime's DLL start-up has already run the
// constructors, and `__main` runs them only once.
#include "plugin_frame.h"

extern "C" PLUGIN_EXPORT MOVARA_LONG_TYPE MOVARA_CALL main(MOVARA_LONG_TYPE selector,
                                                           void* argument_1, void* argument_2,
                                                           void* argument_3, void* argument_4,
                                                           void* argument_5, void* argument_6,
                                                           void* argument_7, void* argument_8);

// Answers what the deliverable's library_user_function_f answers, unless that
// is 5 (not handled): then the library messages are answered by the frame and
// every other selector is answered 5.
extern "C" MOVARA_LONG_TYPE MOVARA_CALL main(MOVARA_LONG_TYPE selector, void* argument_1,
                                             void* argument_2, void* argument_3, void* argument_4,
                                             void* argument_5, void* argument_6, void* argument_7,
                                             void* argument_8) {
  const MOVARA_LONG_TYPE answer =
      library_user_function_f(selector, argument_1, argument_2, argument_3, argument_4,
                              argument_5, argument_6, argument_7, argument_8);
  if (answer != ANSWER_NOT_HANDLED) {
    return answer;
  }
  return lbf_library_function_default_f(selector, argument_1, argument_2, argument_3, argument_4,
                                        argument_5, argument_6, argument_7, argument_8);
}
