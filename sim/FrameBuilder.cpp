#include "FrameBuilder.h"

#include <cstdlib>

namespace kivosim {

int FrameBuilder::frameLength(Layout layout)
{
    switch (layout) {
    case Layout::Bytes22:
        return 22;
    case Layout::Bytes10:
        return 10;
    case Layout::Bytes18:
        return 18;
    }
    return 0;
}

qint64 FrameBuilder::maxCounts(int decimals)
{
    // One place is kept for the sign and one for the decimal point when there are decimals.
    const int digits = weightWidth - 1 - (decimals > 0 ? 1 : 0);
    qint64 limit = 1;
    for (int i = 0; i < digits; ++i)
        limit *= 10;
    return limit - 1;
}

QByteArray FrameBuilder::weightField(qint64 counts, int decimals, bool zeroFill)
{
    const qint64 limit = maxCounts(decimals);
    const bool negative = counts < 0;
    const qint64 magnitude = std::min<qint64>(std::llabs(counts), limit);

    qint64 scale = 1;
    for (int i = 0; i < decimals; ++i)
        scale *= 10;
    QByteArray digits = QByteArray::number(magnitude / scale);
    if (decimals > 0)
        digits += '.' + QByteArray::number(magnitude % scale).rightJustified(decimals, '0');

    if (zeroFill)
        return (negative ? "-" : "+") + digits.rightJustified(weightWidth - 1, '0');
    if (negative)
        digits.prepend('-');
    return digits.rightJustified(weightWidth, ' ');
}

QByteArray FrameBuilder::statusText(Status status)
{
    switch (status) {
    case Status::Stable:
        return "ST";
    case Status::Unstable:
        return "US";
    case Status::Overload:
        return "OL";
    }
    return "  ";
}

QByteArray FrameBuilder::build(Layout layout, const Reading &reading, int decimals, int id)
{
    const QByteArray header = reading.net ? "NT" : "GS";
    QByteArray frame;
    switch (layout) {
    case Layout::Bytes22:
        frame = statusText(reading.status) + ',' + header + ',' +
                QByteArray::number(id % 100).rightJustified(2, '0') + ',' +
                weightField(reading.counts, decimals, false) + " kg";
        break;
    case Layout::Bytes10:
        frame = weightField(reading.counts, decimals, true);
        break;
    case Layout::Bytes18:
        frame = statusText(reading.status) + ',' + header + ',' +
                weightField(reading.counts, decimals, true) + "kg";
        break;
    }
    return frame + "\r\n";
}

} // namespace kivosim
