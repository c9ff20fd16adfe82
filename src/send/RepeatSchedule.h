#pragma once

#include "core/AppData.h"

#include <QString>

#include <cstdint>

namespace kivo {

// The first ticked row of the repeat list at or after `start`, going on at row 0 after the last
// row; -1 when no row is ticked.
[[nodiscard]] int NextListRow(const AppData &data, int start);

// The delay of a "Delay Time" choice in seconds ("0.01" .. "20"); a choice that is not a number
// (none selected) gives 0.
[[nodiscard]] double repeatDelaySeconds(const QString &choice);

// The count of a "Count" choice: 0 for "Endless" (or anything that is not a positive number).
[[nodiscard]] int32_t repeatCount(const QString &choice);

// When the sends of a run are due, counted from the run's start so that timer lateness never
// adds up over a long run. Slot k is due at k delays after the start; slot 0 is the first send.
class RepeatSchedule
{
public:
    explicit RepeatSchedule(qint64 delayNs) : m_delayNs(delayNs > 0 ? delayNs : 0) {}

    // The slot after `slot`, whose send ran from `sendStartNs` to `sendEndNs`. A send held up in
    // the call (a warning box left open) skips the slots that passed meanwhile instead of sending
    // them in a burst; a timer that fired late is caught up, so the pace holds over the run.
    [[nodiscard]] qint64 slotAfter(qint64 slot, qint64 sendStartNs, qint64 sendEndNs) const;

    [[nodiscard]] qint64 dueNs(qint64 slot) const { return slot * m_delayNs; }

    // Milliseconds to wait from `nowNs` until `slot` is due, rounded up so that a wait never ends
    // before its slot.
    [[nodiscard]] int waitMs(qint64 slot, qint64 nowNs) const;

private:
    qint64 m_delayNs;
};

} // namespace kivo
