// The verbs of the `movara` program. Each prints what happened on standard
// output and every failure as one line "error: ..." on standard error, and
// answers the program's exit status.
#ifndef CLI_CLI_VERBS_H
#define CLI_CLI_VERBS_H

#include <string>

#include "cli_animation.h"
#include "cli_inspect.h"

// Exit statuses.
constexpr int CLI_EXIT_SUCCESS = 0;
constexpr int CLI_EXIT_FAILURE = 1;  // the operation failed or the file is malformed
constexpr int CLI_EXIT_USAGE = 2;    // the command line is wrong

struct CLI_OPTIONS_TYPE {
  std::string plugin_folder;  // where vestan and orlune are loaded from
  bool verbose = false;       // print every plug-in request
  // A testing aid: make the n-th call of a Movara function fail during the
  // import or export itself (--fault FUNCTION:N).
  std::string fault_function;
  long fault_call = 0;
};

struct CLI_RANGE_OPTIONS_TYPE {
  bool start_given = false;
  long start_frame = 0;
  bool end_given = false;
  long end_frame = 0;
};

int cli_import_run_f(const CLI_OPTIONS_TYPE& options, const std::string& path, const std::string& json_path);
int cli_export_run_f(const CLI_OPTIONS_TYPE& options, const std::string& json_path,
                     const std::string& seq_path, const CLI_RANGE_OPTIONS_TYPE& range);
int cli_inspect_run_f(const std::string& path);
int cli_demo_run_f(const CLI_OPTIONS_TYPE& options, const std::string& folder);

// Shared by the verbs.
// Arms the fault of --fault, if one was asked for.
void cli_fault_arm(const CLI_OPTIONS_TYPE& options);
void cli_error_print(const std::string& line);
// "stock", "built" or "found": where an imported figure's skeleton came from,
// told by Movara's count of skeletons before and after the import.
std::string cli_skeleton_origin_get_f(void* skeleton, long skeletons_before, long skeletons_after);
// The summary of an imported animation; `walk` is the walk of its file.
void cli_import_summary_print(const std::string& path, void* animation, const std::string& origin,
                              const CLI_SEQ_WALK_TYPE& walk);
// The one-line summary of a written SEQ file; false when it is not sound.
bool cli_written_file_print_f(const std::string& path);
// Checks a frame range for an export at `frame_rate`; false with `error`.
bool cli_export_range_check_f(long start_frame, long end_frame, double frame_rate, std::string* error);

#endif  // CLI_CLI_VERBS_H
