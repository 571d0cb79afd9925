// `movara`: the command-line host. It runs the stand-in Movara, loads the
// SEQ plug-ins from plugins/ beside the program and drives them as Movara
// does. Verbs: demo, import, export, inspect; `movara VERB --help` tells more.
#include <cstdio>
#include <filesystem>
#include <string>

#include <CLI/CLI.hpp>

#include "cli_platform.h"
#include "cli_status.h"
#include "cli_verbs.h"
#include "movara_host.h"

namespace {

std::string cli_default_plugin_folder_get_f() {
  const std::string folder = cli_executable_folder_get_f();
  if (folder.empty()) {
    return "plugins";
  }
  return (std::filesystem::path(folder) / "plugins").string();
}

// CLI11 reports a wrong command line over two lines; one is enough.
int cli_usage_error_print_f(const CLI::App& app, const CLI::ParseError& error) {
  std::string message = error.what();
  while (!message.empty() && (message.back() == '\n' || message.back() == ' ')) {
    message.pop_back();
  }
  for (char& character : message) {
    if (character == '\n') {
      character = ' ';
    }
  }
  std::fprintf(stderr, "error: %s (see %s --help)\n", message.c_str(), app.get_name().c_str());
  return CLI_EXIT_USAGE;
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"movara: runs the SEQ plug-ins Vestan (import) and Orlune (export) on the stand-in Movara",
               "movara"};
  app.set_version_flag("--version", std::string("movara ") + CLI_VERSION_TEXT);
  app.require_subcommand(1);
  app.fallthrough();
  // Options start with '-' on every platform: on Windows a path may start
  // with '/', which must not be read as a Windows-style option.
  app.allow_windows_style_options(false);

  CLI_OPTIONS_TYPE options;
  options.plugin_folder = cli_default_plugin_folder_get_f();
  app.add_option("--plugins", options.plugin_folder, "Folder that holds the plug-ins")
      ->default_str("plugins/ beside the program");
  app.add_flag("-v,--verbose", options.verbose, "Print every request sent to a plug-in and its answer");

  std::string fault;
  app.add_option("--fault", fault, "FUNCTION:N makes the N-th call of a Movara function fail (for tests)")
      ->group("");

  std::string demo_folder;
  CLI::App* demo = app.add_subcommand(
      "demo", "Export a built-in two-figure animation through Orlune and import the files back through Vestan");
  demo->add_option("DIR", demo_folder, "Folder for the files (default: a fresh temporary folder)");

  std::string import_path;
  std::string import_json;
  CLI::App* import = app.add_subcommand("import", "Import a SEQ file through Vestan and summarise the animation");
  import->add_option("FILE.seq", import_path, "The SEQ file")->required();
  import->add_option("--json", import_json, "Also write the whole animation as a JSON document");

  std::string export_json;
  std::string export_path;
  CLI_RANGE_OPTIONS_TYPE range;
  CLI::App* export_verb = app.add_subcommand(
      "export", "Build an animation from a JSON document and export it through Orlune");
  export_verb->add_option("IN.json", export_json, "The animation as JSON")->required();
  export_verb->add_option("OUT.seq", export_path,
                          "The SEQ file; with several figures OUT_0.seq, OUT_1.seq, ...")
      ->required();
  CLI::Option* start_option =
      export_verb->add_option("--start", range.start_frame, "First frame to export (default 0)");
  CLI::Option* end_option =
      export_verb->add_option("--end", range.end_frame, "Last frame to export (default: the last keyed frame)");

  std::string inspect_path;
  CLI::App* inspect = app.add_subcommand(
      "inspect", "Walk the structure of a SEQ file without importing it and tell where a malformed one goes wrong");
  inspect->add_option("FILE.seq", inspect_path, "The SEQ file")->required();

  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& help) {
    return app.exit(help);
  } catch (const CLI::CallForAllHelp& help) {
    return app.exit(help);
  } catch (const CLI::CallForVersion& version) {
    return app.exit(version);
  } catch (const CLI::ParseError& error) {
    const std::string first = argc > 1 ? argv[1] : "";
    if (!first.empty() && first[0] != '-' && first != "demo" && first != "import" && first != "export" &&
        first != "inspect") {
      std::fprintf(stderr, "error: unknown verb '%s' (verbs: demo, import, export, inspect; see movara --help)\n",
                   argv[1]);
      return CLI_EXIT_USAGE;
    }
    return cli_usage_error_print_f(app, error);
  }
  if (!fault.empty()) {
    const std::size_t colon = fault.rfind(':');
    long call = 0;
    try {
      call = colon == std::string::npos ? 0 : std::stol(fault.substr(colon + 1));
    } catch (const std::exception&) {
      call = 0;
    }
    if (call <= 0) {
      std::fprintf(stderr, "error: --fault %s: expected FUNCTION:N with N from 1 (see movara --help)\n",
                   fault.c_str());
      return CLI_EXIT_USAGE;
    }
    options.fault_function = fault.substr(0, colon);
    options.fault_call = call;
  }
  range.start_given = start_option->count() > 0;
  range.end_given = end_option->count() > 0;

  cli_status_bar_install();
  int status = CLI_EXIT_USAGE;
  if (inspect->parsed()) {
    status = cli_inspect_run_f(inspect_path);
  } else if (import->parsed()) {
    status = cli_import_run_f(options, import_path, import_json);
  } else if (export_verb->parsed()) {
    status = cli_export_run_f(options, export_json, export_path, range);
  } else if (demo->parsed()) {
    status = cli_demo_run_f(options, demo_folder);
  }
  mvh_status_listener_set(nullptr, nullptr);
  mvh_reset();
  std::fflush(stdout);
  return status;
}
