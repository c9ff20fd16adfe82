#include "KivoTest.h"

#include "core/Delay.h"

#include <QElapsedTimer>
#include <QTimer>

#include <ctime>

using namespace kivo;

namespace {
double processCpuSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}
} // namespace

class tst_Delay : public QObject
{
    Q_OBJECT
private slots:
    void waitsAtLeastTheTimeWhileEventsRun()
    {
        int ticks = 0;
        bool flagSeenInside = false;
        QTimer t;
        t.setInterval(10);
        connect(&t, &QTimer::timeout, this, [&] {
            ++ticks;
            flagSeenInside = flagSeenInside || isDelaying();
        });
        t.start();
        QElapsedTimer clock;
        clock.start();
        Delay(0.1f);
        const qint64 ms = clock.elapsed();
        QVERIFY2(ms >= 100, qPrintable(QString::number(ms)));
        QVERIFY2(ms < 400, qPrintable(QString::number(ms)));
        QVERIFY(ticks >= 3);
        QVERIFY(flagSeenInside);
        QVERIFY(!isDelaying());
    }

    void zeroReturnsAtOnce()
    {
        QElapsedTimer clock;
        clock.start();
        Delay(0.0f);
        QVERIFY(clock.elapsed() < 50);
        QVERIFY(!isDelaying());
    }

    void sleepsInsteadOfSpinning()
    {
        const double before = processCpuSeconds();
        Delay(0.3f);
        const double used = processCpuSeconds() - before;
        QVERIFY2(used < 0.05, qPrintable(QString::number(used)));
    }

    void nestedDelayClearsTheFlagAtItsEnd()
    {
        bool flagAfterInner = true;
        QTimer::singleShot(10, this, [&] {
            Delay(0.02f);
            flagAfterInner = isDelaying();
        });
        Delay(0.08f);
        QVERIFY(!flagAfterInner);
        QVERIFY(!isDelaying());
    }
};

KIVO_TEST_MAIN(tst_Delay)
#include "tst_Delay.moc"
