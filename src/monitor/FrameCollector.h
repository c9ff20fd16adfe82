#pragma once

#include "protocol/FrameReader.h"
#include "protocol/WeightValue.h"
#include "traffic/RxBuffers.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <optional>

namespace kivo {

// Geometry of one layout; byte positions count from 0 here.
struct FrameLayout
{
    int length = 0;             // exact frame length, CR LF included
    int statusPos = -1;         // first status byte, -1 when the layout has none
    int weightPos = 0;          // first of the eight weight bytes
    bool resetWhenLong = false; // drop the collected bytes as soon as they exceed one frame
};

// The layout of a mode, or nullopt for a mode outside 0..2.
[[nodiscard]] std::optional<FrameLayout> frameLayout(int mode);

// What one collected frame carried.
struct FrameStep
{
    bool found = false;
    QString weight;                // trimmed weight field
    std::optional<QString> status; // trimmed status text, for layouts that carry one
};

// The result of feeding one received chunk.
struct ChunkResult
{
    int framesFound = 0;
    std::optional<QString> lastStatus; // status of the last frame that carried one

    explicit operator bool() const { return framesFound > 0; }
};

// The frame step over a received chunk, one byte at a time, so every frame in it is found
// wherever the chunk boundaries fall. Each byte is appended to buffers.bytMonBuf; when the
// collected bytes are exactly one frame of the mode (its length, ending in CR LF) the trimmed
// weight goes into buffers.strWeight, onFrame (when set) gets the frame, and the collection
// starts again. Otherwise the collected bytes are dropped when the mode's reset rule holds (last
// byte LF; for the 22-byte layout also more than 22 bytes). The caller shows buffers.strWeight
// after the chunk and sets the lamps from lastStatus when it is set.
ChunkResult feedChunk(RxBuffers &buffers, const QByteArray &chunk, int mode,
                      const std::function<void(const FrameStep &)> &onFrame = {});

// State of the two lamps for a two-character status: "ST" lights Stable, "OL" lights Overload,
// anything else (compared exactly, case-sensitive) leaves both off.
struct LampState
{
    bool stable = false;
    bool overload = false;
    bool operator==(const LampState &) const = default;
};

[[nodiscard]] LampState ShowLamps(const QString &status);

} // namespace kivo
