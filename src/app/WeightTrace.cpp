#include "app/WeightTrace.h"

#include <QLabel>
#include <QTimer>

#include <cstdio>

namespace kivo {

void traceWeight(QWidget &window)
{
    auto *display = window.findChild<QLabel *>(QStringLiteral("lblIndi"));
    if (!display)
        return;
    auto *poll = new QTimer(display);
    poll->setInterval(50);
    QObject::connect(poll, &QTimer::timeout, display, [display, last = QString()]() mutable {
        const QString text = display->text();
        if (text == last)
            return;
        last = text;
        std::fputs(("WEIGHT " + text + QLatin1Char('\n')).toLocal8Bit().constData(), stdout);
        std::fflush(stdout);
    });
    poll->start();
}

} // namespace kivo
