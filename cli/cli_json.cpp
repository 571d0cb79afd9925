#include "cli_json.h"

#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>
#include <system_error>

#include "cli_platform.h"

using nlohmann::json;

namespace {

// Names live in Movara's 256-byte text buffers, the NUL included.
constexpr std::size_t CLI_NAME_LENGTH_LIMIT = MOVARA_TEXT_CAPACITY - 1;
constexpr std::size_t CLI_PATH_LENGTH_LIMIT = FP_FILE_PATH_CAPACITY - 1;
constexpr double CLI_FRAME_RATE_LIMIT = 100000.0;

// Collects the first error of a parse with the member path it occurred at.
class CLI_JSON_READER_TYPE {
 public:
  explicit CLI_JSON_READER_TYPE(std::string* error) : error_(error) {}

  bool fail_f(const std::string& where, const std::string& text) {
    *error_ = (where.empty() ? std::string() : where + ": ") + text;
    return false;
  }

  // Only the listed members may appear in an object.
  bool members_check_f(const json& object, const std::string& where,
                       std::initializer_list<const char*> allowed) {
    for (auto member = object.begin(); member != object.end(); ++member) {
      bool known = false;
      for (const char* name : allowed) {
        known = known || member.key() == name;
      }
      if (!known) {
        return fail_f(where, "unknown member \"" + member.key() + "\"");
      }
    }
    return true;
  }

  bool name_read_f(const json& value, const std::string& where, std::size_t limit,
                   bool empty_allowed, std::string* text) {
    if (!value.is_string()) {
      return fail_f(where, "expected a string");
    }
    *text = value.get<std::string>();
    if (!empty_allowed && text->empty()) {
      return fail_f(where, "must not be empty");
    }
    if (text->size() > limit) {
      return fail_f(where, "is " + std::to_string(text->size()) + " bytes long; at most " +
                               std::to_string(limit) + " fit");
    }
    if (text->find('\0') != std::string::npos) {
      return fail_f(where, "must not contain a NUL character");
    }
    return true;
  }

  bool frame_read_f(const json& value, const std::string& where, long* frame) {
    double number = 0.0;
    if (value.is_number_integer()) {
      if (value.is_number_unsigned()) {
        const auto unsigned_value = value.get<std::uint64_t>();
        if (unsigned_value > 0x7FFFFFFFu) {
          return fail_f(where, "frame " + value.dump() + " is above 2147483647");
        }
        *frame = static_cast<long>(unsigned_value);
        return true;
      }
      const auto signed_value = value.get<std::int64_t>();
      if (signed_value < 0) {
        return fail_f(where, "frame " + value.dump() + " is negative; frames count from 0");
      }
      if (signed_value > 0x7FFFFFFF) {
        return fail_f(where, "frame " + value.dump() + " is above 2147483647");
      }
      *frame = static_cast<long>(signed_value);
      return true;
    }
    if (value.is_number_float()) {
      number = value.get<double>();
      if (std::floor(number) != number) {
        return fail_f(where, "frame " + value.dump() + " is not a whole number");
      }
      if (number < 0.0) {
        return fail_f(where, "frame " + value.dump() + " is negative; frames count from 0");
      }
      if (number > 2147483647.0) {
        return fail_f(where, "frame " + value.dump() + " is above 2147483647");
      }
      *frame = static_cast<long>(number);
      return true;
    }
    return fail_f(where, "expected a frame number");
  }

  bool float_read_f(const json& value, const std::string& where, float* number) {
    if (!value.is_number()) {
      return fail_f(where, "expected a number");
    }
    const double wide = value.get<double>();
    if (!std::isfinite(wide) || std::fabs(wide) > static_cast<double>(FLT_MAX)) {
      return fail_f(where, value.dump() + " does not fit in a single-precision float");
    }
    *number = static_cast<float>(wide);
    return true;
  }

  bool creator_read_f(const json& value, const std::string& where, MOVARA_LONG_TYPE* creator) {
    if (value.is_string()) {
      const std::string text = value.get<std::string>();
      if (text.size() != 4) {
        return fail_f(where, "a creator code is four characters, \"" + text + "\" has " +
                                 std::to_string(text.size()));
      }
      std::uint32_t pattern = 0;
      for (const char character : text) {
        pattern = (pattern << 8) | static_cast<unsigned char>(character);
      }
      *creator = static_cast<MOVARA_LONG_TYPE>(static_cast<std::int32_t>(pattern));
      return true;
    }
    if (value.is_number_integer()) {
      const auto number = value.get<std::int64_t>();
      if (number < std::numeric_limits<std::int32_t>::min() ||
          number > std::numeric_limits<std::int32_t>::max()) {
        return fail_f(where, "creator code " + value.dump() + " does not fit in 32 bits");
      }
      *creator = static_cast<MOVARA_LONG_TYPE>(number);
      return true;
    }
    return fail_f(where, "expected a four-character code such as \"ROBO\"");
  }

  bool skeleton_read_f(const json& value, const std::string& where, CLI_SKELETON_TYPE* skeleton) {
    if (!value.is_object()) {
      return fail_f(where, "expected an object: {\"stock\": true} or a skeleton with joints");
    }
    if (value.contains("stock")) {
      if (!value["stock"].is_boolean()) {
        return fail_f(where + ".stock", "expected true or false");
      }
      skeleton->stock = value["stock"].get<bool>();
    }
    if (skeleton->stock) {
      return members_check_f(value, where, {"stock"});
    }
    if (!members_check_f(value, where, {"stock", "name", "model_file", "model_creator", "joints"})) {
      return false;
    }
    if (!value.contains("name")) {
      return fail_f(where, "a skeleton needs a \"name\" (or \"stock\": true)");
    }
    if (!name_read_f(value["name"], where + ".name", CLI_NAME_LENGTH_LIMIT, false, &skeleton->name)) {
      return false;
    }
    if (value.contains("model_file") &&
        !name_read_f(value["model_file"], where + ".model_file", CLI_PATH_LENGTH_LIMIT, true,
                     &skeleton->model_file)) {
      return false;
    }
    if (value.contains("model_creator") &&
        !creator_read_f(value["model_creator"], where + ".model_creator", &skeleton->model_creator)) {
      return false;
    }
    if (!value.contains("joints") || !value["joints"].is_array() || value["joints"].empty()) {
      return fail_f(where + ".joints", "expected an array of at least one joint (the first is the root)");
    }
    const json& joints = value["joints"];
    if (joints.size() > 0x7FFF) {
      return fail_f(where + ".joints", "more than 32767 joints");
    }
    for (std::size_t index = 0; index < joints.size(); ++index) {
      const std::string joint_where = where + ".joints[" + std::to_string(index) + "]";
      const json& joint_value = joints[index];
      CLI_JOINT_TYPE joint;
      if (!joint_value.is_object()) {
        return fail_f(joint_where, "expected an object with a \"name\"");
      }
      if (!members_check_f(joint_value, joint_where, {"name", "internal_name"})) {
        return false;
      }
      if (!joint_value.contains("name")) {
        return fail_f(joint_where, "a joint needs a \"name\"");
      }
      if (!name_read_f(joint_value["name"], joint_where + ".name", CLI_NAME_LENGTH_LIMIT, false,
                       &joint.name)) {
        return false;
      }
      if (joint_value.contains("internal_name") &&
          !name_read_f(joint_value["internal_name"], joint_where + ".internal_name",
                       CLI_NAME_LENGTH_LIMIT, false, &joint.internal_name)) {
        return false;
      }
      skeleton->joints.push_back(joint);
    }
    return true;
  }

  bool orientation_keys_read_f(const json& value, const std::string& where, CLI_FIGURE_TYPE* figure) {
    if (!value.is_object()) {
      return fail_f(where, "expected an object from joint names to key lists");
    }
    for (auto member = value.begin(); member != value.end(); ++member) {
      const std::string track_where = where + "." + member.key();
      CLI_ORIENTATION_TRACK_TYPE track;
      track.joint = member.key();
      if (track.joint.empty() || track.joint.size() > CLI_NAME_LENGTH_LIMIT) {
        return fail_f(track_where, "not a joint name");
      }
      if (!member.value().is_array()) {
        return fail_f(track_where, "expected an array of [frame, w, x, y, z] keys");
      }
      for (std::size_t index = 0; index < member.value().size(); ++index) {
        const std::string key_where = track_where + "[" + std::to_string(index) + "]";
        const json& record = member.value()[index];
        if (!record.is_array() || record.size() != 5) {
          return fail_f(key_where, "expected [frame, w, x, y, z]");
        }
        MVH_ORIENTATION_KEY_TYPE key{};
        if (!frame_read_f(record[0], key_where, &key.frame) ||
            !float_read_f(record[1], key_where, &key.q.w) ||
            !float_read_f(record[2], key_where, &key.q.x) ||
            !float_read_f(record[3], key_where, &key.q.y) ||
            !float_read_f(record[4], key_where, &key.q.z)) {
          return false;
        }
        if (key.q.w == 0.0f && key.q.x == 0.0f && key.q.y == 0.0f && key.q.z == 0.0f) {
          return fail_f(key_where, "a rotation cannot be 0, 0, 0, 0 (identity is 1, 0, 0, 0)");
        }
        track.keys.push_back(key);
      }
      figure->orientation_tracks.push_back(track);
    }
    return true;
  }

  bool channel_keys_read_f(const json& value, const std::string& where, CLI_FIGURE_TYPE* figure) {
    if (!value.is_object()) {
      return fail_f(where, "expected an object from channel ids to key lists");
    }
    for (auto member = value.begin(); member != value.end(); ++member) {
      const std::string track_where = where + "." + member.key();
      CLI_CHANNEL_TRACK_TYPE track;
      const std::string& id = member.key();
      long channel = 0;
      const auto parsed = std::from_chars(id.data(), id.data() + id.size(), channel);
      if (id.empty() || parsed.ec != std::errc() || parsed.ptr != id.data() + id.size() ||
          channel < std::numeric_limits<std::int32_t>::min() ||
          channel > std::numeric_limits<std::int32_t>::max()) {
        return fail_f(track_where, "a channel id is a whole number such as \"1\" or \"1000000\"");
      }
      track.channel = channel;
      if (!member.value().is_array()) {
        return fail_f(track_where, "expected an array of [frame, value] keys");
      }
      for (std::size_t index = 0; index < member.value().size(); ++index) {
        const std::string key_where = track_where + "[" + std::to_string(index) + "]";
        const json& record = member.value()[index];
        if (!record.is_array() || record.size() != 2) {
          return fail_f(key_where, "expected [frame, value]");
        }
        MVH_VALUE_KEY_TYPE key{};
        if (!frame_read_f(record[0], key_where, &key.frame) ||
            !float_read_f(record[1], key_where, &key.value)) {
          return false;
        }
        track.keys.push_back(key);
      }
      figure->channel_tracks.push_back(track);
    }
    return true;
  }

  bool animation_read_f(const json& document, CLI_ANIMATION_TYPE* animation) {
    if (!document.is_object()) {
      return fail_f("", "the document is not a JSON object");
    }
    if (!members_check_f(document, "", {"$schema", "format_version", "frame_rate", "figures"})) {
      return false;
    }
    if (document.contains("format_version") &&
        (!document["format_version"].is_number_integer() ||
         document["format_version"].get<std::int64_t>() != CLI_JSON_FORMAT_VERSION)) {
      return fail_f("format_version", "this program reads format version " +
                                          std::to_string(CLI_JSON_FORMAT_VERSION) + ", not " +
                                          document["format_version"].dump());
    }
    if (!document.contains("frame_rate") || !document["frame_rate"].is_number()) {
      return fail_f("frame_rate", "expected the frames per second as a number");
    }
    animation->frame_rate = document["frame_rate"].get<double>();
    if (!(animation->frame_rate > 0.0) || animation->frame_rate > CLI_FRAME_RATE_LIMIT) {
      return fail_f("frame_rate", document["frame_rate"].dump() + " is not a frame rate above 0");
    }
    if (!document.contains("figures") || !document["figures"].is_array()) {
      return fail_f("figures", "expected an array of figures");
    }
    const json& figures = document["figures"];
    for (std::size_t index = 0; index < figures.size(); ++index) {
      const std::string where = "figures[" + std::to_string(index) + "]";
      const json& value = figures[index];
      CLI_FIGURE_TYPE figure;
      if (!value.is_object()) {
        return fail_f(where, "expected an object");
      }
      if (!members_check_f(value, where, {"skeleton", "pinned_to_floor", "orientation_keys", "channel_keys"})) {
        return false;
      }
      if (!value.contains("skeleton")) {
        return fail_f(where, "a figure needs a \"skeleton\"");
      }
      if (!skeleton_read_f(value["skeleton"], where + ".skeleton", &figure.skeleton)) {
        return false;
      }
      if (value.contains("pinned_to_floor")) {
        if (!value["pinned_to_floor"].is_boolean()) {
          return fail_f(where + ".pinned_to_floor", "expected true or false");
        }
        figure.pinned = value["pinned_to_floor"].get<bool>();
      }
      if (value.contains("orientation_keys") &&
          !orientation_keys_read_f(value["orientation_keys"], where + ".orientation_keys", &figure)) {
        return false;
      }
      if (value.contains("channel_keys") &&
          !channel_keys_read_f(value["channel_keys"], where + ".channel_keys", &figure)) {
        return false;
      }
      animation->figures.push_back(figure);
    }
    return true;
  }

 private:
  std::string* error_;
};

using ordered_json = nlohmann::ordered_json;

// The shortest decimal that reads back as the same float, as a JSON number.
ordered_json cli_float_json_get_f(float value) {
  char text[64];
  const auto written = std::to_chars(text, text + sizeof(text), value);
  double wide = static_cast<double>(value);
  if (written.ec == std::errc()) {
    double parsed = 0.0;
    const auto read = std::from_chars(text, written.ptr, parsed);
    if (read.ec == std::errc()) {
      wide = parsed;
    }
  }
  return ordered_json(wide);
}

void cli_json_text_append(const ordered_json& value, int depth, std::string* text) {
  const std::string indent(static_cast<std::size_t>(depth) * 2, ' ');
  const std::string inner(static_cast<std::size_t>(depth + 1) * 2, ' ');
  if (value.is_object()) {
    if (value.empty()) {
      *text += "{}";
      return;
    }
    bool flat = true;
    for (auto member = value.begin(); member != value.end(); ++member) {
      flat = flat && member.value().is_primitive();
    }
    if (flat) {
      // A small record such as {"name": "mast", "internal_name": "mast_joint"}.
      *text += "{";
      bool first_member = true;
      for (auto member = value.begin(); member != value.end(); ++member) {
        *text += first_member ? "" : ", ";
        first_member = false;
        *text += ordered_json(member.key()).dump() + ": " +
                 member.value().dump(-1, ' ', false, ordered_json::error_handler_t::replace);
      }
      *text += "}";
      return;
    }
    *text += "{\n";
    bool first = true;
    for (auto member = value.begin(); member != value.end(); ++member) {
      if (!first) {
        *text += ",\n";
      }
      first = false;
      *text += inner + ordered_json(member.key()).dump() + ": ";
      cli_json_text_append(member.value(), depth + 1, text);
    }
    *text += "\n" + indent + "}";
    return;
  }
  if (value.is_array()) {
    bool flat = true;
    for (const ordered_json& element : value) {
      flat = flat && element.is_primitive();
    }
    if (flat) {
      // dump(-1) writes [1,2,3]; a space after each comma outside strings reads better.
      const std::string compact = value.dump(-1, ' ', false, ordered_json::error_handler_t::replace);
      std::string spaced;
      bool in_string = false;
      bool escaped = false;
      for (const char character : compact) {
        spaced += character;
        if (in_string) {
          if (escaped) {
            escaped = false;
          } else if (character == '\\') {
            escaped = true;
          } else if (character == '"') {
            in_string = false;
          }
        } else if (character == '"') {
          in_string = true;
        } else if (character == ',') {
          spaced += ' ';
        }
      }
      *text += spaced;
      return;
    }
    *text += "[\n";
    for (std::size_t index = 0; index < value.size(); ++index) {
      if (index != 0) {
        *text += ",\n";
      }
      *text += inner;
      cli_json_text_append(value[index], depth + 1, text);
    }
    *text += "\n" + indent + "]";
    return;
  }
  *text += value.dump(-1, ' ', false, ordered_json::error_handler_t::replace);
}

}  // namespace

bool cli_animation_json_parse_f(const json& document, CLI_ANIMATION_TYPE* animation, std::string* error) {
  CLI_JSON_READER_TYPE reader(error);
  *animation = CLI_ANIMATION_TYPE();
  return reader.animation_read_f(document, animation);
}

ordered_json cli_animation_json_get_f(const CLI_ANIMATION_TYPE& animation) {
  ordered_json document = ordered_json::object();
  document["format_version"] = CLI_JSON_FORMAT_VERSION;
  document["frame_rate"] = cli_float_json_get_f(static_cast<float>(animation.frame_rate));
  ordered_json figures = ordered_json::array();
  for (const CLI_FIGURE_TYPE& figure : animation.figures) {
    ordered_json figure_value = ordered_json::object();
    ordered_json skeleton = ordered_json::object();
    if (figure.skeleton.stock) {
      skeleton["stock"] = true;
    } else {
      skeleton["name"] = figure.skeleton.name;
      if (!figure.skeleton.model_file.empty()) {
        skeleton["model_file"] = figure.skeleton.model_file;
      }
      if (figure.skeleton.model_creator != 0) {
        const std::string code = cli_fourcc_text_get_f(figure.skeleton.model_creator);
        if (code.empty()) {
          skeleton["model_creator"] = figure.skeleton.model_creator;
        } else {
          skeleton["model_creator"] = code;
        }
      }
      ordered_json joints = ordered_json::array();
      for (const CLI_JOINT_TYPE& joint : figure.skeleton.joints) {
        ordered_json joint_value = ordered_json::object();
        joint_value["name"] = joint.name;
        if (!joint.internal_name.empty() && joint.internal_name != joint.name) {
          joint_value["internal_name"] = joint.internal_name;
        }
        joints.push_back(joint_value);
      }
      skeleton["joints"] = joints;
    }
    figure_value["skeleton"] = skeleton;
    figure_value["pinned_to_floor"] = figure.pinned;
    ordered_json orientation_keys = ordered_json::object();
    for (const CLI_ORIENTATION_TRACK_TYPE& track : figure.orientation_tracks) {
      ordered_json keys = ordered_json::array();
      for (const MVH_ORIENTATION_KEY_TYPE& key : track.keys) {
        keys.push_back(ordered_json::array({key.frame, cli_float_json_get_f(key.q.w), cli_float_json_get_f(key.q.x),
                                    cli_float_json_get_f(key.q.y), cli_float_json_get_f(key.q.z)}));
      }
      // With two joints of one name only the first one's keys can be told apart.
      if (!orientation_keys.contains(track.joint)) {
        orientation_keys[track.joint] = keys;
      }
    }
    figure_value["orientation_keys"] = orientation_keys;
    ordered_json channel_keys = ordered_json::object();
    for (const CLI_CHANNEL_TRACK_TYPE& track : figure.channel_tracks) {
      ordered_json keys = ordered_json::array();
      for (const MVH_VALUE_KEY_TYPE& key : track.keys) {
        keys.push_back(ordered_json::array({key.frame, cli_float_json_get_f(key.value)}));
      }
      channel_keys[std::to_string(track.channel)] = keys;
    }
    figure_value["channel_keys"] = channel_keys;
    figures.push_back(figure_value);
  }
  document["figures"] = figures;
  return document;
}

std::string cli_json_text_get_f(const ordered_json& document) {
  std::string text;
  cli_json_text_append(document, 0, &text);
  text += '\n';
  return text;
}

bool cli_animation_json_file_read_f(const std::string& path, CLI_ANIMATION_TYPE* animation,
                                    std::string* error) {
  if (!cli_input_file_check_f(path, error)) {
    return false;
  }
  std::ifstream stream(path, std::ios::binary);
  if (!stream) {
    *error = "cannot be opened for reading";
    return false;
  }
  json document;
  try {
    document = json::parse(stream);
  } catch (const json::exception& exception) {
    std::string message = exception.what();
    // "[json.exception.parse_error.101] parse error at line 3, ..." without the tag.
    const std::size_t tag_end = message.find("] ");
    if (message.rfind("[json.exception.", 0) == 0 && tag_end != std::string::npos) {
      message = message.substr(tag_end + 2);
    }
    *error = "not valid JSON: " + message;
    return false;
  }
  return cli_animation_json_parse_f(document, animation, error);
}

bool cli_animation_json_file_write_f(const std::string& path, const CLI_ANIMATION_TYPE& animation,
                                     std::string* error) {
  const std::string text = cli_json_text_get_f(cli_animation_json_get_f(animation));
  const std::string scratch = path + ".tmp-" + std::to_string(cli_process_id_get_f());
  {
    std::ofstream stream(scratch, std::ios::binary | std::ios::trunc);
    if (!stream) {
      *error = "cannot be created";
      return false;
    }
    stream.write(text.data(), static_cast<std::streamsize>(text.size()));
    stream.close();
    if (!stream) {
      std::error_code ignored;
      std::filesystem::remove(scratch, ignored);
      *error = "cannot be written";
      return false;
    }
  }
  std::error_code rename_error;
  std::filesystem::rename(scratch, path, rename_error);
  if (rename_error) {
    std::error_code ignored;
    std::filesystem::remove(scratch, ignored);
    *error = "cannot be replaced (" + rename_error.message() + ")";
    return false;
  }
  return true;
}
