#pragma once

#include "core/AppData.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace kivo {

struct TcpEndpoint
{
    QString host;
    QString port;
};

// What the command line asks of the window. Every list value is kept as the entry text of its
// list in the window, so applying it is choosing that entry as a user would.
struct CommandLineOptions
{
    std::optional<QString> port;
    std::optional<QString> bps;
    std::optional<QString> parity;
    std::optional<QString> dataBits;
    std::optional<QString> stopBits;
    std::optional<QString> recvDelay;
    std::optional<ViewTab> tab;
    std::optional<TcpEndpoint> tcp;
    std::optional<int> mode; // index of the monitoring layout
    bool connect = false;
    bool monitor = false;
    bool detect = false; // find the indicator's settings on the port without a window, print them, exit
    QString profileDir;  // empty: the user's own stores
    QString logFile;     // empty: no recording at start
    QString readingsCsv; // empty: captured readings are kept in the table only
};

// The outcome of parsing: either options to run with, or a text to print and an exit status
// (0 for --help and --version on standard output, 2 for a bad command line on standard error).
// --detect takes --port and --profile only: the other options choose in the window.
struct ParsedCommandLine
{
    CommandLineOptions options;
    std::optional<int> exitCode;
    QString text;
};

// Parses kivo's arguments (the first is the program's name). Needs no window and no application
// object, so a bad command line ends before anything is shown.
[[nodiscard]] ParsedCommandLine parseCommandLine(const QStringList &arguments);

// The fixed entries the options choose from, as the window's lists hold them.
namespace CommandLineLists {
[[nodiscard]] QStringList bps();
[[nodiscard]] QStringList parity();
[[nodiscard]] QStringList dataBits();
[[nodiscard]] QStringList stopBits();
[[nodiscard]] QStringList recvDelay();
[[nodiscard]] QStringList tabs();
} // namespace CommandLineLists

} // namespace kivo
