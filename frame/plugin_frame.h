// The plug-in frame that every Movara plug-in carries: the exported `main`,
// the exported default handler of the library messages, and the call of
// Movara's 'CBIN' callback. The frame calls no Movara function and keeps no
// state between requests.
#ifndef FRAME_PLUGIN_FRAME_H
#define FRAME_PLUGIN_FRAME_H

#include "movara_api.h"

// Supplied by each deliverable. It answers the deliverable's filter messages
// and answers ANSWER_NOT_HANDLED (5) for everything else, the library messages
// 'CBIN', 'LIBR', 'LIBS' and 'LIBD' included, so that `main` handles those.
// Exported under its decorated link name.
PLUGIN_EXPORT MOVARA_LONG_TYPE MOVARA_CALL library_user_function_f(
    MOVARA_LONG_TYPE selector, void* argument_1, void* argument_2, void* argument_3,
    void* argument_4, void* argument_5, void* argument_6, void* argument_7, void* argument_8);

// The library messages on their own, offered to Movara and exported under its
// decorated link name. Reads only the selector and arguments 1 and 2:
//   'CBIN'  argument 1: Movara's callback (LIBRARY_CALLBACK_TYPE, may be null:
//           then nothing is called); argument 2: its user data, passed through
//           unread. Calls the callback once; answers 0 whatever it returns.
//   'LIBR'  argument 1: a value from Movara, unused. Answers 0.
//   'LIBS', 'LIBD'  no arguments. Answer 0.
//   anything else   answers 5 and has no effect.
// It never calls library_user_function_f.
PLUGIN_EXPORT MOVARA_LONG_TYPE MOVARA_CALL lbf_library_function_default_f(
    MOVARA_LONG_TYPE selector, void* argument_1, void* argument_2, void* argument_3,
    void* argument_4, void* argument_5, void* argument_6, void* argument_7, void* argument_8);

// Calls Movara's callback once with the user data, a static empty string and
// 0. Neither the callback nor the user data is kept.
void library_callback_invoke(LIBRARY_CALLBACK_TYPE callback, void* user_data);

#endif  // FRAME_PLUGIN_FRAME_H
