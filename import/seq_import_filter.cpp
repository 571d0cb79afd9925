#include "seq_import_filter.h"

#include <new>

#include "seq_format.h"
#include "seq_reader.h"

namespace {

// Texts Movara receives as `char*`; Movara only reads them.
char seq_import_title_text[] = "Import Animation";
char seq_extension_text[] = "seq";

}  // namespace

MOVARA_LONG_TYPE SEQ_IMPORT_FILTER_TYPE::message_handle_f(MOVARA_LONG_TYPE selector,
                                                          void* argument_1, void* argument_2,
                                                          void* argument_3, void* argument_4,
                                                          void* argument_5, void* argument_6,
                                                          void* argument_7, void* argument_8) {
  if (selector == MSG_IMPA) {
    return animation_import_f(argument_1, static_cast<FM_FILE_IDENTIFIER_TYPE*>(argument_2),
                              static_cast<void**>(argument_3), argument_4, argument_5);
  }
  return IMPORT_FILTER_TYPE::message_handle_f(selector, argument_1, argument_2, argument_3,
                                              argument_4, argument_5, argument_6, argument_7,
                                              argument_8);
}

MOVARA_LONG_TYPE SEQ_IMPORT_FILTER_TYPE::filter_kind_get_f() { return SEQ_IMPORT_FILTER_KIND; }

MOVARA_LONG_TYPE SEQ_IMPORT_FILTER_TYPE::format_id_get_f() { return FORMAT_ID_SEQ; }

short SEQ_IMPORT_FILTER_TYPE::bitmap_id_get_f() { return 0; }

short SEQ_IMPORT_FILTER_TYPE::register_parameter_get_f() { return 0; }

void SEQ_IMPORT_FILTER_TYPE::format_extension_get(char* buffer) {
  (void)st_str_copy_f(buffer, seq_extension_text, MOVARA_TEXT_CAPACITY);
}

MOVARA_LONG_TYPE SEQ_IMPORT_FILTER_TYPE::filter_data_size_get_f() {
  return SEQ_IMPORT_FILTER_DATA_SIZE;
}

unsigned char SEQ_IMPORT_FILTER_TYPE::request_1_answer_f(void* /*argument_1*/,
                                                         void* /*argument_2*/,
                                                         void* /*argument_3*/) {
  return 1;
}

unsigned char SEQ_IMPORT_FILTER_TYPE::request_2_answer_f(void* /*argument_1*/,
                                                         void* /*argument_2*/) {
  return 1;
}

unsigned char SEQ_IMPORT_FILTER_TYPE::request_4_answer_f(void* /*argument_1*/,
                                                         void* /*argument_2*/,
                                                         void* /*argument_3*/,
                                                         void* /*argument_4*/) {
  return 1;
}

MOVARA_LONG_TYPE SEQ_IMPORT_FILTER_TYPE::animation_import_f(void* /*argument_1*/,
                                                            FM_FILE_IDENTIFIER_TYPE* identifier,
                                                            void** animation_out,
                                                            void* /*argument_4*/,
                                                            void* /*argument_5*/) {
  const MOVARA_LONG_TYPE file = fm_file_open_f(identifier, 1);
  if (em_error_occurred_f() != 0) {
    // The open failed, or an error was pending from before the request; a
    // file that did open is not left open either way.
    if (file != FM_FILE_NONE) {
      fm_file_close(file);
    }
    return ANSWER_FAILED;
  }
  const std::uint32_t magic = seq_u32_read_f(file);
  if (em_error_occurred_f() != 0) {
    // Fewer than four bytes: not a SEQ file rather than a failed import.
    fm_file_close(file);
    em_error_reset();
    return ANSWER_NOT_OF_FORMAT;
  }
  if (!seq_magic_check_f(magic)) {
    fm_file_close(file);
    return ANSWER_NOT_OF_FORMAT;
  }

  (void)stw_status_initialize_e(seq_import_title_text, 1);
  char format_name[MOVARA_TEXT_CAPACITY] = {};
  (void)ffr_file_format_name_get_f(format_id_get_f(), format_name, MOVARA_TEXT_CAPACITY);
  (void)stw_status_job_type_name_set_e(format_name);
  // The identifier begins with the file's name, which is the job's object.
  (void)stw_status_job_object_name_set_e(identifier->name);
  void* const animation = seq_file_read(file);
  stw_status_end();
  fm_file_close(file);

  const bool imported = em_error_occurred_f() == 0;
  if (!imported || animation_out == nullptr) {
    // An animation that is not handed to Movara would be lost: an error
    // arose after the reader last looked (in the root tracks or at the
    // close), or Movara gave no place for it.
    if (animation != seq_animation_none_get_f()) {
      anm_animation_dispose(animation);
    }
    return imported ? ANSWER_HANDLED : ANSWER_FAILED;
  }
  *animation_out = animation;
  return ANSWER_HANDLED;
}

LIBRARY_OBJECT_TYPE* library_object_create_f() {
  return new (std::nothrow) SEQ_IMPORT_FILTER_TYPE();
}
