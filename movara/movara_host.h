// The stand-in Movara: the application core that implements the 73 functions of
// host/movara_api.h over an in-memory animation model and real files, plus the
// control surface (prefix `mvh_`) that Movara's own user interface would be:
// building animations, loading plug-ins, looking at what a plug-in did, and
// fault injection. Tests, the `movara` command-line host and the benchmarks
// all run on it. Plug-ins never include this header.
//
// Everything here runs on one thread, like Movara's plug-in calls.
//
// ============================================================================
// Semantics of the 73 functions (what the plug-ins may rely on)
// ============================================================================
// (The implementation's comments refine these; this list is the contract.)
//
// Error state. One global flag plus a message for people, e.g.
//   "file walk.seq ended after 14 of 20 bytes". Set by: mm_pointer_create when
//   it cannot allocate; fm_file_read_f when it cannot deliver every byte asked
//   for; fm_file_open_f, fm_file_create_e, fm_file_write_f,
//   fm_file_position_set_e on failure; every function that fails through fault
//   injection; setting a key at a negative frame; a handle that is not live
//   where an animation, figure, skeleton, part object, file or filter-data
//   list is wanted ("fig_figure_get_skel: 0x1234 is not a figure"; also
//   counted in mvh_handle_misuse_count_get_f). The first message stays until
//   em_error_reset (later errors do not overwrite it). Messages name the file
//   by the identifier's name: "file walk.seq ended after 14 of 20 bytes",
//   "cannot open walk.seq: No such file or directory", "cannot create ...".
//   Results of the `_e` functions: 0 done, -1 failed.
//
// Files. An FM_FILE_IDENTIFIER_TYPE is name + folder (empty folder: current
//   directory). fm_file_create_e creates or truncates the file (and leaves it
//   closed). fm_file_open_f mode 1 reads, mode 0 writes (an existing file,
//   truncated; a missing one is an error); any other mode is an error; handles
//   are the smallest free positive numbers, FM_FILE_NONE (0) on failure.
//   fm_file_read_f answers the bytes delivered and, when fewer than asked,
//   sets the error; fm_file_write_f answers the bytes written. Reading a file
//   opened for writing, writing one opened for reading, a negative count and
//   an unknown handle are errors. fm_file_position_set_e origin 0 absolute,
//   1 relative; a position before 0 (or past 2 GiB) is an error and leaves the
//   position; past the end is allowed (a read there is short).
//   fm_file_position_get_f answers -1 (error set) for an unknown handle. Type
//   and creator codes set by fm_file_type_and_creator_set_e are recorded per
//   path (mvh_file_type_get_f); the file must exist. fm_file_close on an
//   unknown handle does nothing.
//
// Identifiers and names. fmi_file_identifier_name_get_f copies the name,
//   bounded by size; it answers 0 when the name was cut. _name_set_f answers 0,
//   or -1 (identifier unchanged, no error) when the name does not fit in 255
//   characters. _copy_e copies the whole record. fme_: the extension is the
//   text after the last point ("a.b.seq" -> "seq"); without a point the whole
//   name is the base, the extension is "" and fme_file_extension_get_f answers
//   0 (it writes at most 255 characters). fp_file_path_file_name_get answers
//   the text after the last '/' or '\\' of the path; "" for a null path.
//
// Formats. ffr_file_format_add_f registers a format id with a name;
//   ffr_file_format_extension_set_f gives it an extension; ffr_file_format_get_f
//   classes an identifier by its extension (case-insensitive), 0 when no
//   registered format has it (no extension, an empty one, or an unknown one:
//   0). Adding a known id renames it; setting the extension of an unknown id
//   answers 0; a leading point of an extension is dropped.
//   ffr_file_format_name_get_f copies the format's name (empty, answer 0, for
//   an unknown id). Nothing is registered after mvh_reset. Registrations from
//   flt_filter_format_register_external_e are kept as records
//   (mvh_filter_registrations_get_f).
//
// Filter-data lists. Lists are made by mvh_filter_data_list_create_f. Records
//   are found by (tag, index); fdt_filter_data_add_f zero-fills `size` payload
//   bytes and answers the existing record when one with that tag and index is
//   already there (whatever size is asked); a negative size is an error.
//   The payload follows the 16-byte header and is aligned like malloc's.
//   fdt_filter_data_get_f answers null, without an error, when there is no
//   such record. The list's own header has tag 0 and `size` = record count.
//   efo_ reads the export range from the list's export-options record
//   (MVH_EXPORT_OPTIONS_TAG, written by mvh_export_options_set); without one,
//   the range is 0..0.
//
// Strings. st_str_copy_f copies at most size-1 characters and always NUL-
//   terminates. st_nprintf_f is bounded vsnprintf with `%ld`, `%li`, `%lu`,
//   `%lx`, `%lX`, `%lo` reading a 32-bit Movara long: the format is rewritten
//   to the int forms before the C library sees it (flags, width, precision,
//   `*` and `%%` are kept; `%lld` stays a long long); the result is cut to
//   size - 1 characters and NUL-terminated; size <= 0 writes nothing.
//   st_str_equal_f compares exactly (case matters); st_str_length_get_f
//   answers at most 32767.
//
// Animations. anm_animation_create_f answers (void*)-1 on failure; a new
//   animation runs at 30 frames per second with no figures; the frame rate is
//   stored as given (no check). anm_animation_dispose disposes of its figures;
//   a skeleton goes with the last figure that uses it unless it is in the
//   skeleton library; disposing of null or (void*)-1 does nothing.
//   anm_animation_figure_add_f(animation, null, flag) adds a figure on a new
//   copy of the stock male skeleton; with a skeleton, the figure uses it and
//   it stops being the caller's to dispose of (several figures may share
//   one). The skeleton must be completed: otherwise null, error set, and the
//   skeleton stays the caller's. anm_animation_figure_get_by_index_f answers
//   null (no error) for an index out of range. anm_animations_skeleton_search_f
//   answers a skeleton, other than the one given, held by Movara (in the
//   library, or used by a figure of any live animation) whose name and
//   ordinary joint names equal the given one's, in order; else null.
//
// The stock male skeleton: name "male", MODEL_CREATOR_MALE, no model file,
//   human, 19 joints with ordinary names ("Hip", "Abdomen", "Left Shin", ...)
//   and different internal names ("hip", "abdomen", "lShin", ...); root "Hip"
//   with offset (0, MVH_STOCK_MALE_HIP_HEIGHT, 0); completed; no part objects.
//   Joints in order: Hip, Abdomen, Chest, Neck, Head, Left Collar, Left
//   Shoulder, Left Forearm, Left Hand, the same four on the right, Left Thigh,
//   Left Shin, Left Foot, Right Thigh, Right Shin, Right Foot (internal: hip,
//   abdomen, chest, neck, head, lCollar, lShldr, lForeArm, lHand, rCollar,
//   rShldr, rForeArm, rHand, lThigh, lShin, lFoot, rThigh, rShin, rFoot).
//
// Skeletons. skl_skeleton_skel_create_f makes an empty, incomplete skeleton;
//   skl_skeleton_joint_create_f appends a joint whose internal name equals its
//   ordinary name (the first joint is the root). skl_skeleton_joint_id_get_f
//   matches the internal name first, then the ordinary name; -1 if neither.
//   skl_skeleton_part_object_attach_f fails (0, no error) when the joint
//   already has a part object. skl_skeleton_skel_completed_f fails (0, no
//   error) for a skeleton without joints. Built skeletons are not human, have
//   creator 0, no model file and joint offsets (0, 0, 0) unless set with mvh_.
//   A completed skeleton takes no more joints (-1, error). Attaching a part
//   object that is attached elsewhere is an error (0). Part objects are
//   Movara's: attached ones go with their skeleton, unattached ones stay until
//   mvh_reset. skl_skeleton_dispose of a skeleton that a figure uses or the
//   library holds does nothing but count a misuse (mvh_handle_misuse_count_get_f).
//   The root is joint 0; skl_skeleton_root_id_get_f answers -1 without joints.
//
// Keys. Per figure: an orientation track per joint and a value track per
//   channel (any channel id). Tracks hold sorted keys; a key set on a frame
//   that has one replaces it. Reading between keys interpolates (linear for
//   values, normalised linear for quaternions) and holds the first / last key
//   outside them; a track without keys reads the base value (orientation:
//   identity; channel: its base, 0 unless set). Frame -1 (and any negative
//   frame) reads the base value. A keyed frame reads its key exactly as set
//   (quaternions are stored unnormalised); the quaternion between keys takes
//   the shorter way round. Keys may sit at any frame 0 .. 2^31 - 1; memory
//   follows the number of keys, and a key appended in frame order costs
//   amortised constant time. A key at a negative frame, at a joint the
//   skeleton lacks or on channel 1000001 is refused with the error set.
//   Floor channel: the base value of channel 2 is the root joint's offset y
//   (the root's rest height above the floor) unless set with
//   mvh_figure_base_value_set. Channel 1000001 reads the figure's current
//   channel-2 value at that frame (and its key test is channel 2's); it holds
//   no keys of its own. Why: Movara's floor sits at height 0, so the
//   root's measured height above the floor is the vertical translation itself.
//   With these meanings the import's floor adjustment C + (v - (A - B)) gives
//   back C + v = root rest height + stored offset, which is the height the
//   exporter subtracted the reference from: an exported and re-imported stock
//   male keeps its root heights.
//
// Quaternions. w, x, y, z with w the scalar part. qt_angles_to_quat with
//   order 12 builds q = Ry(y) * Rx(x) * Rz(z), angles in degrees;
//   qt_to_angles_yxz inverts it, so angles (0, h, 0) give back h as y for
//   h in (-180, 180]. Other order codes build the same product (the stand-in
//   knows only 12) after recording the code (mvh_angle_order_last_get_f).
//   qt_to_angles_yxz normalises a copy first and answers x in [-90, 90];
//   where cos x = 0 it takes z = 0. qt_normalize leaves a zero (or
//   non-finite) quaternion as the identity (1, 0, 0, 0).
//
// Status window. One at a time; stw_status_initialize_e opens it (reopening an
//   open one is counted as an error in mvh_status_get_f().misuse_count), the
//   other stw_ calls record into it; stw_status_end closes it. Reopening
//   starts a fresh record. Calls while it is closed change nothing, answer -1
//   and are counted as misuse; none of this sets the error state.
//
// Memory. mm_pointer_create(size) answers a zero-filled block, null (error
//   set) for size <= 0 or when allocation fails; mm_pointer_dispose(null) does
//   nothing; disposing of a block Movara did not hand out (or twice) is
//   recorded as misuse and frees nothing. mvh_memory_limit_set makes larger
//   totals fail like a real shortage.
//
// Journal and faults: see their sections below. The journal costs one byte
//   per call; a fault counts calls from the moment it is armed, fires once,
//   and its call fails with "<function> failed (injected fault)" as message.
#ifndef MOVARA_MOVARA_HOST_H
#define MOVARA_MOVARA_HOST_H

#include <cstddef>
#include <string>
#include <vector>

#include "movara_api.h"

constexpr float MVH_STOCK_MALE_HIP_HEIGHT = 95.0f;

// ----------------------------------------------------------------------------
// The whole application state.

// Disposes of every animation, skeleton, list, registration, open file, status
// window and fault; clears the error state, the journal and every counter.
// Live memory blocks are counted but not freed (a test asserts the count);
// the peak restarts at the bytes still live and the memory limit goes. The
// journal's switches (mvh_journal_enable, mvh_journal_limit_set) are kept.
MOVARA_API void mvh_reset();

// ----------------------------------------------------------------------------
// Error state, for people.

// The message of the pending error; empty when the state is clear.
MOVARA_API std::string mvh_error_message_get_f();
// Sets the error state with a message (as Movara would on its own failures).
MOVARA_API void mvh_error_set(const std::string& message);

// ----------------------------------------------------------------------------
// The journal: the name of every one of the 73 functions called, in order.

MOVARA_API const std::vector<std::string>& mvh_journal_get_f();
MOVARA_API void mvh_journal_clear();
// Journal control, for long runs (benchmarks of 30,000 frames): the journal
// keeps one byte per call and at most a limit of entries (4 Mi by default);
// calls past the limit are counted as dropped. Per-function call counts are
// kept whether or not the journal is enabled or full, and cleared with it.
MOVARA_API void mvh_journal_enable(bool enabled);
MOVARA_API bool mvh_journal_enabled_f();
MOVARA_API void mvh_journal_limit_set(long long entries);
MOVARA_API long long mvh_journal_dropped_count_get_f();
// Calls of one of the 73 since the last mvh_journal_clear / mvh_reset.
MOVARA_API long long mvh_journal_call_count_get_f(const std::string& function);
// The names of the 73 functions, in the order of movara_api.h.
MOVARA_API const std::vector<std::string>& mvh_function_names_get_f();
// Whether a function is one of the fallible calls listed below.
MOVARA_API bool mvh_function_fallible_f(const std::string& function);

// ----------------------------------------------------------------------------
// Fault injection. A fallible call is one of: fm_file_create_e, fm_file_open_f,
// fm_file_read_f, fm_file_write_f, fm_file_position_set_e,
// fm_file_type_and_creator_set_e, mm_pointer_create, anm_animation_create_f,
// anm_animation_figure_add_f, skl_skeleton_skel_create_f,
// skl_skeleton_joint_create_f, skl_skeleton_part_object_attach_f,
// skl_skeleton_skel_completed_f, pob_part_object_obj_create_f,
// pob_part_object_cube_add, fdt_filter_data_add_f, fgf_frame_value_set_f,
// fgf_frame_joint_orientation_set, stw_status_initialize_e. Each fails the way
// Movara fails: the error state is set (unless the fault is silent) and the
// call answers its failure value (null, -1, 0, FM_FILE_NONE) without effect.

enum MVH_FAULT_MODE_TYPE {
  MVH_FAULT_WITH_ERROR = 0,  // failure value and error state set
  MVH_FAULT_SILENT = 1,      // failure value only, error state untouched
};

// Faults are one-shot: each fires on its n-th matching call and is then
// removed; several may be armed at once. Arming clears mvh_fault_fired_f. A
// fallible call counts whatever its arguments, before they are checked.
// Fail the n-th call (n >= 1, counted from this call) of the named function.
// A name that is not one of the fallible calls is armed but never fires.
MOVARA_API void mvh_fault_call_fail(const std::string& function, long n,
                                    MVH_FAULT_MODE_TYPE mode = MVH_FAULT_WITH_ERROR);
// Fail the n-th fallible call of any kind (n >= 1, counted from this call).
MOVARA_API void mvh_fault_any_fail(long n, MVH_FAULT_MODE_TYPE mode = MVH_FAULT_WITH_ERROR);
// Removes armed faults; counters of fallible calls restart from 0.
MOVARA_API void mvh_fault_clear();
// Fallible calls made since the last mvh_fault_clear / mvh_reset.
MOVARA_API long mvh_fault_fallible_call_count_get_f();
// Whether an armed fault has fired since it was armed.
MOVARA_API bool mvh_fault_fired_f();
// Faults fired since the last mvh_fault_clear / mvh_reset, and faults still armed.
MOVARA_API long mvh_fault_fired_count_get_f();
MOVARA_API long mvh_fault_armed_count_get_f();

// ----------------------------------------------------------------------------
// What is held: counters that tests assert to be back to zero.

MOVARA_API long mvh_open_file_count_get_f();
MOVARA_API long mvh_live_block_count_get_f();
MOVARA_API long long mvh_live_block_bytes_get_f();
MOVARA_API long long mvh_live_block_bytes_peak_get_f();  // since mvh_reset
MOVARA_API long mvh_block_misuse_count_get_f();           // bad or double disposes
MOVARA_API long mvh_animation_count_get_f();              // live animations
MOVARA_API long mvh_skeleton_count_get_f();               // every live skeleton
// Skeletons that nobody holds: not used by a figure and not in the library;
// each of these is still its creator's to dispose of.
MOVARA_API long mvh_skeleton_loose_count_get_f();
// Live part objects, and those attached to no joint (freed by mvh_reset).
MOVARA_API long mvh_part_object_count_get_f();
MOVARA_API long mvh_part_object_loose_count_get_f();
// Handles that were not live where one was wanted, and disposals of
// skeletons that are not the caller's (used by a figure or in the library).
MOVARA_API long mvh_handle_misuse_count_get_f();
// A ceiling on the bytes of live memory blocks (0: none); mm_pointer_create
// fails like a real shortage above it. mvh_reset removes it.
MOVARA_API void mvh_memory_limit_set(long long bytes);

// ----------------------------------------------------------------------------
// The status window.

struct MVH_STATUS_TYPE {
  bool open = false;
  long open_count = 0;    // how often it was opened since mvh_reset
  long misuse_count = 0;  // opened while open, ended while closed, calls while closed
  unsigned char flag = 0;
  std::string title;
  std::string job_type;
  std::string job_object;
  long range_low = 0;
  long range_high = 0;
  long progress = 0;      // sum of the increments since it was opened
  long increment_count = 0;
};
MOVARA_API const MVH_STATUS_TYPE& mvh_status_get_f();
// Called after every change of the status window (opening, each step, end);
// the command-line host draws its progress bar here. Null removes it.
typedef void (*MVH_STATUS_LISTENER_TYPE)(const MVH_STATUS_TYPE& status, void* user_data);
MOVARA_API void mvh_status_listener_set(MVH_STATUS_LISTENER_TYPE listener, void* user_data);

// ----------------------------------------------------------------------------
// Files and identifiers.

// Fills an identifier from a path: the last component becomes the name, the
// rest the folder. False when either part does not fit.
MOVARA_API bool mvh_file_identifier_make_f(FM_FILE_IDENTIFIER_TYPE* identifier,
                                           const std::string& path);
// The path that an identifier names (folder and name joined).
MOVARA_API std::string mvh_file_identifier_path_get_f(const FM_FILE_IDENTIFIER_TYPE* identifier);
// Type and creator codes recorded for a path by fm_file_type_and_creator_set_e;
// 0 when none were recorded.
MOVARA_API long mvh_file_type_get_f(const std::string& path);
MOVARA_API long mvh_file_creator_get_f(const std::string& path);

// ----------------------------------------------------------------------------
// Formats and filter registrations.

struct MVH_FILTER_REGISTRATION_TYPE {
  long kind = 0;
  long format = 0;
  std::string name;
  std::string identifier_name;
  short bitmap = 0;
  short parameter = 0;
};
MOVARA_API const std::vector<MVH_FILTER_REGISTRATION_TYPE>& mvh_filter_registrations_get_f();
struct MVH_FORMAT_TYPE {
  long format = 0;
  std::string name;
  std::string extension;
};
MOVARA_API const std::vector<MVH_FORMAT_TYPE>& mvh_formats_get_f();

// ----------------------------------------------------------------------------
// Filter-data lists.

MOVARA_API DT_DATA_HEADER_TYPE** mvh_filter_data_list_create_f();
MOVARA_API void mvh_filter_data_list_dispose(DT_DATA_HEADER_TYPE** list);
// Adds or replaces the list's export-options record with this range.
MOVARA_API void mvh_export_options_set(DT_DATA_HEADER_TYPE** list, long start_frame,
                                       long end_frame);
MOVARA_API long mvh_filter_data_record_count_get_f(DT_DATA_HEADER_TYPE** list);
// The export-options record that efo_ reads: tag 'EXOP', index 0, payload two
// Movara longs, start frame then end frame.
constexpr MOVARA_LONG_TYPE MVH_EXPORT_OPTIONS_TAG = fourcc_f("EXOP");

// ----------------------------------------------------------------------------
// Building and reading the animation model (what Movara's user does).

// Skeleton data that the 73 functions only read.
MOVARA_API void mvh_skeleton_model_set(void* skeleton, long creator,
                                       const std::string& model_file_path);
MOVARA_API void mvh_skeleton_human_set(void* skeleton, bool human);
MOVARA_API void mvh_skeleton_internal_name_set(void* skeleton, short joint,
                                               const std::string& internal_name);
MOVARA_API void mvh_skeleton_joint_offset_set(void* skeleton, short joint, coord3 offset);
MOVARA_API std::string mvh_skeleton_name_get_f(void* skeleton);
MOVARA_API std::string mvh_skeleton_model_file_path_get_f(void* skeleton);
MOVARA_API bool mvh_skeleton_completed_f(void* skeleton);
MOVARA_API bool mvh_skeleton_human_f(void* skeleton);
MOVARA_API long mvh_skeleton_part_object_count_get_f(void* skeleton);  // joints with an object
MOVARA_API long mvh_skeleton_cube_count_get_f(void* skeleton);         // unit cubes on them
// Puts a skeleton into Movara's skeleton library, where searches find it; the
// library then owns it (mvh_reset disposes of it). A skeleton with joints is
// completed on the way in.
MOVARA_API void mvh_skeleton_library_add(void* skeleton);
// The stock male's skeleton as a stand-alone object, not in any figure or the
// library; the caller disposes of it.
MOVARA_API void* mvh_stock_male_skeleton_create_f();
MOVARA_API bool mvh_skeleton_in_library_f(void* skeleton);
// Figures that use the skeleton.
MOVARA_API long mvh_skeleton_figure_user_count_get_f(void* skeleton);

// Sets a figure's base value of a channel (what frame -1 reads).
MOVARA_API void mvh_figure_base_value_set(void* figure, long channel, float value);

struct MVH_VALUE_KEY_TYPE {
  long frame;
  float value;
};
struct MVH_ORIENTATION_KEY_TYPE {
  long frame;
  quaternion q;
};
// The keys of one track, in frame order.
MOVARA_API std::vector<MVH_VALUE_KEY_TYPE> mvh_figure_value_keys_get_f(void* figure, long channel);
MOVARA_API std::vector<MVH_ORIENTATION_KEY_TYPE> mvh_figure_orientation_keys_get_f(void* figure,
                                                                                   short joint);
// Channels of a figure that hold at least one key, ascending.
MOVARA_API std::vector<long> mvh_figure_keyed_channels_get_f(void* figure);
// Keys of every track of a figure.
MOVARA_API long mvh_figure_key_count_get_f(void* figure);

// The animations that are live, in creation order.
MOVARA_API std::vector<void*> mvh_animations_get_f();
// Whether a handle is a live animation / figure / skeleton of this Movara.
MOVARA_API bool mvh_animation_live_f(void* animation);
MOVARA_API bool mvh_figure_live_f(void* figure);
MOVARA_API bool mvh_skeleton_live_f(void* skeleton);
// The order code of the last qt_angles_to_quat call (0 before any).
MOVARA_API short mvh_angle_order_last_get_f();

// ----------------------------------------------------------------------------
// Plug-ins: loading a shared library and finding its three entry points.

struct MVH_PLUGIN_TYPE {
  void* module = nullptr;
  PLUGIN_ENTRY_TYPE main = nullptr;
  PLUGIN_ENTRY_TYPE library_user_function = nullptr;
  PLUGIN_ENTRY_TYPE library_function_default = nullptr;
  std::string path;
};
// Loads a plug-in and resolves `main` and the two decorated entry points.
// False, with `error` saying why, when the module or `main` cannot be had.
MOVARA_API bool mvh_plugin_load_f(const std::string& path, MVH_PLUGIN_TYPE* plugin,
                                  std::string* error);
MOVARA_API void mvh_plugin_unload(MVH_PLUGIN_TYPE* plugin);
// Sends one request through the plug-in's `main`.
MOVARA_API long mvh_plugin_request_f(const MVH_PLUGIN_TYPE& plugin, long selector,
                                     void* argument_1 = nullptr, void* argument_2 = nullptr,
                                     void* argument_3 = nullptr, void* argument_4 = nullptr,
                                     void* argument_5 = nullptr, void* argument_6 = nullptr,
                                     void* argument_7 = nullptr, void* argument_8 = nullptr);
// The decorated link names of the two typed entry points on this platform.
MOVARA_API const char* mvh_plugin_user_function_symbol_f();
MOVARA_API const char* mvh_plugin_default_function_symbol_f();

#endif  // MOVARA_MOVARA_HOST_H
