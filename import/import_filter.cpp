#include "import_filter.h"

MOVARA_LONG_TYPE IMPORT_FILTER_TYPE::message_handle_f(MOVARA_LONG_TYPE selector,
                                                      void* argument_1, void* argument_2,
                                                      void* argument_3, void* argument_4,
                                                      void* argument_5, void* argument_6,
                                                      void* argument_7, void* argument_8) {
  if (selector == MSG_FORMAT_CHECK) {
    const MOVARA_LONG_TYPE format =
        file_format_check_f(static_cast<FM_FILE_IDENTIFIER_TYPE*>(argument_1));
    MOVARA_LONG_TYPE* const result = static_cast<MOVARA_LONG_TYPE*>(argument_2);
    if (result != nullptr) {
      *result = format;
    }
    return ANSWER_HANDLED;
  }
  return FILTER_TYPE::message_handle_f(selector, argument_1, argument_2, argument_3, argument_4,
                                       argument_5, argument_6, argument_7, argument_8);
}

MOVARA_LONG_TYPE IMPORT_FILTER_TYPE::file_format_check_f(FM_FILE_IDENTIFIER_TYPE* identifier) {
  const MOVARA_LONG_TYPE format = ffr_file_format_get_f(identifier);
  if (format == format_id_get_f()) {
    return format;
  }
  return 0;
}
