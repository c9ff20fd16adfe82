#pragma once

#include "app/CommandLine.h"
#include "detect/SettingsFinder.h"

namespace kivo {

// kivo --detect: finds the settings of the indicator on the port named by --port (or the stored
// port) with no window and no display, prints the result on one line and returns the exit
// status: 0 found, 1 not found (or the port could not be used), 2 when there is no port to search.
// Makes its own application object; call it instead of starting the window.
[[nodiscard]] int runDetect(int &argc, char **argv, const CommandLineOptions &options);

// The line printed for a search that found the indicator: "19200,N,8,1 MT-SICS frames=12 time=2.4s".
[[nodiscard]] QString detectLine(const FindResult &result);

} // namespace kivo
