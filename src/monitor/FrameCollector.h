#pragma once

#include "traffic/RxBuffers.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

namespace kivo {

// The three weight-frame layouts an indicator can stream, by their index in the monitoring
// settings (iIndicatorMode).
enum IndicatorModeIndex : int16_t { ModeOrvan22 = 0, ModeOrvan10 = 1, ModeAnd18 = 2 };

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

// The names of the layouts, in mode order, as the settings dialog lists them.
[[nodiscard]] QStringList indicatorModeNames();

// What one collected frame carried.
struct FrameStep
{
    bool found = false;
    std::optional<QString> status; // trimmed status text, for layouts that carry one
};

// The frame step: appends piece to buffers.bytMonBuf, and when the collected bytes are exactly
// one frame of the mode (its length, ending in CR LF) takes the trimmed weight into
// buffers.strWeight and resets the collection. Otherwise drops the collected bytes when the
// mode's reset rule holds (last byte LF; for the 22-byte layout also more than 22 bytes).
// Only the whole collection is judged, so a piece that holds the end of one frame and the start
// of the next finds nothing: feed chunks through feedChunk.
FrameStep CheckFrame(RxBuffers &buffers, const QByteArray &piece, int mode);

// The result of feeding one received chunk.
struct ChunkResult
{
    int framesFound = 0;
    std::optional<QString> lastStatus; // status of the last frame that carried one

    explicit operator bool() const { return framesFound > 0; }
};

// Feeds a received chunk to the frame step one byte at a time, so every frame in it is found
// wherever the chunk boundaries fall. The caller shows buffers.strWeight after the chunk and
// sets the lamps from lastStatus when it is set.
ChunkResult feedChunk(RxBuffers &buffers, const QByteArray &chunk, int mode);

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
