#include "orlune_filter.h"

#include <cstdint>
#include <limits>

#include "orlune_resource_ids.h"
#include "plugin_frame.h"
#include "seq_writer.h"

namespace {

constexpr unsigned char STATUS_WINDOW_FLAG = 1;
constexpr std::int64_t MOVARA_LONG_HIGHEST = std::numeric_limits<MOVARA_LONG_TYPE>::max();

// Ends a text that Movara wrote into one of Orlune's 256-byte buffers.
void text_terminate(char* buffer) { buffer[MOVARA_TEXT_CAPACITY - 1] = '\0'; }

// Steps of the whole export: one per Movara frame of the range and figure, as
// the writer advances them, kept within what the status window takes.
MOVARA_LONG_TYPE progress_range_get_f(MOVARA_LONG_TYPE start_frame, MOVARA_LONG_TYPE end_frame,
                                      MOVARA_LONG_TYPE figure_count) {
  const std::int64_t frames =
      static_cast<std::int64_t>(end_frame) - static_cast<std::int64_t>(start_frame) + 1;
  if (frames <= 0 || figure_count <= 0) {
    return 0;
  }
  // frames < 2^33 and figure_count < 2^31: the product fits in 64 bits.
  const std::int64_t steps = frames * figure_count;
  return static_cast<MOVARA_LONG_TYPE>(steps > MOVARA_LONG_HIGHEST ? MOVARA_LONG_HIGHEST : steps);
}

// The name of figure `figure_index`'s file when an animation has several:
// "<base>_<index>.<extension>", always from the destination's own name so
// that suffixes never accumulate. A name without extension gets "seq".
void figure_file_name_get(FM_FILE_IDENTIFIER_TYPE* destination, MOVARA_LONG_TYPE figure_index,
                          char* name) {
  char base[MOVARA_TEXT_CAPACITY] = "";
  char extension[MOVARA_TEXT_CAPACITY] = "";
  name[0] = '\0';
  (void)fmi_file_identifier_name_get_f(destination, name, MOVARA_TEXT_CAPACITY);
  text_terminate(name);
  fme_file_extension_remove(name, base, MOVARA_TEXT_CAPACITY);
  text_terminate(base);
  // The extension comes out of a name shorter than the buffer, so it fits.
  (void)fme_file_extension_get_f(name, extension);
  text_terminate(extension);
  if (extension[0] == '\0') {
    char format_extension[] = "seq";
    (void)st_str_copy_f(extension, format_extension, MOVARA_TEXT_CAPACITY);
  }
  char name_format[] = "%s_%ld.%s";
  (void)st_nprintf_f(name, MOVARA_TEXT_CAPACITY, name_format, base, figure_index, extension);
  text_terminate(name);
}

}  // namespace

DT_DATA_HEADER_TYPE** orlune_options_record_get_f(DT_DATA_HEADER_TYPE** list) {
  if (list == nullptr) {
    return nullptr;
  }
  DT_DATA_HEADER_TYPE** record =
      fdt_filter_data_get_f(list, ORLUNE_OPTIONS_TAG, ORLUNE_OPTIONS_INDEX);
  if (record == nullptr) {
    record = fdt_filter_data_add_f(list, ORLUNE_OPTIONS_TAG, ORLUNE_OPTIONS_INDEX,
                                   ORLUNE_OPTIONS_SIZE, 0);
  }
  return record;
}

void orlune_format_register(FM_FILE_IDENTIFIER_TYPE* identifier) {
  if (identifier == nullptr) {
    return;
  }
  char name[MOVARA_TEXT_CAPACITY] = "";
  char scratch[MOVARA_TEXT_CAPACITY] = "";
  (void)fmi_file_identifier_name_get_f(identifier, name, MOVARA_TEXT_CAPACITY);
  text_terminate(name);
  // The format's name is the file name with its extension removed twice.
  fme_file_extension_remove(name, scratch, MOVARA_TEXT_CAPACITY);
  text_terminate(scratch);
  fme_file_extension_remove(scratch, name, MOVARA_TEXT_CAPACITY);
  text_terminate(name);
  flt_filter_format_register_external_e(ORLUNE_FILTER_KIND, FORMAT_ID_SEQ, name, identifier,
                                        static_cast<short>(ORLUNE_FORMAT_BITMAP_ID),
                                        ORLUNE_REGISTER_PARAMETER);
  (void)ffr_file_format_add_f(FORMAT_ID_SEQ, name);
  char extension[] = "seq";
  (void)ffr_file_format_extension_set_f(FORMAT_ID_SEQ, extension);
}

MOVARA_LONG_TYPE orlune_animation_export_f(DT_DATA_HEADER_TYPE** list, void* animation,
                                           FM_FILE_IDENTIFIER_TYPE* destination) {
  if (destination == nullptr || animation == nullptr ||
      orlune_options_record_get_f(list) == nullptr) {
    return static_cast<MOVARA_LONG_TYPE>(em_error_occurred_f());
  }
  char title[] = "Export";
  (void)stw_status_initialize_e(title, STATUS_WINDOW_FLAG);
  char format_name[MOVARA_TEXT_CAPACITY] = "";
  (void)ffr_file_format_name_get_f(FORMAT_ID_SEQ, format_name, MOVARA_TEXT_CAPACITY);
  text_terminate(format_name);
  (void)stw_status_job_type_name_set_e(format_name);
  // The identifier record begins with the file's name, so it is the text.
  (void)stw_status_job_object_name_set_e(destination->name);
  const MOVARA_LONG_TYPE end_frame = efo_export_file_options_end_frame_get_f(list);
  const MOVARA_LONG_TYPE start_frame = efo_export_file_options_start_frame_get_f(list);
  seq_figures_export(destination, animation, start_frame, end_frame);
  stw_status_end();
  return static_cast<MOVARA_LONG_TYPE>(em_error_occurred_f());
}

void seq_figures_export(FM_FILE_IDENTIFIER_TYPE* destination, void* animation,
                        MOVARA_LONG_TYPE start_frame, MOVARA_LONG_TYPE end_frame) {
  const MOVARA_LONG_TYPE figure_count = anm_animation_figure_count_get_f(animation);
  (void)stw_status_range_change_e(0, progress_range_get_f(start_frame, end_frame, figure_count));
  for (MOVARA_LONG_TYPE figure_index = 0; figure_index < figure_count; ++figure_index) {
    FM_FILE_IDENTIFIER_TYPE figure_identifier = {};
    fmi_file_identifier_copy_e(destination, &figure_identifier);
    if (figure_count != 1) {
      char name[MOVARA_TEXT_CAPACITY];
      figure_file_name_get(destination, figure_index, name);
      (void)fmi_file_identifier_name_set_f(&figure_identifier, name);
    }
    void* figure = anm_animation_figure_get_by_index_f(animation, figure_index);
    seq_file_write(&figure_identifier, animation, start_frame, end_frame, figure);
    if (em_error_occurred_f() != 0) {
      return;
    }
  }
}

// One switch over the filter messages. Arguments that a case does not name
// are not read.
MOVARA_LONG_TYPE MOVARA_CALL library_user_function_f(MOVARA_LONG_TYPE selector, void* argument_1,
                                                     void* argument_2, void* argument_3,
                                                     void* /*argument_4*/, void* /*argument_5*/,
                                                     void* /*argument_6*/, void* /*argument_7*/,
                                                     void* /*argument_8*/) {
  switch (selector) {
    case MSG_REQUEST_1:
      // Argument 1: the filter-data list (may be null: nothing is looked up).
      // Makes sure the options record exists; answers 1 whatever the outcome.
      (void)orlune_options_record_get_f(static_cast<DT_DATA_HEADER_TYPE**>(argument_1));
      return ANSWER_TRUE;
    case MSG_REQUEST_4:
      // Argument 1: the filter-data list (may be null). As message 1, but
      // answers 0 whatever the outcome.
      (void)orlune_options_record_get_f(static_cast<DT_DATA_HEADER_TYPE**>(argument_1));
      return ANSWER_HANDLED;
    case MSG_REQUEST_5:
      // No arguments. Answers 0.
      return ANSWER_HANDLED;
    case MSG_EXPORT:
      // Argument 1: the filter-data list with the export options; argument 2:
      // the animation; argument 3: the destination file identifier. A null
      // argument exports nothing. Answers the error state at the end: 0 when
      // it is clear, the non-zero flag of em_error_occurred_f when it is set.
      return orlune_animation_export_f(static_cast<DT_DATA_HEADER_TYPE**>(argument_1), argument_2,
                                       static_cast<FM_FILE_IDENTIFIER_TYPE*>(argument_3));
    case MSG_FREG:
      // Argument 1: the file identifier of the plug-in (may be null: nothing
      // is registered). Registers the SEQ export format; answers 0.
      orlune_format_register(static_cast<FM_FILE_IDENTIFIER_TYPE*>(argument_1));
      return ANSWER_HANDLED;
    default:
      // Messages 2 and 3, 1234, 'IMPA', the library messages and every other
      // selector: not handled, so that the frame answers the library messages.
      return ANSWER_NOT_HANDLED;
  }
}
