// The stand-in's status window drawn as a one-line progress bar on standard
// error: title, job type, file name and percentage. Drawn only while standard
// error is a terminal; on a pipe or a file nothing is written.
#ifndef CLI_CLI_STATUS_H
#define CLI_CLI_STATUS_H

#include <string>

#include "movara_host.h"

// Installs the drawing listener when standard error is a terminal.
void cli_status_bar_install();
// The line the bar shows for a status window, `width` columns wide at most.
std::string cli_status_line_get_f(const MVH_STATUS_TYPE& status, std::size_t width);

#endif  // CLI_CLI_STATUS_H
