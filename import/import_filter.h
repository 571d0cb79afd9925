// IMPORT_FILTER_TYPE: a filter that reads files of its format into Movara.
// It adds the format check that Movara asks for with request 1234.
#ifndef IMPORT_IMPORT_FILTER_H
#define IMPORT_IMPORT_FILTER_H

#include "filter.h"

class IMPORT_FILTER_TYPE : public FILTER_TYPE {
 public:
  // At this level:
  //   1234  argument 1: the identifier of the file to classify
  //         (FM_FILE_IDENTIFIER_TYPE*), read only; argument 2: a signed 32-bit
  //         integer owned by Movara that receives file_format_check_f's
  //         result, the format id or 0. A null argument 2 receives nothing.
  //         Answers 0 in every case: a file of another format is told by the
  //         result, not by the answer.
  //   any other selector goes to FILTER_TYPE unchanged.
  MOVARA_LONG_TYPE message_handle_f(MOVARA_LONG_TYPE selector, void* argument_1, void* argument_2,
                                    void* argument_3, void* argument_4, void* argument_5,
                                    void* argument_6, void* argument_7,
                                    void* argument_8) override;

  // format_id_get_f() when Movara's own classification of the file
  // (ffr_file_format_get_f) is this filter's format, otherwise 0.
  virtual MOVARA_LONG_TYPE file_format_check_f(FM_FILE_IDENTIFIER_TYPE* identifier);

 protected:
  ~IMPORT_FILTER_TYPE() override = default;
};

#endif  // IMPORT_IMPORT_FILTER_H
