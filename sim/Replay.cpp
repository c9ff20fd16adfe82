#include "Replay.h"

#include "record/SessionLog.h"

#include <QFile>

#include <cmath>

namespace kivosim {

bool loadReplay(const QString &path, double speed, QList<ReplayChunk> *chunks, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
        return false;
    }
    chunks->clear();
    QDateTime first;
    QDateTime previous;
    qint64 elapsedMs = 0;
    while (!file.atEnd()) {
        const auto entry = kivo::sessionlog::parseLine(file.readLine());
        if (!entry || entry->direction != kivo::sessionlog::Direction::Rx)
            continue;
        if (!first.isValid())
            first = previous = entry->time;
        elapsedMs += std::max<qint64>(0, previous.msecsTo(entry->time));
        previous = entry->time;
        chunks->append({qint64(std::llround(double(elapsedMs) / speed)), entry->bytes});
    }
    if (chunks->isEmpty()) {
        *error = QStringLiteral("%1 holds no received chunks").arg(path);
        return false;
    }
    return true;
}

} // namespace kivosim
