#include "core/Delay.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

namespace kivo {

namespace {
bool g_delaying = false;
}

bool isDelaying()
{
    return g_delaying;
}

void Delay(float seconds)
{
    g_delaying = true;
    QElapsedTimer clock;
    clock.start();
    const qint64 waitNs = seconds > 0 ? qint64(double(seconds) * 1e9) : 0;
    QEventLoop loop;
    QTimer wake;
    wake.setSingleShot(true);
    wake.setTimerType(Qt::PreciseTimer);
    QObject::connect(&wake, &QTimer::timeout, &loop, &QEventLoop::quit);
    // Strictly more than the requested time, as the wait is defined; 0 returns once the clock moved.
    while (clock.nsecsElapsed() <= waitNs) {
        const qint64 leftMs = (waitNs - clock.nsecsElapsed()) / 1000000 + 1;
        wake.start(int(qMin<qint64>(leftMs, 1000)));
        loop.exec();
    }
    g_delaying = false;
}

} // namespace kivo
