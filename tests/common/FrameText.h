#pragma once

// A protocol reader's frame as one line, so a table row states everything read in one string:
// "<weightText> [<weight>] <unit> <status>" and the flags that are set, or "invalid".
//     "-12.50 [-12.5] kg US net", "OL [-]  OL overload"

#include "protocol/FrameReader.h"

namespace kivotest {

inline QString frameText(const kivo::ProtocolFrame &f)
{
    if (!f.valid)
        return QStringLiteral("invalid");
    QString line =
        QStringLiteral("%1 [%2] %3 %4")
            .arg(f.weightText, f.weight ? QString::number(*f.weight) : QStringLiteral("-"), f.unit, f.status);
    for (const auto &[on, name] : {std::pair{f.stable, "stable"}, {f.overload, "overload"}, {f.net, "net"}}) {
        if (on)
            line += u' ' + QLatin1String(name);
    }
    return line;
}

// The frames the reader reads from the bytes, each as frameText; the bytes it drops are added to
// *dropped.
inline QStringList readFrames(kivo::FrameReader &reader, const QByteArray &bytes, qint64 *dropped = nullptr)
{
    QStringList frames;
    const qint64 d = reader.feed(bytes, [&frames](const kivo::ProtocolFrame &f) { frames << frameText(f); });
    if (dropped)
        *dropped += d;
    return frames;
}

} // namespace kivotest
