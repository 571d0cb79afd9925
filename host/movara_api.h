// The Movara host application interface: the records and the 73 functions
// that the Movara executable exports and every plug-in imports.
//
// Declarations only. The functions have C++ linkage on purpose: Movara's link
// names carry the parameter types, so each declaration below uses exactly the
// types Movara exports (`char*`, not `const char*`; `short`; `unsigned char`;
// `float`; `void*`; Movara's 32-bit `long`). Changing a parameter type changes
// the link name and the plug-in no longer loads.
//
// Conventions shared by every call:
// - A name ending in `_f` returns a value the caller may read. Results of the
//   `_e` functions and of `fm_file_read_f` / `fm_file_write_f` are not read by
//   the plug-ins; failure shows in Movara's single global error state
//   (`em_error_occurred_f`).
// - Failure values that are read: -1 for an animation (`anm_animation_create_f`)
//   and for a joint id, null for other pointers, zero for `unsigned char` flags.
// - Animations, figures, skeletons and part objects are untyped handles. The
//   skeleton that `fig_figure_get_skel` returns also goes, unchanged, where a
//   `DT_DATA_DIRECTORY_TYPE**` is declared (`sk_`, `skj_`, `hms_`).
// - Text that Movara writes goes into 256-byte buffers; 256 is passed where a
//   bound is taken.
// - Frames are 0-based; frame -1 names no frame and reads a channel's base value.
#ifndef HOST_MOVARA_API_H
#define HOST_MOVARA_API_H

#include <cstdint>

// ---------------------------------------------------------------------------
// Platform macros: one calling convention, one export, one import.

#if defined(_WIN32)
#define MOVARA_CALL __cdecl
#define PLUGIN_EXPORT __declspec(dllexport)
#if defined(MOVARA_HOST_BUILDING)
#define MOVARA_API __declspec(dllexport)
#else
#define MOVARA_API __declspec(dllimport)
#endif
#else
// The platform's default convention already lets the caller remove the arguments.
#define MOVARA_CALL
#define PLUGIN_EXPORT __attribute__((visibility("default")))
#define MOVARA_API __attribute__((visibility("default")))
#endif

// ---------------------------------------------------------------------------
// Movara's `long`: always a signed 32-bit integer. On 32-bit Windows that is
// the C++ `long` itself (and must stay `long`, because it is part of the link
// names); where the C++ `long` is 64 bits wide it is `std::int32_t`.

#if defined(_WIN32)
typedef long MOVARA_LONG_TYPE;
#else
typedef std::int32_t MOVARA_LONG_TYPE;
#endif
static_assert(sizeof(MOVARA_LONG_TYPE) == 4, "Movara's long is 32 bits wide");
static_assert(sizeof(short) == 2, "Movara's short is 16 bits wide");
static_assert(sizeof(float) == 4, "Movara's float is IEEE single precision");

// Four-character codes: the first character lands in the most significant byte,
// so fourcc_f("CBIN") == 0x4342494E.
constexpr MOVARA_LONG_TYPE fourcc_f(const char (&code)[5]) {
  return static_cast<MOVARA_LONG_TYPE>(
      (static_cast<std::uint32_t>(static_cast<unsigned char>(code[0])) << 24) |
      (static_cast<std::uint32_t>(static_cast<unsigned char>(code[1])) << 16) |
      (static_cast<std::uint32_t>(static_cast<unsigned char>(code[2])) << 8) |
      static_cast<std::uint32_t>(static_cast<unsigned char>(code[3])));
}
static_assert(fourcc_f("CBIN") == 0x4342494E, "most significant byte first");

// ---------------------------------------------------------------------------
// Records that cross the boundary. Their sizes are part of the interface:
// plug-ins declare identifier copies and quaternions on their own stacks.

// Capacity of the name text at the start of a file identifier, NUL included.
constexpr int FM_FILE_NAME_CAPACITY = 256;
// Capacity of the folder text that follows the name, NUL included.
constexpr int FM_FOLDER_NAME_CAPACITY = 1024;

// A file identifier. It begins with the file's NUL-terminated name, so Movara
// and the plug-ins may pass the record itself where a `char*` name is wanted
// (the status window's job object). The folder follows; an empty folder means
// the current directory.
struct FM_FILE_IDENTIFIER_TYPE {
  char name[FM_FILE_NAME_CAPACITY];
  char folder[FM_FOLDER_NAME_CAPACITY];
};
static_assert(sizeof(FM_FILE_IDENTIFIER_TYPE) == 1280, "identifier layout");

// A record of a filter-data list. A record handle is `DT_DATA_HEADER_TYPE**`:
// one indirection gives the record, whose `size` payload bytes follow the
// header directly. A list handle has the same shape; its header's tag is 0.
struct DT_DATA_HEADER_TYPE {
  MOVARA_LONG_TYPE tag;    // the record's 32-bit code, e.g. 'SQO1'
  MOVARA_LONG_TYPE index;  // index under that code, counted from 0
  MOVARA_LONG_TYPE size;   // payload bytes that follow this header
  MOVARA_LONG_TYPE flags;  // reserved by Movara
};
static_assert(sizeof(DT_DATA_HEADER_TYPE) == 16, "data header layout");

// The head of one of Movara's data directories. Skeletons are reached through
// `DT_DATA_DIRECTORY_TYPE**`; plug-ins never look inside.
struct DT_DATA_DIRECTORY_TYPE {
  MOVARA_LONG_TYPE kind;   // Movara's code for what the directory holds
  MOVARA_LONG_TYPE count;  // entries in the directory
};
static_assert(sizeof(DT_DATA_DIRECTORY_TYPE) == 8, "data directory layout");

// Capacity of a path text, NUL included.
constexpr int FP_FILE_PATH_CAPACITY = 1024;

// A path name, handled as `FP_FILE_PATH_TYPE**`.
struct FP_FILE_PATH_TYPE {
  char text[FP_FILE_PATH_CAPACITY];
};
static_assert(sizeof(FP_FILE_PATH_TYPE) == 1024, "path layout");

// A rotation. Movara stores the scalar part first: w, then the vector x, y, z.
// Both plug-ins move the four floats as they stand and never reorder them.
struct quaternion {
  float w;
  float x;
  float y;
  float z;
};
static_assert(sizeof(quaternion) == 16, "quaternion layout");

// A point, offset or angle triple.
struct coord3 {
  float x;
  float y;
  float z;
};
static_assert(sizeof(coord3) == 12, "coord3 layout");

// ---------------------------------------------------------------------------
// The plug-in's side of the boundary: the three exports Movara calls, and the
// callback Movara hands over with 'CBIN'. Selector and answer are 32-bit; the
// eight arguments are untyped and pointer-sized.

typedef MOVARA_LONG_TYPE(MOVARA_CALL* PLUGIN_ENTRY_TYPE)(MOVARA_LONG_TYPE selector, void* argument_1,
                                                          void* argument_2, void* argument_3,
                                                          void* argument_4, void* argument_5,
                                                          void* argument_6, void* argument_7,
                                                          void* argument_8);

typedef MOVARA_LONG_TYPE(MOVARA_CALL* LIBRARY_CALLBACK_TYPE)(void* user_data, char* text,
                                                              MOVARA_LONG_TYPE value);

// Filter messages and their answers.
constexpr MOVARA_LONG_TYPE MSG_REQUEST_1 = 1;
constexpr MOVARA_LONG_TYPE MSG_REQUEST_2 = 2;
constexpr MOVARA_LONG_TYPE MSG_REQUEST_4 = 4;
constexpr MOVARA_LONG_TYPE MSG_REQUEST_5 = 5;
constexpr MOVARA_LONG_TYPE MSG_EXPORT = 6;
constexpr MOVARA_LONG_TYPE MSG_FORMAT_CHECK = 1234;
constexpr MOVARA_LONG_TYPE MSG_FREG = fourcc_f("FREG");
constexpr MOVARA_LONG_TYPE MSG_IMPA = fourcc_f("IMPA");
constexpr MOVARA_LONG_TYPE MSG_CBIN = fourcc_f("CBIN");
constexpr MOVARA_LONG_TYPE MSG_LIBR = fourcc_f("LIBR");
constexpr MOVARA_LONG_TYPE MSG_LIBS = fourcc_f("LIBS");
constexpr MOVARA_LONG_TYPE MSG_LIBD = fourcc_f("LIBD");

constexpr MOVARA_LONG_TYPE ANSWER_HANDLED = 0;
constexpr MOVARA_LONG_TYPE ANSWER_TRUE = 1;
constexpr MOVARA_LONG_TYPE ANSWER_NOT_OF_FORMAT = 2;
constexpr MOVARA_LONG_TYPE ANSWER_FAILED = 4;
constexpr MOVARA_LONG_TYPE ANSWER_NOT_HANDLED = 5;

// Codes and values shared by Movara and the filters.
constexpr MOVARA_LONG_TYPE FORMAT_ID_SEQ = fourcc_f(".seq");
constexpr MOVARA_LONG_TYPE FILE_TYPE_CMPS = fourcc_f("CMPS");
constexpr MOVARA_LONG_TYPE MODEL_CREATOR_MALE = fourcc_f("MALE");
constexpr MOVARA_LONG_TYPE CHANNEL_TRANSLATION_X = 1;
constexpr MOVARA_LONG_TYPE CHANNEL_TRANSLATION_Y = 2;
constexpr MOVARA_LONG_TYPE CHANNEL_TRANSLATION_Z = 3;
constexpr MOVARA_LONG_TYPE CHANNEL_HEADING = 1000000;
constexpr MOVARA_LONG_TYPE CHANNEL_FLOOR = 1000001;
constexpr short ANGLE_ORDER_YXZ = 12;
constexpr int MOVARA_TEXT_CAPACITY = 256;

// A file handle that names no open file.
constexpr MOVARA_LONG_TYPE FM_FILE_NONE = 0;

// ---------------------------------------------------------------------------
// The 73 functions Movara exports.

// fm_: files. Mode 1 opens for reading, 0 for writing. Positions: origin 0 is
// the start of the file, 1 the current position.
MOVARA_API MOVARA_LONG_TYPE MOVARA_CALL fm_file_create_e(FM_FILE_IDENTIFIER_TYPE* identifier);
MOVARA_API MOVARA_LONG_TYPE MOVARA_CALL fm_file_open_f(FM_FILE_IDENTIFIER_TYPE* identifier,
                                                       short mode);
MOVARA_API MOVARA_LONG_TYPE MOVARA_CALL fm_file_read_f(MOVARA_LONG_TYPE file, char* buffer,
                                                       MOVARA_LONG_TYPE count);
MOVARA_API MOVARA_LONG_TYPE MOVARA_CALL fm_file_write_f(MOVARA_LONG_TYPE file, char* data,
                                                        MOVARA_LONG_TYPE size);
MOVARA_API MOVARA_LONG_TYPE MOVARA_CALL fm_file_position_get_f(MOVARA_LONG_TYPE file);
MOVARA_API MOVARA_LONG_TYPE MOVARA_CALL fm_file_position_set_e(MOVARA_LONG_TYPE file,
                                                               MOVARA_LONG_TYPE offset, short mode);
MOVARA_API MOVARA_LONG_TYPE MOVARA_CALL fm_file_type_and_creator_set_e(
    FM_FILE_IDENTIFIER_TYPE* identifier, MOVARA_LONG_TYPE type, MOVARA_LONG_TYPE creator);
MOVARA_API void MOVARA_CALL fm_file_close(MOVARA_LONG_TYPE file);

// fmi_: file identifiers.
MOVARA_API unsigned char MOVARA_CALL fmi_file_identifier_name_get_f(
    FM_FILE_IDENTIFIER_TYPE* identifier, char* const buffer, MOVARA_LONG_TYPE size);
MOVARA_API short MOVARA_CALL fmi_file_identifier_name_set_f(FM_FILE_IDENTIFIER_TYPE* identifier,
                                                            char* const name);
MOVARA_API void MOVARA_CALL fmi_file_identifier_copy_e(FM_FILE_IDENTIFIER_TYPE* source,
                                                       FM_FILE_IDENTIFIER_TYPE* destination);

// fme_: file name extensions (the text after the last point, without it).
MOVARA_API void MOVARA_CALL fme_file_extension_remove(char* name, char* result, short size);
MOVARA_API unsigned char MOVARA_CALL fme_file_extension_get_f(char* name, char* extension);

// fp_: path names.
MOVARA_API void MOVARA_CALL fp_file_path_file_name_get(FP_FILE_PATH_TYPE** path,
                                                       char* const buffer, short size);

// ffr_: the format registry, keyed by 32-bit format id.
MOVARA_API unsigned char MOVARA_CALL ffr_file_format_add_f(MOVARA_LONG_TYPE format, char* name);
MOVARA_API unsigned char MOVARA_CALL ffr_file_format_extension_set_f(MOVARA_LONG_TYPE format,
                                                                     char* const extension);
MOVARA_API MOVARA_LONG_TYPE MOVARA_CALL ffr_file_format_get_f(FM_FILE_IDENTIFIER_TYPE* identifier);
MOVARA_API unsigned char MOVARA_CALL ffr_file_format_name_get_f(MOVARA_LONG_TYPE format,
                                                                char* buffer, short size);

// flt_: filter registration.
MOVARA_API void MOVARA_CALL flt_filter_format_register_external_e(
    MOVARA_LONG_TYPE kind, MOVARA_LONG_TYPE format, char* name, FM_FILE_IDENTIFIER_TYPE* identifier,
    short bitmap, short parameter);

// fdt_: records of a filter-data list, by 32-bit code and index.
MOVARA_API DT_DATA_HEADER_TYPE** MOVARA_CALL fdt_filter_data_add_f(DT_DATA_HEADER_TYPE** list,
                                                                   MOVARA_LONG_TYPE tag,
                                                                   MOVARA_LONG_TYPE index,
                                                                   MOVARA_LONG_TYPE size,
                                                                   MOVARA_LONG_TYPE flags);
MOVARA_API DT_DATA_HEADER_TYPE** MOVARA_CALL fdt_filter_data_get_f(DT_DATA_HEADER_TYPE** list,
                                                                   MOVARA_LONG_TYPE tag,
                                                                   MOVARA_LONG_TYPE index);

// efo_: the export frame range chosen in Movara's export options; both inclusive.
MOVARA_API MOVARA_LONG_TYPE MOVARA_CALL efo_export_file_options_start_frame_get_f(
    DT_DATA_HEADER_TYPE** list);
MOVARA_API MOVARA_LONG_TYPE MOVARA_CALL efo_export_file_options_end_frame_get_f(
    DT_DATA_HEADER_TYPE** list);

// stw_: the status window.
MOVARA_API MOVARA_LONG_TYPE MOVARA_CALL stw_status_initialize_e(char* title, unsigned char flag);
MOVARA_API MOVARA_LONG_TYPE MOVARA_CALL stw_status_job_type_name_set_e(char* name);
MOVARA_API MOVARA_LONG_TYPE MOVARA_CALL stw_status_job_object_name_set_e(char* name);
MOVARA_API MOVARA_LONG_TYPE MOVARA_CALL stw_status_range_change_e(MOVARA_LONG_TYPE low,
                                                                  MOVARA_LONG_TYPE high);
MOVARA_API MOVARA_LONG_TYPE MOVARA_CALL stw_status_progress_increment_e(MOVARA_LONG_TYPE steps);
MOVARA_API void MOVARA_CALL stw_status_end();

// em_: the global error state.
MOVARA_API unsigned char MOVARA_CALL em_error_occurred_f();
MOVARA_API void MOVARA_CALL em_error_reset();

// mm_: memory blocks, given back with mm_pointer_dispose before the taker returns.
MOVARA_API char* MOVARA_CALL mm_pointer_create(MOVARA_LONG_TYPE size);
MOVARA_API void MOVARA_CALL mm_pointer_dispose(char* block);

// st_: strings. st_nprintf_f formats like printf, bounded by size, with `%ld`
// meaning a Movara (32-bit) long.
MOVARA_API char* MOVARA_CALL st_str_copy_f(char* destination, char* source, short size);
MOVARA_API unsigned char MOVARA_CALL st_str_equal_f(char* first, char* second);
MOVARA_API short MOVARA_CALL st_str_length_get_f(char* text);
MOVARA_API char* MOVARA_CALL st_nprintf_f(char* buffer, short size, char* format, ...);

// anm_: animations. anm_animation_create_f answers (void*)-1 when it fails.
MOVARA_API void* MOVARA_CALL anm_animation_create_f();
MOVARA_API void MOVARA_CALL anm_animation_dispose(void* animation);
MOVARA_API void MOVARA_CALL anm_animation_frame_rate_set(void* animation, float rate);
MOVARA_API float MOVARA_CALL anm_animation_frame_rate_get_f(void* animation);
MOVARA_API void* MOVARA_CALL anm_animation_figure_add_f(void* animation, void* skeleton,
                                                        unsigned char flag);
MOVARA_API MOVARA_LONG_TYPE MOVARA_CALL anm_animation_figure_count_get_f(void* animation);
MOVARA_API void* MOVARA_CALL anm_animation_figure_get_by_index_f(void* animation,
                                                                 MOVARA_LONG_TYPE index);
MOVARA_API void* MOVARA_CALL anm_animations_skeleton_search_f(void* skeleton, void* animation);

// fig_: figures.
MOVARA_API void* MOVARA_CALL fig_figure_get_skel(void* figure);
MOVARA_API void MOVARA_CALL fig_figure_pin_to_floor_set(void* figure, unsigned char pinned);
MOVARA_API unsigned char MOVARA_CALL fig_figure_pin_to_floor_get_f(void* figure);
MOVARA_API void MOVARA_CALL fig_figure_joint_offset_get(void* figure, short joint, coord3* offset);

// fgf_: per-frame joint orientations and channel values.
MOVARA_API unsigned char MOVARA_CALL fgf_frame_joint_orientation_key_f(void* figure,
                                                                       MOVARA_LONG_TYPE frame,
                                                                       short joint,
                                                                       unsigned char flag);
MOVARA_API void MOVARA_CALL fgf_frame_joint_orientation_get(void* figure, MOVARA_LONG_TYPE frame,
                                                            short joint, quaternion* q,
                                                            unsigned char flag);
MOVARA_API void MOVARA_CALL fgf_frame_joint_orientation_set(void* figure, MOVARA_LONG_TYPE frame,
                                                            short joint, quaternion* q);
MOVARA_API unsigned char MOVARA_CALL fgf_frame_value_key_f(void* figure, MOVARA_LONG_TYPE frame,
                                                           MOVARA_LONG_TYPE channel);
MOVARA_API float MOVARA_CALL fgf_frame_value_get_f(void* figure, MOVARA_LONG_TYPE frame,
                                                   MOVARA_LONG_TYPE channel);
MOVARA_API MOVARA_LONG_TYPE MOVARA_CALL fgf_frame_value_set_f(void* figure, MOVARA_LONG_TYPE frame,
                                                              MOVARA_LONG_TYPE channel,
                                                              float value);

// skl_: skeletons and their joints. Joint ids count from 0; -1 is no joint.
MOVARA_API void* MOVARA_CALL skl_skeleton_skel_create_f(char* name);
MOVARA_API short MOVARA_CALL skl_skeleton_joint_create_f(void* skeleton, char* name);
MOVARA_API unsigned char MOVARA_CALL skl_skeleton_part_object_attach_f(void* skeleton, short joint,
                                                                       void* object);
MOVARA_API unsigned char MOVARA_CALL skl_skeleton_skel_completed_f(void* skeleton, char* text);
MOVARA_API void MOVARA_CALL skl_skeleton_dispose(void* skeleton);
MOVARA_API short MOVARA_CALL skl_skeleton_joint_id_get_f(void* skeleton, char* name);
MOVARA_API short MOVARA_CALL skl_skeleton_joint_count_get_f(void* skeleton);
MOVARA_API short MOVARA_CALL skl_skeleton_root_id_get_f(void* skeleton);

// sk_, skj_, hms_: skeleton data reached through the skeleton's directory.
MOVARA_API FP_FILE_PATH_TYPE** MOVARA_CALL sk_skeleton_model_file_path_get_f(
    DT_DATA_DIRECTORY_TYPE** skeleton);
MOVARA_API MOVARA_LONG_TYPE MOVARA_CALL sk_skeleton_model_creator_get_f(
    DT_DATA_DIRECTORY_TYPE** skeleton);
MOVARA_API MOVARA_LONG_TYPE MOVARA_CALL skj_joint_internal_name_get_e(
    DT_DATA_DIRECTORY_TYPE** skeleton, short joint, char* buffer);
MOVARA_API MOVARA_LONG_TYPE MOVARA_CALL skj_joint_name_get_e(DT_DATA_DIRECTORY_TYPE** skeleton,
                                                             short joint, char* buffer);
MOVARA_API unsigned char MOVARA_CALL hms_human_skeleton_check_f(DT_DATA_DIRECTORY_TYPE** skeleton);

// pob_: part objects (the geometry attached to joints).
MOVARA_API void* MOVARA_CALL pob_part_object_obj_create_f(short kind);
MOVARA_API unsigned char MOVARA_CALL pob_part_object_cube_add(void* object, float width,
                                                              float height, float depth,
                                                              MOVARA_LONG_TYPE flags);

// qt_: quaternion maths. Angle-order code 12 (ANGLE_ORDER_YXZ) turns about y,
// then x, then z; qt_to_angles_yxz is its inverse.
MOVARA_API void MOVARA_CALL qt_normalize(quaternion* q);
MOVARA_API void MOVARA_CALL qt_to_angles_yxz(coord3* angles, quaternion* q);
MOVARA_API void MOVARA_CALL qt_angles_to_quat(quaternion* q, coord3* angles, short order);

#endif  // HOST_MOVARA_API_H
