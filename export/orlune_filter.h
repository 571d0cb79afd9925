// Orlune, the SEQ export filter: its answers to Movara's filter messages, its
// options record, the registration of the SEQ export format and the export of
// every figure of an animation to a SEQ file of its own.
//
// Orlune keeps no state between messages; the options record lives in
// Movara's filter-data list. It never sets or resets Movara's error state.
#ifndef EXPORT_ORLUNE_FILTER_H
#define EXPORT_ORLUNE_FILTER_H

#include "movara_api.h"

// Tag and size of Orlune's options record. Orlune only makes sure the record
// exists; no export setting is kept in its bytes.
constexpr MOVARA_LONG_TYPE ORLUNE_OPTIONS_TAG = fourcc_f("SQO1");
constexpr MOVARA_LONG_TYPE ORLUNE_OPTIONS_INDEX = 0;
constexpr MOVARA_LONG_TYPE ORLUNE_OPTIONS_SIZE = 54;
// Filter kind of an export filter, and the last registration value.
constexpr MOVARA_LONG_TYPE ORLUNE_FILTER_KIND = 1;
constexpr short ORLUNE_REGISTER_PARAMETER = 0;

// The options record of `list`: looked up under ('SQO1', 0) and, when the list
// holds none, added with 54 zero bytes. Answers the record, or null when the
// list is null or the record can be neither found nor added.
DT_DATA_HEADER_TYPE** orlune_options_record_get_f(DT_DATA_HEADER_TYPE** list);

// Registers the SEQ export format under the name of `identifier`'s file with
// two extensions removed, with filter kind 1 and bitmap 2703, and gives the
// format the extension "seq". Tests no result of Movara. A null identifier
// registers nothing.
void orlune_format_register(FM_FILE_IDENTIFIER_TYPE* identifier);

// Message 6: makes sure the options record exists, shows the status window
// "Export" while every figure of `animation` is written over the export range
// of `list`, and answers the error state at the end (0 when it is clear).
// Without an options record, a destination or an animation nothing is opened
// or written and the error state is answered at once.
MOVARA_LONG_TYPE orlune_animation_export_f(DT_DATA_HEADER_TYPE** list, void* animation,
                                           FM_FILE_IDENTIFIER_TYPE* destination);

// Writes each figure of `animation`, over the same inclusive range of Movara
// frames, to a file of its own: a single figure under the destination's own
// name, several under "<base>_<index>.<extension>" with the index counted from
// 0 ("seq" when the destination's name has no extension). Sets the status
// window's range to the steps the writer makes, (end_frame - start_frame + 1)
// per figure, and stops after the first figure that leaves the error state
// set; later figures are not written.
void seq_figures_export(FM_FILE_IDENTIFIER_TYPE* destination, void* animation,
                        MOVARA_LONG_TYPE start_frame, MOVARA_LONG_TYPE end_frame);

#endif  // EXPORT_ORLUNE_FILTER_H
