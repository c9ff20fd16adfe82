#pragma once

#include "app/CommandLine.h"

class QWidget;

namespace kivo {

struct AppData;

// Makes the command line's choices in a started main window the way a user makes them: it
// finds each control by its name, chooses the list entry, selects the tab, clicks the link option,
// so the window's own handlers run and shut-down stores the choices as usual. The monitoring
// layout and TCP endpoint are set and stored as the Monitoring Setting dialog does.
// --connect and --monitor press their buttons once the event loop runs (after the window shows).
void applyCommandLine(QWidget &window, AppData &data, const CommandLineOptions &options);

} // namespace kivo
