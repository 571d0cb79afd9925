// The JSON form of an animation, read by `export` and written by
// `import --json`, so that one document goes both ways. The format is
// described in README.md beside this file and in animation.schema.json.
#ifndef CLI_CLI_JSON_H
#define CLI_CLI_JSON_H

#include <string>

#include <nlohmann/json.hpp>

#include "cli_animation.h"

constexpr int CLI_JSON_FORMAT_VERSION = 1;

// Reads a document. False, with `error` naming the member that is wrong
// ("figures[0].orientation_keys.Hip[2]: ..."), when it is not a valid animation.
bool cli_animation_json_parse_f(const nlohmann::json& document, CLI_ANIMATION_TYPE* animation,
                                std::string* error);
// The document of an animation, its members in a fixed, readable order.
nlohmann::ordered_json cli_animation_json_get_f(const CLI_ANIMATION_TYPE& animation);
// The document as text: two-space indentation, one key record per line.
std::string cli_json_text_get_f(const nlohmann::ordered_json& document);

// Files. Reading fails with a message that says what is wrong and where.
// Writing goes through a scratch file beside the target, renamed over it
// once complete, so that a failure leaves any earlier file as it was.
bool cli_animation_json_file_read_f(const std::string& path, CLI_ANIMATION_TYPE* animation,
                                    std::string* error);
bool cli_animation_json_file_write_f(const std::string& path, const CLI_ANIMATION_TYPE& animation,
                                     std::string* error);

#endif  // CLI_CLI_JSON_H
