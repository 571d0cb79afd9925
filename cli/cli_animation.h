// An animation as the command-line host holds it outside Movara: what the JSON
// documents describe and what the demo builds. It is turned into a Movara
// animation on the stand-in, read back from one, and compared key by key
// with an animation that went through a SEQ file.
#ifndef CLI_CLI_ANIMATION_H
#define CLI_CLI_ANIMATION_H

#include <string>
#include <vector>

#include "movara_host.h"

struct CLI_JOINT_TYPE {
  std::string name;           // the ordinary name
  std::string internal_name;  // empty: the same as the name
};

struct CLI_SKELETON_TYPE {
  bool stock = false;  // Movara's stock male figure; nothing below applies
  std::string name;
  std::string model_file;             // empty: none
  MOVARA_LONG_TYPE model_creator = 0;  // four-character code, 0: none
  std::vector<CLI_JOINT_TYPE> joints;  // the first is the root
};

struct CLI_ORIENTATION_TRACK_TYPE {
  std::string joint;  // a joint's name or internal name
  std::vector<MVH_ORIENTATION_KEY_TYPE> keys;
};

struct CLI_CHANNEL_TRACK_TYPE {
  long channel = 0;
  std::vector<MVH_VALUE_KEY_TYPE> keys;
};

struct CLI_FIGURE_TYPE {
  CLI_SKELETON_TYPE skeleton;
  bool pinned = false;
  std::vector<CLI_ORIENTATION_TRACK_TYPE> orientation_tracks;
  std::vector<CLI_CHANNEL_TRACK_TYPE> channel_tracks;
};

struct CLI_ANIMATION_TYPE {
  double frame_rate = 30.0;
  std::vector<CLI_FIGURE_TYPE> figures;
};

// Builds the animation in Movara. False, with `error` naming the part that
// failed, when Movara refuses a step; nothing is left behind then.
bool cli_animation_build_f(const CLI_ANIMATION_TYPE& animation, void** handle, std::string* error);
// Reads a Movara animation, every keyed track of every figure.
CLI_ANIMATION_TYPE cli_animation_read_f(void* handle);
// The last frame that holds a key in any track; -1 when there is none.
long cli_animation_last_key_frame_get_f(const CLI_ANIMATION_TYPE& animation);

// A figure's skeleton data as Movara holds it.
std::string cli_skeleton_joint_name_get_f(void* skeleton, short joint);
std::string cli_skeleton_joint_internal_name_get_f(void* skeleton, short joint);
bool cli_skeleton_stock_f(void* skeleton);
// The four-character text of a code when all four are printable, else "".
std::string cli_fourcc_text_get_f(MOVARA_LONG_TYPE code);

// The largest differences between a figure before export and the figure that
// its SEQ file imported into.
struct CLI_COMPARISON_TYPE {
  double orientation = 0.0;  // largest component difference, normalised, up to sign
  double translation = 0.0;  // largest difference of channels 1, 2 and 3
  double heading = 0.0;      // largest difference in degrees, modulo a full turn
  long keys_compared = 0;
  std::vector<std::string> mismatches;  // keys missing, extra or beyond float precision
};

// Compares the keys of `original` over [start_frame, end_frame] of an animation
// at `frame_rate` with the keys of `imported`. A key at frame f of the
// original is looked for at the frame where the SEQ round trip puts it: the
// 30-fps frame number n = (f - start) / rate * 30 + 1, cut toward zero, lands
// on frame n - 1. Joints are matched by the name that the file carries.
CLI_COMPARISON_TYPE cli_figure_compare_f(void* original, double frame_rate, long start_frame,
                                         long end_frame, void* imported);
// The frame at which the round trip places a key of frame `frame`.
long cli_frame_round_trip_get_f(long frame, double frame_rate, long start_frame);

#endif  // CLI_CLI_ANIMATION_H
