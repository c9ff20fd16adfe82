#pragma once

#include "core/LateTimer.h"

#include <QElapsedTimer>
#include <QList>

#include <chrono>

class QAbstractScrollArea;
class QWidget;

namespace kivo {

// Limits how often busy widgets (a traffic view, the weight display and its lamps) are repainted.
// The first change after a quiet spell is painted at once; changes that follow within the interval
// are painted together when it ends. The widgets' state is always current (readers see every line
// and every weight at once), only their pixels can lag, by one interval at most. At a thousand
// lines a second this turns a thousand repaints of a view into twenty-five. No timer runs while
// changes come slower than the interval, and a held repaint rides along with the next wake-up after
// the interval ends (a stream's next arrival), up to half an interval late.
class RepaintGate
{
public:
    static constexpr std::chrono::milliseconds kInterval{40};

    explicit RepaintGate(QList<QWidget *> widgets, std::chrono::milliseconds interval = kInterval);

    // Call before each change of the widgets.
    void beforeChange();

private:
    void tick();

    QList<QWidget *> m_widgets;
    qint64 m_interval;
    QElapsedTimer m_sinceOpened;
    LateTimer m_timer;
    bool m_held = false;
};

// The part of a scrolling view that new text repaints: the viewport. Its frame stays out, so a
// repaint never reaches the window behind the view; the scroll bars look after themselves
// (SteadyScrollBar.h).
[[nodiscard]] QList<QWidget *> repaintedParts(QAbstractScrollArea *view);

} // namespace kivo
