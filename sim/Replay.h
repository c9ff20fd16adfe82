#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

namespace kivosim {

// One received chunk of a recording, due `atMs` after the first one (already scaled by the speed).
struct ReplayChunk
{
    qint64 atMs = 0;
    QByteArray bytes;
};

// Reads the received (RX) chunks of a session log that kivo recorded, in file order, with their
// times relative to the first one and divided by `speed`. Sent chunks, comments and lines not in
// the format are skipped. A time earlier than the one before (the clock was set back) counts as
// no pause. On failure returns false with the reason.
[[nodiscard]] bool loadReplay(const QString &path, double speed, QList<ReplayChunk> *chunks, QString *error);

} // namespace kivosim
