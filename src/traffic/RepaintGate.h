#pragma once

#include <QList>
#include <QTimer>

#include <chrono>

class QAbstractScrollArea;
class QWidget;

namespace kivo {

// Limits how often busy widgets (a traffic view, the weight display and its lamps) are repainted.
// The first change after a quiet spell is painted at once; changes that follow within the interval
// are painted together when it ends. The widgets' state is always current (readers see every line
// and every weight at once), only their pixels can lag, by one interval at most. At a thousand
// frames a second this turns a thousand repaints of the display, and of the window behind it,
// into twenty-five.
class RepaintGate
{
public:
    static constexpr std::chrono::milliseconds kInterval{40};

    // The scroll bars of a busy view: their look changes little from one line to the next, and
    // a scroll bar drawn in the platform's style costs as much as the lines it scrolls.
    static constexpr std::chrono::milliseconds kScrollBarInterval{200};

    explicit RepaintGate(QList<QWidget *> widgets, std::chrono::milliseconds interval = kInterval);

    // Call before each change of the widgets.
    void beforeChange();

private:
    void tick();

    QList<QWidget *> m_widgets;
    QTimer m_timer;
    bool m_held = false;
};

// The parts of a scrolling view that new text repaints: the viewport, and apart from it the scroll
// bars with their containers (gated at their own, slower pace). Its frame stays out, so a repaint
// never reaches the window behind the view.
[[nodiscard]] QList<QWidget *> repaintedParts(QAbstractScrollArea *view);
[[nodiscard]] QList<QWidget *> scrollBarParts(QAbstractScrollArea *view);

} // namespace kivo
