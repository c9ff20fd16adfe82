#include "traffic/RepaintGate.h"

#include <QAbstractScrollArea>
#include <QWidget>

namespace kivo {

RepaintGate::RepaintGate(QList<QWidget *> widgets, std::chrono::milliseconds interval)
    : m_widgets(std::move(widgets)), m_interval(interval.count()), m_timer(interval / 2, [this] { tick(); })
{
}

void RepaintGate::beforeChange()
{
    if (m_held)
        return;
    const qint64 since = m_sinceOpened.isValid() ? m_sinceOpened.elapsed() : m_interval;
    if (since >= m_interval) {
        // Quiet until now: this change paints as usual and opens an interval. No timer runs
        // for it, so a slow stream wakes nothing extra.
        m_sinceOpened.start();
        return;
    }
    // Changes while updates are off record no dirty regions; turning them back on repaints
    // each widget whole, once. A repaint for another reason (an expose, a widget above) still
    // draws them as they are.
    m_held = true;
    for (QWidget *w : std::as_const(m_widgets))
        w->setUpdatesEnabled(false);
    m_timer.start(int(m_interval - since));
}

void RepaintGate::tick()
{
    m_held = false;
    m_sinceOpened.start();
    for (QWidget *w : std::as_const(m_widgets))
        w->setUpdatesEnabled(true);
}

QList<QWidget *> repaintedParts(QAbstractScrollArea *view)
{
    return {view->viewport()};
}

} // namespace kivo
