// FILTER_TYPE: what every file-format filter of Movara has in common:
// registration with Movara ('FREG'), the filter's name, its filter-data record,
// and the answers to requests 1, 2 and 4. A concrete filter supplies the
// values (kind, format id, bitmap, registration parameter, extension, data
// size, the three answers); they are left abstract here so that no filter can
// register with values it did not choose.
#ifndef IMPORT_FILTER_H
#define IMPORT_FILTER_H

#include "library_object.h"

class FILTER_TYPE : public LIBRARY_OBJECT_TYPE {
 public:
  // At this level:
  //   'FREG'  argument 1: the file identifier of the plug-in's file
  //           (FM_FILE_IDENTIFIER_TYPE*, not null), read only. Registers the
  //           filter (filter_register_f) and answers what that answers: 0.
  //   1       arguments 1 to 3, passed to request_1_answer_f unread here
  //           (any may be null). Answers its truth value widened without
  //           sign: 1 for true, 0 for false.
  //   2       arguments 1 and 2, likewise to request_2_answer_f; 1 or 0.
  //   4       arguments 1 to 4, likewise to request_4_answer_f; 1 or 0.
  //   any other selector goes to LIBRARY_OBJECT_TYPE unchanged.
  // Nothing is handed over to Movara at this level.
  MOVARA_LONG_TYPE message_handle_f(MOVARA_LONG_TYPE selector, void* argument_1, void* argument_2,
                                    void* argument_3, void* argument_4, void* argument_5,
                                    void* argument_6, void* argument_7,
                                    void* argument_8) override;

  // Movara's filter kind for the registration.
  virtual MOVARA_LONG_TYPE filter_kind_get_f() = 0;
  // The 32-bit format id the filter handles.
  virtual MOVARA_LONG_TYPE format_id_get_f() = 0;
  // Resource id of the format's picture; 0 for none.
  virtual short bitmap_id_get_f() = 0;
  // The sixth value of the registration call.
  virtual short register_parameter_get_f() = 0;
  // The format's file extension without its point, into `buffer` of
  // MOVARA_TEXT_CAPACITY bytes; an empty text means the format has none.
  virtual void format_extension_get(char* buffer) = 0;
  // The filter's name: the identifier's file name with two extensions
  // removed, into `name` of MOVARA_TEXT_CAPACITY bytes.
  virtual void filter_name_get(FM_FILE_IDENTIFIER_TYPE* identifier, char* name);
  // Byte size of the filter's record in a filter-data list.
  virtual MOVARA_LONG_TYPE filter_data_size_get_f() = 0;
  // Adds the filter's record to a filter-data list; the record handle (owned
  // by the list), or null when Movara cannot add it.
  virtual DT_DATA_HEADER_TYPE** filter_data_record_add_f(DT_DATA_HEADER_TYPE** list);
  // The filter's record of a filter-data list, added when the list holds
  // none; the record handle (owned by the list), or null.
  virtual DT_DATA_HEADER_TYPE** filter_data_record_get_f(DT_DATA_HEADER_TYPE** list);
  // Registers the format with Movara under the filter's name and gives it the
  // extension unless that is empty. Examines no result of Movara: any failure
  // stays in Movara's error state. Answers 0.
  virtual MOVARA_LONG_TYPE filter_register_f(FM_FILE_IDENTIFIER_TYPE* identifier);
  // The answers to requests 1, 2 and 4 (what they mean lies in Movara).
  virtual unsigned char request_1_answer_f(void* argument_1, void* argument_2,
                                           void* argument_3) = 0;
  virtual unsigned char request_2_answer_f(void* argument_1, void* argument_2) = 0;
  virtual unsigned char request_4_answer_f(void* argument_1, void* argument_2, void* argument_3,
                                           void* argument_4) = 0;

 protected:
  ~FILTER_TYPE() override = default;
};

#endif  // IMPORT_FILTER_H
