#include "cli_status.h"

#include <cstdio>

#include "cli_platform.h"

namespace {

struct CLI_STATUS_BAR_TYPE {
  bool drawn = false;        // a line stands on the terminal
  std::string last_line;     // what was drawn last, to skip redundant redraws
};

CLI_STATUS_BAR_TYPE cli_status_bar;

constexpr std::size_t CLI_STATUS_WIDTH = 79;

void cli_status_changed(const MVH_STATUS_TYPE& status, void* user_data) {
  CLI_STATUS_BAR_TYPE* bar = static_cast<CLI_STATUS_BAR_TYPE*>(user_data);
  if (!status.open) {
    if (bar->drawn) {
      // Blank the line so that the next message starts on a clean line.
      std::fprintf(stderr, "\r%*s\r", static_cast<int>(CLI_STATUS_WIDTH), "");
      std::fflush(stderr);
    }
    bar->drawn = false;
    bar->last_line.clear();
    return;
  }
  const std::string line = cli_status_line_get_f(status, CLI_STATUS_WIDTH);
  if (bar->drawn && line == bar->last_line) {
    return;
  }
  std::fprintf(stderr, "\r%-*s", static_cast<int>(CLI_STATUS_WIDTH), line.c_str());
  std::fflush(stderr);
  bar->drawn = true;
  bar->last_line = line;
}

}  // namespace

std::string cli_status_line_get_f(const MVH_STATUS_TYPE& status, std::size_t width) {
  const long span = status.range_high - status.range_low;
  long percent = 0;
  if (span > 0) {
    const long done = status.progress < 0 ? 0 : status.progress;
    percent = done >= span ? 100 : static_cast<long>((static_cast<double>(done) * 100.0) / static_cast<double>(span));
  } else if (status.progress > 0) {
    percent = 100;
  }
  std::string text = status.title;
  if (!status.job_type.empty()) {
    text += " (" + status.job_type + ")";
  }
  if (!status.job_object.empty()) {
    text += " " + status.job_object;
  }
  const std::string tail = " " + std::to_string(percent) + "%";
  constexpr std::size_t bar_cells = 20;
  std::string bar = " [";
  const std::size_t filled = static_cast<std::size_t>(percent) * bar_cells / 100;
  bar += std::string(filled, '#');
  bar += std::string(bar_cells - filled, '-');
  bar += "]";
  const std::size_t fixed = bar.size() + tail.size();
  if (width > fixed + 3 && text.size() > width - fixed) {
    text = text.substr(0, width - fixed - 3) + "...";
  }
  return text + bar + tail;
}

void cli_status_bar_install() {
  if (cli_stderr_terminal_f()) {
    mvh_status_listener_set(cli_status_changed, &cli_status_bar);
  }
}
