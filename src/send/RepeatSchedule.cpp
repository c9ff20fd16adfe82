#include "send/RepeatSchedule.h"

#include <algorithm>

namespace kivo {

int NextListRow(const AppData &data, int start)
{
    const int rows = AppData::kRepeatRows;
    const int from = ((start % rows) + rows) % rows;
    for (int i = 0; i < rows; ++i) {
        const int row = (from + i) % rows;
        if (data.RepeatList[size_t(row)].Enabled == 1)
            return row;
    }
    return -1;
}

double repeatDelaySeconds(const QString &choice)
{
    bool ok = false;
    const double seconds = choice.trimmed().toDouble(&ok);
    return ok && seconds > 0 ? seconds : 0.0;
}

int32_t repeatCount(const QString &choice)
{
    bool ok = false;
    const int32_t count = choice.trimmed().toInt(&ok);
    return ok && count > 0 ? count : 0;
}

qint64 RepeatSchedule::slotAfter(qint64 slot, qint64 sendStartNs, qint64 sendEndNs) const
{
    const qint64 next = slot + 1;
    // A send call returns within a millisecond or two; one that took longer than this was held up.
    constexpr qint64 kHeldUpNs = 50000000;
    if (m_delayNs == 0 || sendEndNs - sendStartNs <= std::max(kHeldUpNs, m_delayNs))
        return next;
    // The first slot that is not more than half a delay overdue.
    const qint64 graceNs = sendEndNs - m_delayNs / 2;
    const qint64 first = graceNs <= 0 ? 0 : (graceNs + m_delayNs - 1) / m_delayNs;
    return std::max(first, next);
}

int RepeatSchedule::waitMs(qint64 slot, qint64 nowNs) const
{
    const qint64 left = dueNs(slot) - nowNs;
    if (left <= 0)
        return 0;
    return int((left + 999999) / 1000000);
}

} // namespace kivo
