// The movara program as a user runs it: every case starts the built program
// as a subprocess and checks its exit status, its report on standard output
// and its one-line failures on standard error.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "seq_bytes.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace fs = std::filesystem;
using nlohmann::json;

namespace {

struct CLI_RUN_TYPE {
  int status = -1;
  std::string out;
  std::string err;
};

std::string cli_file_text_get_f(const fs::path& path) {
  std::ifstream stream(path, std::ios::binary);
  std::ostringstream text;
  text << stream.rdbuf();
  return text.str();
}

void cli_file_text_put(const fs::path& path, const std::string& text) {
  std::ofstream stream(path, std::ios::binary | std::ios::trunc);
  stream << text;
}

std::string cli_argument_quoted_get_f(const std::string& argument) {
  std::string quoted = "'";
  for (const char character : argument) {
    quoted += character == '\'' ? std::string("'\\''") : std::string(1, character);
  }
  return quoted + "'";
}

// Runs the program with its output in files beside the scratch folder. The
// files carry this process's id: ctest runs the cases of this program in
// parallel processes, each counting its runs from 0.
CLI_RUN_TYPE cli_run_f(const std::vector<std::string>& arguments) {
  static int run_count = 0;
  const fs::path output_folder =
      fs::path(TEST_SCRATCH_DIRECTORY) / ("runs_" + std::to_string(static_cast<long>(getpid())));
  fs::create_directories(output_folder);
  const fs::path out_path = output_folder / ("run_" + std::to_string(run_count) + ".out");
  const fs::path err_path = output_folder / ("run_" + std::to_string(run_count) + ".err");
  ++run_count;
  std::string command = cli_argument_quoted_get_f(MOVARA_PROGRAM_PATH);
  for (const std::string& argument : arguments) {
    command += " " + cli_argument_quoted_get_f(argument);
  }
  command += " >" + cli_argument_quoted_get_f(out_path.string()) + " 2>" +
             cli_argument_quoted_get_f(err_path.string()) + " </dev/null";
  const int raw_status = std::system(command.c_str());
  CLI_RUN_TYPE run;
  run.status = WIFEXITED(raw_status) ? WEXITSTATUS(raw_status) : -1;
  run.out = cli_file_text_get_f(out_path);
  run.err = cli_file_text_get_f(err_path);
  return run;
}

// Runs the program with standard error on a pseudo-terminal, as in a
// terminal window; answers what the terminal received.
CLI_RUN_TYPE cli_terminal_run_f(const std::vector<std::string>& arguments, const std::string& out_path) {
  CLI_RUN_TYPE run;
  const int master = posix_openpt(O_RDWR | O_NOCTTY);
  if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0 || ptsname(master) == nullptr) {
    return run;
  }
  const std::string terminal = ptsname(master);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, 2, terminal.c_str(), O_RDWR | O_NOCTTY, 0);
  std::vector<std::string> words{MOVARA_PROGRAM_PATH};
  words.insert(words.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& word : words) {
    argv.push_back(&word[0]);
  }
  argv.push_back(nullptr);
  pid_t child = 0;
  const int spawned = posix_spawn(&child, MOVARA_PROGRAM_PATH, &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) {
    close(master);
    return run;
  }
  // Read until the child has closed the terminal (read then fails with EIO).
  char buffer[4096];
  for (;;) {
    const ssize_t count = read(master, buffer, sizeof(buffer));
    if (count <= 0) {
      break;
    }
    run.err.append(buffer, static_cast<std::size_t>(count));
  }
  int raw_status = 0;
  waitpid(child, &raw_status, 0);
  close(master);
  run.status = WIFEXITED(raw_status) ? WEXITSTATUS(raw_status) : -1;
  run.out = cli_file_text_get_f(out_path);
  return run;
}

std::size_t cli_line_count_get_f(const std::string& text) {
  return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

std::string cli_fixture_get_f(const std::string& name) {
  return (fs::path(CLI_FIXTURE_DIRECTORY) / name).string();
}

// The names in a folder, sorted, with the contents of each file.
std::map<std::string, std::string> cli_folder_get_f(const fs::path& folder) {
  std::map<std::string, std::string> entries;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
    entries[entry.path().filename().string()] =
        entry.is_regular_file() ? cli_file_text_get_f(entry.path()) : std::string("<folder>");
  }
  return entries;
}

class CLI_TEST : public ::testing::Test {
 protected:
  void SetUp() override {
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->test_suite_name()) + "." + info->name();
    std::replace(name.begin(), name.end(), '/', '_');
    scratch_ = fs::path(TEST_SCRATCH_DIRECTORY) / name;
    fs::remove_all(scratch_);
    fs::create_directories(scratch_);
  }

  std::string scratch_path_get_f(const std::string& name) const { return (scratch_ / name).string(); }

  fs::path scratch_;
};

// A well-formed file: stock male skeleton, joints "hip" and "lShin".
SEQ_BYTES_TYPE cli_valid_seq_get_f() {
  SEQ_BYTES_TYPE file;
  file.u32(0x7F7F7F7A).u16(10).i32(2).text("male").text("hip");
  file.text("hip").track_quaternion({{1, {1, 0, 0, 0}}, {5, {0, 1, 0, 0}}});
  file.text("lShin").track_quaternion({{3, {1, 0, 0, 0}}});
  file.i32(4).track_float({{1, 2.5f}}).track_float({{1, 0.0f}}).track_float({}).track_quaternion({});
  return file;
}

// Quaternions as rotations: normalised, q and -q alike.
double cli_rotation_difference_get_f(const std::vector<double>& a, const std::vector<double>& b) {
  double length_a = 0.0;
  double length_b = 0.0;
  for (int index = 0; index < 4; ++index) {
    length_a += a[static_cast<std::size_t>(index)] * a[static_cast<std::size_t>(index)];
    length_b += b[static_cast<std::size_t>(index)] * b[static_cast<std::size_t>(index)];
  }
  double same = 0.0;
  double opposite = 0.0;
  for (std::size_t index = 0; index < 4; ++index) {
    const double first = a[index] / std::sqrt(length_a);
    const double second = b[index] / std::sqrt(length_b);
    same = std::max(same, std::fabs(first - second));
    opposite = std::max(opposite, std::fabs(first + second));
  }
  return std::min(same, opposite);
}

// Compares the keys of a fixture figure with the figure that came back from
// a SEQ file. `aliases` maps a joint name used by the fixture to the name the
// import writes; `frame_shift` is subtracted from fixture frames and only
// keys in [first, last] are expected.
void cli_figure_keys_expect(const json& expected, const json& actual,
                            const std::map<std::string, std::string>& aliases, long first, long last) {
  std::map<std::string, json> expected_tracks;
  for (auto track = expected["orientation_keys"].begin(); track != expected["orientation_keys"].end(); ++track) {
    const auto alias = aliases.find(track.key());
    json keys = json::array();
    for (const json& key : track.value()) {
      const long frame = key[0].get<long>();
      if (frame >= first && frame <= last) {
        json moved = key;
        moved[0] = frame - first;
        keys.push_back(moved);
      }
    }
    if (!keys.empty()) {
      expected_tracks[alias == aliases.end() ? track.key() : alias->second] = keys;
    }
  }
  ASSERT_EQ(actual["orientation_keys"].size(), expected_tracks.size()) << actual["orientation_keys"].dump();
  for (const auto& track : expected_tracks) {
    ASSERT_TRUE(actual["orientation_keys"].contains(track.first)) << track.first;
    const json& keys = actual["orientation_keys"][track.first];
    ASSERT_EQ(keys.size(), track.second.size()) << track.first;
    for (std::size_t index = 0; index < keys.size(); ++index) {
      EXPECT_EQ(keys[index][0], track.second[index][0]) << track.first;
      const std::vector<double> a{track.second[index][1], track.second[index][2], track.second[index][3],
                                  track.second[index][4]};
      const std::vector<double> b{keys[index][1], keys[index][2], keys[index][3], keys[index][4]};
      EXPECT_LE(cli_rotation_difference_get_f(a, b), 1e-6) << track.first << " key " << index;
    }
  }
  std::size_t expected_channels = 0;
  for (auto track = expected["channel_keys"].begin(); track != expected["channel_keys"].end(); ++track) {
    std::vector<json> keys;
    for (const json& key : track.value()) {
      const long frame = key[0].get<long>();
      if (frame >= first && frame <= last) {
        keys.push_back(key);
      }
    }
    if (keys.empty()) {
      continue;
    }
    ++expected_channels;
    ASSERT_TRUE(actual["channel_keys"].contains(track.key())) << "channel " << track.key();
    const json& actual_keys = actual["channel_keys"][track.key()];
    ASSERT_EQ(actual_keys.size(), keys.size()) << "channel " << track.key();
    for (std::size_t index = 0; index < keys.size(); ++index) {
      EXPECT_EQ(actual_keys[index][0].get<long>(), keys[index][0].get<long>() - first);
      const double want = keys[index][1].get<double>();
      double difference = std::fabs(actual_keys[index][1].get<double>() - want);
      if (track.key() == "1000000") {
        difference = std::fmod(difference, 360.0);
        difference = std::min(difference, 360.0 - difference);
      }
      EXPECT_LE(difference, 1e-5 * std::max(1.0, std::fabs(want)))
          << "channel " << track.key() << " key " << index;
    }
  }
  EXPECT_EQ(actual["channel_keys"].size(), expected_channels) << actual["channel_keys"].dump();
}

}  // namespace

// ---------------------------------------------------------------------------
// demo

TEST_F(CLI_TEST, demo_exports_two_files_and_imports_them_back_within_float_precision) {
  const fs::path folder = scratch_ / "demo";
  const CLI_RUN_TYPE run = cli_run_f({"demo", folder.string()});
  ASSERT_EQ(run.status, 0) << run.out << run.err;
  // Standard error is a file here: no progress bar, no message.
  EXPECT_EQ(run.err, "");
  EXPECT_NE(run.out.find("demo succeeded"), std::string::npos) << run.out;
  std::size_t within = 0;
  for (std::size_t at = run.out.find("within float precision"); at != std::string::npos;
       at = run.out.find("within float precision", at + 1)) {
    ++within;
  }
  EXPECT_EQ(within, 3u) << run.out;  // each figure's round trip and the closing line
  EXPECT_NE(run.out.find("(Movara's stock male figure)"), std::string::npos) << run.out;
  const std::map<std::string, std::string> files = cli_folder_get_f(folder);
  ASSERT_EQ(files.size(), 2u);
  EXPECT_EQ(files.count("walk_0.seq"), 1u);
  EXPECT_EQ(files.count("walk_1.seq"), 1u);
  EXPECT_EQ(cli_run_f({"inspect", (folder / "walk_0.seq").string()}).status, 0);
}

TEST_F(CLI_TEST, status_window_is_drawn_on_a_terminal_only) {
  ASSERT_TRUE(cli_valid_seq_get_f().file_write_f(scratch_path_get_f("walk.seq")));
  const CLI_RUN_TYPE run = cli_terminal_run_f({"import", scratch_path_get_f("walk.seq")}, scratch_path_get_f("out.txt"));
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.err.find("\rImport Animation"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("walk.seq ["), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("] 100%"), std::string::npos) << run.err;
  // Closing the window blanks the line again.
  ASSERT_GE(run.err.size(), 2u);
  EXPECT_EQ(run.err.back(), '\r');
  EXPECT_EQ(run.out.find('\r'), std::string::npos);
  EXPECT_NE(run.out.find("imported "), std::string::npos);
}

// ---------------------------------------------------------------------------
// export and import --json

TEST_F(CLI_TEST, export_then_import_json_gives_back_the_fixture_keys) {
  const std::string fixture = cli_fixture_get_f("two_figures.json");
  const CLI_RUN_TYPE exported = cli_run_f({"export", fixture, scratch_path_get_f("pair.seq")});
  ASSERT_EQ(exported.status, 0) << exported.err;
  EXPECT_EQ(exported.err, "");
  EXPECT_EQ(cli_folder_get_f(scratch_).size(), 2u);  // pair_0.seq and pair_1.seq, nothing else

  const json document = json::parse(cli_file_text_get_f(fixture));
  for (std::size_t figure = 0; figure < 2; ++figure) {
    SCOPED_TRACE("figure " + std::to_string(figure));
    const std::string seq = scratch_path_get_f("pair_" + std::to_string(figure) + ".seq");
    const std::string written = scratch_path_get_f("pair_" + std::to_string(figure) + ".json");
    const CLI_RUN_TYPE imported = cli_run_f({"import", seq, "--json", written});
    ASSERT_EQ(imported.status, 0) << imported.err;
    const json back = json::parse(cli_file_text_get_f(written));
    ASSERT_EQ(back["figures"].size(), 1u);
    cli_figure_keys_expect(document["figures"][figure], back["figures"][0], {{"rShin", "Right Shin"}}, 0, 1000);
  }
  const json stock = json::parse(cli_file_text_get_f(scratch_path_get_f("pair_0.json")))["figures"][0];
  EXPECT_EQ(stock["skeleton"], json({{"stock", true}}));
  EXPECT_EQ(stock["pinned_to_floor"], true);
  const json built = json::parse(cli_file_text_get_f(scratch_path_get_f("pair_1.json")))["figures"][0];
  EXPECT_EQ(built["skeleton"]["name"], "crane");
  EXPECT_EQ(built["skeleton"]["joints"], json::parse(R"([{"name": "mast"}, {"name": "boom"}, {"name": "hook"}])"));
  EXPECT_EQ(built["pinned_to_floor"], false);
}

TEST_F(CLI_TEST, export_range_writes_only_its_frames_counted_from_its_start) {
  const std::string fixture = cli_fixture_get_f("two_figures.json");
  ASSERT_EQ(cli_run_f({"export", fixture, scratch_path_get_f("part.seq"), "--start", "10", "--end", "20"}).status, 0);
  const CLI_RUN_TYPE imported =
      cli_run_f({"import", scratch_path_get_f("part_0.seq"), "--json", scratch_path_get_f("part_0.json")});
  ASSERT_EQ(imported.status, 0) << imported.err;
  EXPECT_NE(imported.out.find("frames      0..10"), std::string::npos) << imported.out;
  const json document = json::parse(cli_file_text_get_f(fixture));
  const json back = json::parse(cli_file_text_get_f(scratch_path_get_f("part_0.json")));
  cli_figure_keys_expect(document["figures"][0], back["figures"][0], {{"rShin", "Right Shin"}}, 10, 20);
}

TEST_F(CLI_TEST, export_of_one_figure_writes_exactly_the_given_name) {
  cli_file_text_put(scratch_ / "one.json", R"({"frame_rate": 24, "figures": [{"skeleton": {"stock": true},
      "channel_keys": {"3": [[0, 0], [48, 100]]}}]})");
  const CLI_RUN_TYPE run = cli_run_f({"export", scratch_path_get_f("one.json"), scratch_path_get_f("one.seq")});
  ASSERT_EQ(run.status, 0) << run.err;
  const std::map<std::string, std::string> files = cli_folder_get_f(scratch_);
  EXPECT_EQ(files.size(), 2u);
  EXPECT_EQ(files.count("one.seq"), 1u);
  // 49 frames at 24 frames per second are 61 frames at 30.
  EXPECT_NE(run.out.find("frame count 61"), std::string::npos) << run.out;
}

TEST_F(CLI_TEST, refused_or_failed_exports_leave_the_folder_as_it_was) {
  cli_file_text_put(scratch_ / "broken.json", "{\"frame_rate\": 30, \"figures\": [");
  cli_file_text_put(scratch_ / "fast.json",
                    R"({"frame_rate": 60, "figures": [{"skeleton": {"stock": true}}]})");
  cli_file_text_put(scratch_ / "bad_key.json", R"({"frame_rate": 30, "figures": [{"skeleton": {"stock": true},
      "channel_keys": {"2": [[-1, 5]]}}]})");
  // Documents that are JSON but not an animation, each with the member at fault.
  const std::vector<std::pair<std::string, std::string>> documents = {
      {R"({"frame_rate": 30, "figures": [], "figure": []})", "unknown member \"figure\""},
      {R"({"frame_rate": 0, "figures": []})", "frame_rate: 0 is not a frame rate above 0"},
      {R"({"frame_rate": 30, "figures": [{"skeleton": {"name": "box", "model_creator": "BOX",
          "joints": [{"name": "lid"}]}}]})", "figures[0].skeleton.model_creator: a creator code is four characters"},
      {R"({"frame_rate": 30, "figures": [{"skeleton": {"name": "box", "joints": []}}]})",
       "figures[0].skeleton.joints: expected an array of at least one joint"},
      {R"({"frame_rate": 30, "figures": [{"skeleton": {"stock": true},
          "orientation_keys": {"Hip": [[0, 0, 0, 0, 0]]}}]})", "figures[0].orientation_keys.Hip[0]: a rotation cannot be 0, 0, 0, 0"},
      {R"({"frame_rate": 30, "figures": [{"skeleton": {"stock": true}, "channel_keys": {"x": []}}]})",
       "figures[0].channel_keys.x: a channel id is a whole number"},
  };
  for (std::size_t index = 0; index < documents.size(); ++index) {
    cli_file_text_put(scratch_ / ("document_" + std::to_string(index) + ".json"), documents[index].first);
  }
  const std::string fixture = cli_fixture_get_f("two_figures.json");
  struct CASE_TYPE {
    std::string title;
    std::vector<std::string> arguments;
    std::string message;
  };
  std::vector<CASE_TYPE> cases = {
      {"not JSON", {"export", scratch_path_get_f("broken.json")}, "not valid JSON: parse error"},
      {"negative frame", {"export", scratch_path_get_f("bad_key.json")}, "figures[0].channel_keys.2[0]: frame -1 is negative"},
      {"unknown joint", {"export", cli_fixture_get_f("unknown_joint.json")}, "the skeleton has no joint 'Tail'"},
      {"backward range", {"export", fixture, "--start", "5", "--end", "3"}, "the range 5..3 ends before it starts"},
      {"no 30-fps frame", {"export", scratch_path_get_f("fast.json"), "--end", "0"}, "frame count would be 0"},
      {"write fails", {"--fault", "fm_file_write_f:30", "export", fixture}, "injected"},
      {"second file fails", {"--fault", "fm_file_create_e:2", "export", fixture}, "injected"},
  };
  for (std::size_t index = 0; index < documents.size(); ++index) {
    cases.push_back({"document " + std::to_string(index),
                     {"export", scratch_path_get_f("document_" + std::to_string(index) + ".json")},
                     documents[index].second});
  }
  for (const CASE_TYPE& test_case : cases) {
    SCOPED_TRACE(test_case.title);
    fs::remove_all(scratch_ / "out");
    fs::create_directories(scratch_ / "out");
    cli_file_text_put(scratch_ / "out" / "keep_0.seq", "earlier file 0");
    cli_file_text_put(scratch_ / "out" / "keep_1.seq", "earlier file 1");
    const std::map<std::string, std::string> before = cli_folder_get_f(scratch_ / "out");
    std::vector<std::string> arguments = test_case.arguments;
    const auto verb = std::find(arguments.begin(), arguments.end(), "export");
    arguments.insert(verb + 2, (scratch_ / "out" / "keep.seq").string());
    const CLI_RUN_TYPE run = cli_run_f(arguments);
    EXPECT_EQ(run.status, 1) << run.out;
    EXPECT_EQ(cli_line_count_get_f(run.err), 1u) << run.err;
    EXPECT_EQ(run.err.rfind("error: ", 0), 0u) << run.err;
    EXPECT_NE(run.err.find(test_case.message), std::string::npos) << run.err;
    EXPECT_EQ(cli_folder_get_f(scratch_ / "out"), before);
  }
}

// ---------------------------------------------------------------------------
// import

TEST_F(CLI_TEST, import_summary_tells_the_skeleton_origin_and_skipped_joints) {
  SEQ_BYTES_TYPE stock;
  stock.u32(0x7F7F7F7A).u16(10).i32(3).text("male").text("hip");
  stock.text("hip").track_quaternion({{1, {1, 0, 0, 0}}, {5, {0, 1, 0, 0}}});
  stock.text("wing").track_quaternion({{2, {1, 0, 0, 0}}});
  stock.text("lShin").track_quaternion({{3, {1, 0, 0, 0}}});
  stock.i32(4).track_float({{1, 2.5f}}).track_float({}).track_float({}).track_quaternion({});
  ASSERT_TRUE(stock.file_write_f(scratch_path_get_f("stock.seq")));
  const CLI_RUN_TYPE stock_run = cli_run_f({"import", scratch_path_get_f("stock.seq")});
  ASSERT_EQ(stock_run.status, 0) << stock_run.err;
  EXPECT_NE(stock_run.out.find("\"male\" (Movara's stock male figure), root \"Hip\", 19 joints"), std::string::npos)
      << stock_run.out;
  EXPECT_NE(stock_run.out.find("2 of 3 file sections matched, 1 skipped ('wing'"), std::string::npos)
      << stock_run.out;
  EXPECT_NE(stock_run.out.find("pinned      yes"), std::string::npos);
  EXPECT_NE(stock_run.out.find("frames      0..4"), std::string::npos);
  EXPECT_NE(stock_run.out.find("keys        4 in 3 tracks"), std::string::npos) << stock_run.out;

  SEQ_BYTES_TYPE built;
  built.u32(0x7F7F7F79).u16(10).i32(2).text("crate").text("lid");
  built.text("lid").track_quaternion({{1, {1, 0, 0, 0}}});
  built.text("latch").track_quaternion({});
  built.i32(4).track_float({}).track_float({{2, 7.0f}}).track_float({}).track_quaternion({});
  ASSERT_TRUE(built.file_write_f(scratch_path_get_f("crate.seq")));
  const CLI_RUN_TYPE built_run = cli_run_f({"import", scratch_path_get_f("crate.seq")});
  ASSERT_EQ(built_run.status, 0) << built_run.err;
  EXPECT_NE(built_run.out.find("\"crate\" (built from the file's joint names), root \"lid\", 2 joints"),
            std::string::npos)
      << built_run.out;
  EXPECT_NE(built_run.out.find("2 of 2 file sections matched, 0 skipped"), std::string::npos);
  EXPECT_NE(built_run.out.find("pinned      no"), std::string::npos);
}

TEST_F(CLI_TEST, refused_imports_say_why_in_one_line_and_write_nothing) {
  const SEQ_BYTES_TYPE valid = cli_valid_seq_get_f();
  ASSERT_TRUE(valid.file_write_f(scratch_path_get_f("walk.txt")));
  ASSERT_TRUE(valid.file_write_f(scratch_path_get_f("walk.seq")));
  ASSERT_TRUE(valid.prefix_get_f(3).file_write_f(scratch_path_get_f("short.seq")));
  ASSERT_TRUE(valid.prefix_get_f(30).file_write_f(scratch_path_get_f("cut.seq")));
  SEQ_BYTES_TYPE placeholder;
  placeholder.u32(0).raw(std::vector<std::uint8_t>(valid.bytes_get_f().begin() + 4, valid.bytes_get_f().end()));
  ASSERT_TRUE(placeholder.file_write_f(scratch_path_get_f("unfinished.seq")));
  SEQ_BYTES_TYPE no_frames;
  no_frames.u32(0x7F7F7F7A).u16(0).i32(0).text("male").text("hip").i32(4);
  no_frames.track_float({}).track_float({}).track_float({}).track_quaternion({});
  ASSERT_TRUE(no_frames.file_write_f(scratch_path_get_f("empty.seq")));

  struct CASE_TYPE {
    const char* file;
    const char* fault;
    const char* message;
  };
  const std::vector<CASE_TYPE> cases = {
      {"walk.txt", "", " is not a SEQ file"},
      {"short.seq", "", " is not a SEQ file (3 bytes, shorter than the 4-byte magic)"},
      {"unfinished.seq", "", " is not a SEQ file (its magic is 00 00 00 00"},
      {"cut.seq", "", ": file ended after "},
      {"empty.seq", "", ": frame count 0"},
      {"missing.seq", "", ": no such file"},
      {"walk.seq", "fm_file_read_f:4", ": fm_file_read_f failed (injected fault)"},
  };
  cli_file_text_put(scratch_ / "keep.json", "earlier document");
  for (const CASE_TYPE& test_case : cases) {
    SCOPED_TRACE(test_case.file);
    const std::map<std::string, std::string> before = cli_folder_get_f(scratch_);
    std::vector<std::string> arguments;
    if (test_case.fault[0] != 0) {
      arguments = {"--fault", test_case.fault};
    }
    const std::string path = scratch_path_get_f(test_case.file);
    arguments.insert(arguments.end(), {"import", path, "--json", scratch_path_get_f("keep.json")});
    const CLI_RUN_TYPE run = cli_run_f(arguments);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(cli_line_count_get_f(run.err), 1u) << run.err;
    EXPECT_EQ(run.err.rfind("error: " + path + test_case.message, 0), 0u) << run.err;
    EXPECT_EQ(cli_folder_get_f(scratch_), before);
  }
}

// ---------------------------------------------------------------------------
// inspect

TEST_F(CLI_TEST, inspect_walks_a_file_written_through_the_export) {
  ASSERT_EQ(cli_run_f({"export", cli_fixture_get_f("two_figures.json"), scratch_path_get_f("pair.seq")}).status, 0);
  const CLI_RUN_TYPE run = cli_run_f({"inspect", scratch_path_get_f("pair_1.seq")});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");
  for (const char* line : {"  magic          0x7F7F7F7A\n", "  frame count    21 (at 30 frames per second)\n",
                           "  joint count    3\n", "  skeleton       \"crane\"\n", "  root joint     \"mast\"\n",
                           "  joint 0 'mast'               value size 16  keys     0\n",
                           "  joint 1 'boom'               value size 16  keys     2  frame numbers 1..16\n",
                           "  joint 2 'hook'               value size 16  keys     1  frame numbers 4..4\n",
                           "  track count    4\n",
                           "  translation x                value size  4  keys     2  frame numbers 1..16\n",
                           "  translation z                value size  4  keys     0\n",
                           "  heading                      value size 16  keys     2  frame numbers 1..16\n",
                           "  7 key tracks, 9 keys: well formed\n"}) {
    EXPECT_NE(run.out.find(line), std::string::npos) << "missing: " << line << run.out;
  }
}

TEST_F(CLI_TEST, inspect_names_the_offset_and_field_where_a_malformed_file_goes_wrong) {
  struct CASE_TYPE {
    const char* title;
    SEQ_BYTES_TYPE bytes;
    std::size_t offset;
    std::string message;
  };
  std::vector<CASE_TYPE> cases;
  const auto header = [](std::int32_t joints) {
    SEQ_BYTES_TYPE file;
    file.u32(0x7F7F7F7A).u16(10).i32(joints).text("male").text("hip");
    return file;
  };
  const auto roots = [](SEQ_BYTES_TYPE file) {
    return file.i32(4).track_float({}).track_float({}).track_float({}).track_quaternion({});
  };
  {
    SEQ_BYTES_TYPE file;
    file.u32(0x7A7F7F7F).u16(10);
    cases.push_back({"bad magic", file, 0, "magic 7A 7F 7F 7F is not a SEQ magic"});
  }
  {
    SEQ_BYTES_TYPE file;
    file.u32(0).u16(10);
    cases.push_back({"placeholder magic", file, 0, "magic 00 00 00 00: the placeholder"});
  }
  {
    SEQ_BYTES_TYPE file;
    file.raw({0x7F, 0x7F});
    cases.push_back({"shorter than the magic", file, 0, "file ends inside the magic (needs 4 bytes, 2 left)"});
  }
  {
    SEQ_BYTES_TYPE file = header(2);
    file.text("hip").track_quaternion({}).text("lShin").i32(16).i32(2);
    const std::size_t records = file.size_get_f();
    file.raw(std::vector<std::uint8_t>(17, 0));
    cases.push_back({"cut inside key records", file, records,
                     "file ends inside the key records of the orientation track of joint 1 'lShin' "
                     "(needs 40 bytes, 17 left)"});
  }
  {
    SEQ_BYTES_TYPE file = header(4);
    file.text("hip").track_quaternion({}).text("abdomen").track_quaternion({});
    file.text("chest").track_quaternion({{1, {1, 0, 0, 0}}}).text("lShin").i32(16);
    const std::size_t count = file.size_get_f();
    file.i32(-5);
    cases.push_back({"negative key count", file, count,
                     "key count -5 in the orientation track of joint 3 'lShin'"});
  }
  {
    SEQ_BYTES_TYPE file = header(1);
    file.text("hip").i32(16);
    const std::size_t count = file.size_get_f();
    file.i32(200000000);
    cases.push_back({"key records beyond 32 bits", file, count,
                     "key count 200000000 in the orientation track of joint 0 'hip' needs 4000000000 bytes"});
  }
  {
    SEQ_BYTES_TYPE file;
    file.u32(0x7F7F7F7A).u16(10).i32(1).i16(2000);
    cases.push_back({"oversized string count", file, 10,
                     "string count 2000 in the skeleton name is above 1024"});
  }
  {
    SEQ_BYTES_TYPE file;
    file.u32(0x7F7F7F7A).u16(10).i32(1).text("male").i16(0);
    cases.push_back({"zero string count", file, 17, "string count 0 in the root joint name"});
  }
  {
    SEQ_BYTES_TYPE file = header(1);
    const std::size_t count = file.size_get_f();
    file.i16(-3).raw({'h', 'i', 'p'});
    cases.push_back({"negative string count", file, count, "string count -3 in the name of joint 0"});
  }
  {
    SEQ_BYTES_TYPE file = header(1);
    const std::size_t name = file.size_get_f();
    file.i16(4).raw({'h', 'i', 'p', 'x'}).track_quaternion({});
    cases.push_back({"name without NUL", file, name + 5, "the name of joint 0 has no NUL as its last byte"});
  }
  {
    SEQ_BYTES_TYPE file = header(0).i32(4).track_float({}).track_float({}).track_float({}).i32(16);
    const std::size_t count = file.size_get_f();
    file.raw({0, 0});
    cases.push_back({"cut inside the heading track", file, count,
                     "file ends inside the key count of the heading track (needs 4 bytes, 2 left)"});
  }
  {
    SEQ_BYTES_TYPE file = roots(header(0));
    const std::size_t end = file.size_get_f();
    file.raw({1, 2, 3});
    cases.push_back({"trailing bytes", file, end, "3 bytes after the heading track, which ends the file"});
  }
  {
    SEQ_BYTES_TYPE file;
    file.u32(0x7F7F7F7A).u16(0).i32(0).text("male").text("hip");
    cases.push_back({"frame count 0", roots(file), 4, "frame count 0: the import refuses a file without frames"});
  }
  {
    SEQ_BYTES_TYPE file = header(0).i32(4).i32(4).i32(1);
    const std::size_t record = file.size_get_f();
    file.i32(0).f32(1.0f).track_float({}).track_float({}).track_quaternion({});
    cases.push_back({"frame number 0", file, record,
                     "frame number 0 in key 0 of the translation track of channel 1 (x)"});
  }
  for (const CASE_TYPE& test_case : cases) {
    SCOPED_TRACE(test_case.title);
    const std::string path = scratch_path_get_f("malformed.seq");
    ASSERT_TRUE(test_case.bytes.file_write_f(path));
    const CLI_RUN_TYPE run = cli_run_f({"inspect", path});
    EXPECT_EQ(run.status, 1) << bytes_hex_get_f(test_case.bytes.bytes_get_f());
    EXPECT_EQ(cli_line_count_get_f(run.err), 1u) << run.err;
    const std::string expected = "error: " + path + ": byte " + std::to_string(test_case.offset) + ": " + test_case.message;
    EXPECT_EQ(run.err.rfind(expected, 0), 0u) << run.err << bytes_hex_get_f(test_case.bytes.bytes_get_f());
  }
}

// ---------------------------------------------------------------------------
// the command line

TEST_F(CLI_TEST, wrong_command_lines_and_missing_files_fail_with_one_line) {
  const std::string valid = scratch_path_get_f("valid.seq");
  ASSERT_TRUE(cli_valid_seq_get_f().file_write_f(valid));
  struct CASE_TYPE {
    std::vector<std::string> arguments;
    int status;
    std::string message;
  };
  const std::vector<CASE_TYPE> cases = {
      {{}, 2, "A subcommand is required"},
      {{"frobnicate"}, 2, "unknown verb 'frobnicate'"},
      {{"import"}, 2, "FILE.seq is required"},
      {{"export", "a.json"}, 2, "OUT.seq is required"},
      {{"export", "a.json", "b.seq", "--start", "ten"}, 2, "--start"},
      {{"inspect", valid, "extra"}, 2, "extra"},
      {{"import", valid, "--bogus"}, 2, "--bogus"},
      {{"--fault", "fm_file_read_f", "import", valid}, 2, "--fault"},
      {{"--plugins", scratch_path_get_f("nowhere"), "import", valid}, 1, "no such plug-in"},
      {{"inspect", scratch_path_get_f("missing.seq")}, 1, "missing.seq: no such file"},
      {{"inspect", scratch_.string()}, 1, "is a folder"},
      {{"export", scratch_path_get_f("missing.json"), scratch_path_get_f("x.seq")}, 1, "missing.json: no such file"},
      {{"export", cli_fixture_get_f("two_figures.json"), scratch_path_get_f("nowhere/x.seq")}, 1, "does not exist"},
  };
  for (const CASE_TYPE& test_case : cases) {
    std::string title;
    for (const std::string& argument : test_case.arguments) {
      title += argument + " ";
    }
    SCOPED_TRACE(title);
    const CLI_RUN_TYPE run = cli_run_f(test_case.arguments);
    EXPECT_EQ(run.status, test_case.status);
    EXPECT_EQ(cli_line_count_get_f(run.err), 1u) << run.err;
    EXPECT_EQ(run.err.rfind("error: ", 0), 0u) << run.err;
    EXPECT_NE(run.err.find(test_case.message), std::string::npos) << run.err;
  }
}

TEST_F(CLI_TEST, version_and_help_of_each_verb_succeed) {
  const CLI_RUN_TYPE version = cli_run_f({"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out.rfind("movara ", 0), 0u) << version.out;
  const std::vector<std::pair<std::string, std::string>> verbs = {
      {"demo", "DIR"}, {"import", "--json"}, {"export", "--start"}, {"inspect", "FILE.seq"}};
  for (const auto& verb : verbs) {
    SCOPED_TRACE(verb.first);
    const CLI_RUN_TYPE help = cli_run_f({verb.first, "--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find(verb.second), std::string::npos) << help.out;
    EXPECT_EQ(help.err, "");
  }
}
