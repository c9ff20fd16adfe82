#include "core/LateTimer.h"

#include <QAbstractEventDispatcher>

namespace kivo {

LateTimer::LateTimer(std::chrono::milliseconds slack, std::function<void()> due, QObject *parent)
    : QObject(parent), m_due(std::move(due)), m_slack(slack.count())
{
    m_clock.start();
    m_backstop.setSingleShot(true);
    m_backstop.setTimerType(Qt::PreciseTimer);
    m_backstop.callOnTimeout(this, &LateTimer::fire);
}

void LateTimer::start(qint64 msec)
{
    msec = std::max<qint64>(0, msec);
    m_deadline = m_clock.elapsed() + msec;
    m_active = true;
    m_backstop.start(int(msec + m_slack));
    if (!m_beforeSleep) {
        if (QAbstractEventDispatcher *loop = QAbstractEventDispatcher::instance(thread()))
            m_beforeSleep =
                connect(loop, &QAbstractEventDispatcher::aboutToBlock, this, &LateTimer::runIfDue);
    }
}

void LateTimer::stop()
{
    m_active = false;
    m_backstop.stop();
    disconnect(m_beforeSleep);
    m_beforeSleep = {};
}

bool LateTimer::runIfDue()
{
    if (!m_active || m_clock.elapsed() < m_deadline)
        return false;
    fire();
    return true;
}

void LateTimer::fire()
{
    if (!m_active)
        return;
    stop();
    m_due(); // may arm the timer again
}

} // namespace kivo
