#include "KivoTest.h"

#include "core/Delay.h"

#include <QElapsedTimer>
#include <QTimer>

#include <ctime>

using namespace kivo;

class tst_Delay : public QObject
{
    Q_OBJECT
private slots:
    // Delay waits at least its time with events running and the flag set meanwhile, sleeping
    // rather than spinning; a zero delay returns at once.
    void waitsAtLeastTheTimeWhileEventsRunAndSleeps()
    {
        int ticks = 0;
        bool flagSeenInside = false;
        QTimer t;
        connect(&t, &QTimer::timeout, this, [&] {
            ++ticks;
            flagSeenInside = flagSeenInside || isDelaying();
        });
        t.start(10);
        QElapsedTimer clock;
        clock.start();
        const std::clock_t cpuBefore = std::clock(); // the process's processor time
        Delay(0.3f);
        const double cpu = double(std::clock() - cpuBefore) / CLOCKS_PER_SEC;
        const qint64 ms = clock.elapsed();
        QVERIFY2(ms >= 300 && ms < 600, qPrintable(QString::number(ms)));
        QVERIFY2(cpu < 0.05, qPrintable(QString::number(cpu)));
        QVERIFY(ticks >= 3 && flagSeenInside && !isDelaying());
        clock.restart();
        Delay(0.0f);
        QVERIFY(clock.elapsed() < 50 && !isDelaying());
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
