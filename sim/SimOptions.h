#pragma once

#include "FrameBuilder.h"
#include "ProtocolFrames.h"
#include "SimLine.h"
#include "WeightPattern.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace kivosim {

struct SimOptions
{
    int tcpPort = -1; // -1: no TCP endpoint; 0: any free port
    bool pty = false;
    QString ptyLink; // empty: no symbolic link
    Layout layout = Layout::Bytes22;
    double rate = 10.0; // frames per second; 0 means as fast as the links take them
    Pattern pattern = Pattern::Steady;
    double weight = 12.34;
    int decimals = 2;
    int id = 1;
    qint64 frames = 0;  // 0: no limit
    double seconds = 0; // 0: no limit
    PatternShape shape; // gauss and steps
    quint32 seed = 1;
    QString replayFile; // non-empty: send a recording's received bytes instead of frames
    double speed = 1.0; // replay speed: 2 plays twice as fast
    // The pseudo-terminal behaves as a line with these settings: a terminal set otherwise gets
    // noise and is not heard. Nothing: any setting reads the frames.
    std::optional<LineSetting> line;
    Protocol protocol = Protocol::None; // None: the fixed layouts
    Unit unit = Unit::Kg;               // protocols only; the layouts always send kg
    bool checksum = false;              // toledo: a checksum after each frame

    [[nodiscard]] ProtocolFormat protocolFormat() const { return {protocol, unit, decimals, checksum, id}; }

    [[nodiscard]] qint64 targetCounts() const;
};

struct ParsedOptions
{
    SimOptions options;
    bool help = false;
    bool version = false;
    QString error; // one line; empty when the command line is good
};

// Parses the arguments that follow the program name.
[[nodiscard]] ParsedOptions parseSimOptions(const QStringList &arguments);

[[nodiscard]] QString simHelpText();

// "kivo-sim <version>", the version of the Kivo build it belongs to.
[[nodiscard]] QString simVersionText();

} // namespace kivosim
