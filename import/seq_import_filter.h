// SEQ_IMPORT_FILTER_TYPE: Vestan's concrete filter and the class of its
// library object. It supplies the values with which the inherited operations
// register the SEQ format for import and recognise SEQ files, and answers
// 'IMPA' by importing one SEQ file into a new animation.
#ifndef IMPORT_SEQ_IMPORT_FILTER_H
#define IMPORT_SEQ_IMPORT_FILTER_H

#include "import_filter.h"

// Movara's filter kind of an import filter.
constexpr MOVARA_LONG_TYPE SEQ_IMPORT_FILTER_KIND = 4;
// Size of the filter's record in a filter-data list.
constexpr MOVARA_LONG_TYPE SEQ_IMPORT_FILTER_DATA_SIZE = 32;

class SEQ_IMPORT_FILTER_TYPE : public IMPORT_FILTER_TYPE {
 public:
  // At this level:
  //   'IMPA'  argument 2: identifier of the file to import
  //           (FM_FILE_IDENTIFIER_TYPE*, not null), read only; argument 3:
  //           where the new animation handle is stored (void**, Movara's;
  //           may be null); arguments 1, 4 and 5 are passed on unread.
  //           Answers animation_import_f's answer:
  //             0  imported: the animation was stored through argument 3 and
  //                is Movara's from now on (it is -1 when the reader gave up
  //                on the file without an error, e.g. a frame count of 0);
  //                with a null argument 3 it was disposed of instead;
  //             2  not a SEQ file (magic missing or wrong); Movara's error
  //                state is clear, nothing stored, no status window opened;
  //             4  failed; Movara's error state is set and left set, nothing
  //                stored, the new animation (if any) disposed of.
  //   any other selector goes to IMPORT_FILTER_TYPE unchanged.
  MOVARA_LONG_TYPE message_handle_f(MOVARA_LONG_TYPE selector, void* argument_1, void* argument_2,
                                    void* argument_3, void* argument_4, void* argument_5,
                                    void* argument_6, void* argument_7,
                                    void* argument_8) override;

  MOVARA_LONG_TYPE filter_kind_get_f() override;        // 4
  MOVARA_LONG_TYPE format_id_get_f() override;          // '.seq'
  short bitmap_id_get_f() override;                     // 0: Vestan carries no picture
  short register_parameter_get_f() override;            // 0
  void format_extension_get(char* buffer) override;     // "seq"
  MOVARA_LONG_TYPE filter_data_size_get_f() override;   // 32
  // True whatever the arguments.
  unsigned char request_1_answer_f(void* argument_1, void* argument_2, void* argument_3) override;
  unsigned char request_2_answer_f(void* argument_1, void* argument_2) override;
  unsigned char request_4_answer_f(void* argument_1, void* argument_2, void* argument_3,
                                   void* argument_4) override;

  // The import: opens the file, checks the magic, shows Movara's status
  // window while the SEQ reader builds the animation, closes both and hands
  // the animation over when Movara's error state is clear. Answers 0, 2 or
  // 4 as described for 'IMPA'. The file and the status window are closed on
  // every path that opened them.
  virtual MOVARA_LONG_TYPE animation_import_f(void* argument_1,
                                              FM_FILE_IDENTIFIER_TYPE* identifier,
                                              void** animation_out, void* argument_4,
                                              void* argument_5);

 protected:
  ~SEQ_IMPORT_FILTER_TYPE() override = default;
};

// A new library object from the plug-in's own heap, or null when that has no
// room (nothing is thrown). The caller disposes of it with object_dispose.
LIBRARY_OBJECT_TYPE* library_object_create_f();

#endif  // IMPORT_SEQ_IMPORT_FILTER_H
