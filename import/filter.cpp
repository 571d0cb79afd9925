#include "filter.h"

MOVARA_LONG_TYPE FILTER_TYPE::message_handle_f(MOVARA_LONG_TYPE selector, void* argument_1,
                                               void* argument_2, void* argument_3,
                                               void* argument_4, void* argument_5,
                                               void* argument_6, void* argument_7,
                                               void* argument_8) {
  switch (selector) {
    case MSG_FREG:
      return filter_register_f(static_cast<FM_FILE_IDENTIFIER_TYPE*>(argument_1));
    case MSG_REQUEST_1:
      return request_1_answer_f(argument_1, argument_2, argument_3);
    case MSG_REQUEST_2:
      return request_2_answer_f(argument_1, argument_2);
    case MSG_REQUEST_4:
      return request_4_answer_f(argument_1, argument_2, argument_3, argument_4);
    default:
      return LIBRARY_OBJECT_TYPE::message_handle_f(selector, argument_1, argument_2, argument_3,
                                                   argument_4, argument_5, argument_6,
                                                   argument_7, argument_8);
  }
}

void FILTER_TYPE::filter_name_get(FM_FILE_IDENTIFIER_TYPE* identifier, char* name) {
  // Both scratch buffers start empty, so a name getter that writes nothing
  // still leaves a terminated text for the next call.
  char file_name[MOVARA_TEXT_CAPACITY] = {};
  char once_removed[MOVARA_TEXT_CAPACITY] = {};
  (void)fmi_file_identifier_name_get_f(identifier, file_name, MOVARA_TEXT_CAPACITY);
  fme_file_extension_remove(file_name, once_removed, MOVARA_TEXT_CAPACITY);
  fme_file_extension_remove(once_removed, name, MOVARA_TEXT_CAPACITY);
}

DT_DATA_HEADER_TYPE** FILTER_TYPE::filter_data_record_add_f(DT_DATA_HEADER_TYPE** list) {
  return fdt_filter_data_add_f(list, format_id_get_f(), 0, filter_data_size_get_f(), 0);
}

DT_DATA_HEADER_TYPE** FILTER_TYPE::filter_data_record_get_f(DT_DATA_HEADER_TYPE** list) {
  DT_DATA_HEADER_TYPE** const record = fdt_filter_data_get_f(list, format_id_get_f(), 0);
  if (record == nullptr) {
    return filter_data_record_add_f(list);
  }
  return record;
}

MOVARA_LONG_TYPE FILTER_TYPE::filter_register_f(FM_FILE_IDENTIFIER_TYPE* identifier) {
  char name[MOVARA_TEXT_CAPACITY] = {};
  filter_name_get(identifier, name);
  flt_filter_format_register_external_e(filter_kind_get_f(), format_id_get_f(), name, identifier,
                                        bitmap_id_get_f(), register_parameter_get_f());
  (void)ffr_file_format_add_f(format_id_get_f(), name);
  char extension[MOVARA_TEXT_CAPACITY] = {};
  format_extension_get(extension);
  if (extension[0] != '\0') {
    (void)ffr_file_format_extension_set_f(format_id_get_f(), extension);
  }
  return ANSWER_HANDLED;
}
