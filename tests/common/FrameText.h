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

} // namespace kivotest
