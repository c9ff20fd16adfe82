#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QString>

#include <optional>

namespace kivo::sessionlog {

// The session log's line format. One line per chunk:
//
//   2026-12-06T17:03:41.123 RX serial:/dev/ttyUSB0 30 31 0D 0A<TAB>01??
//
// local time with milliseconds, the direction, the link (a blank, tab or '%' in it written as %20,
// %09, %25), the bytes as upper-case hex pairs, a tab
// and the bytes as text for people. The hex reads back exactly; the text does not need to. Lines
// starting with '#' are comments: link events, the start and end of the recording. This unit
// needs nothing but Qt Core, so the simulator reads recordings with it too.

enum class Direction { Rx, Tx };

struct Entry
{
    QDateTime time;
    Direction direction = Direction::Rx;
    QString link;
    QByteArray bytes;
};

// The time format of every line: ISO 8601 local time with milliseconds.
[[nodiscard]] QString timeText(const QDateTime &time);

// The text column: every character below 32 or above 127 becomes '?', as in the views, CR, LF
// and tab included, so that a chunk stays on one line and the tab stays the only separator.
[[nodiscard]] QString peopleText(const QString &decoded);

// A chunk's line, ending in '\n'. `decoded` is the bytes as the views decode them.
[[nodiscard]] QByteArray chunkLine(const QDateTime &time, Direction direction, const QString &link,
                                   const QByteArray &bytes, const QString &decoded);
// A comment line, ending in '\n'; line breaks inside the text become blanks.
[[nodiscard]] QByteArray commentLine(const QDateTime &time, const QString &text);

// Reads a chunk line back (with or without its line end). Comments, blank lines and lines that
// are not in the format give nothing.
[[nodiscard]] std::optional<Entry> parseLine(QByteArrayView line);

} // namespace kivo::sessionlog
