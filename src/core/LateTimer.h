#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <chrono>
#include <functional>

namespace kivo {

// A single-shot timer for work that may run a little late, so that a steady stream costs no
// wake-ups of its own. Once the deadline has passed, the work runs when the event loop is next
// about to sleep, after whatever woke it (an arrival, a paint, an input event); a backstop timer
// `slack` after the deadline runs it when nothing else wakes the loop. Work that is due is
// therefore never later than the slack, and often shares its wake-up and its screen flush with
// other work.
class LateTimer : public QObject
{
    Q_OBJECT
public:
    LateTimer(std::chrono::milliseconds slack, std::function<void()> due, QObject *parent = nullptr);

    // Arms the timer (again): the work is due `msec` from now.
    void start(qint64 msec);
    void stop();
    [[nodiscard]] bool isActive() const { return m_active; }
    // Runs the work now when it is due; returns whether it ran. For callers that must finish the
    // due work before they go on (bytes gathered before a deadline, before the bytes after it).
    bool runIfDue();

private:
    void fire();

    std::function<void()> m_due;
    qint64 m_slack;
    QElapsedTimer m_clock;
    qint64 m_deadline = 0;
    bool m_active = false;
    QTimer m_backstop;
    QMetaObject::Connection m_beforeSleep;
};

} // namespace kivo
