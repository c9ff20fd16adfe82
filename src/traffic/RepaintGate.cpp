#include "traffic/RepaintGate.h"

#include <QAbstractScrollArea>
#include <QScrollBar>
#include <QWidget>

namespace kivo {

RepaintGate::RepaintGate(QList<QWidget *> widgets, std::chrono::milliseconds interval)
    : m_widgets(std::move(widgets))
{
    m_timer.setInterval(interval);
    m_timer.callOnTimeout([this] { tick(); });
}

void RepaintGate::beforeChange()
{
    if (!m_timer.isActive()) {
        // Quiet until now: this change paints as usual and opens an interval.
        m_timer.start();
        return;
    }
    if (!m_held) {
        // Changes while updates are off record no dirty regions; turning them back on repaints
        // each widget whole, once. A repaint for another reason (an expose, a widget above)
        // still draws them as they are.
        m_held = true;
        for (QWidget *w : std::as_const(m_widgets))
            w->setUpdatesEnabled(false);
    }
}

void RepaintGate::tick()
{
    if (!m_held) {
        m_timer.stop();
        return;
    }
    m_held = false;
    for (QWidget *w : std::as_const(m_widgets))
        w->setUpdatesEnabled(true);
}

QList<QWidget *> repaintedParts(QAbstractScrollArea *view)
{
    return {view->viewport()};
}

QList<QWidget *> scrollBarParts(QAbstractScrollArea *view)
{
    // Each scroll bar sits in a container of the scroll area's own, which repaints with it.
    return {view->verticalScrollBar()->parentWidget(), view->horizontalScrollBar()->parentWidget()};
}

} // namespace kivo
