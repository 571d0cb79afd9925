// A test plug-in that carries the frame and calls the stand-in Movara through
// undefined symbols resolved at load time, as Vestan and Orlune do.
//   100  answers the number of figures of the animation in argument 1
//   101  sets a key on the figure in argument 1 at frame 3, channel 1, 7.5;
//        answers em_error_occurred_f
//   anything else  not handled (the frame answers the library messages)
#include "plugin_frame.h"

MOVARA_LONG_TYPE MOVARA_CALL library_user_function_f(MOVARA_LONG_TYPE selector, void* argument_1, void*,
                                                     void*, void*, void*, void*, void*, void*) {
  switch (selector) {
    case 100:
      return anm_animation_figure_count_get_f(argument_1);
    case 101:
      fgf_frame_value_set_f(argument_1, 3, CHANNEL_TRANSLATION_X, 7.5f);
      return em_error_occurred_f();
    default:
      return ANSWER_NOT_HANDLED;
  }
}
