#include "KivoTest.h"

#include "send/RepeatSchedule.h"

using namespace kivo;
using kivotest::DataTable;
using kivotest::fetch;

class tst_RepeatSchedule : public QObject
{
    Q_OBJECT
private slots:
    void nextRowWrapsAndSkipsUnticked_data()
    {
        DataTable<QList<int>, int, int> row("ticked", "start", "expected");
        row("at start", {2, 7}, 2, 2);
        row("between", {2, 7}, 3, 7);
        row("after last wraps to first", {2, 7}, 8, 2);
        row("past row 9 wraps", {0}, 10, 0);
        row("row 9 only", {9}, 0, 9);
        row("none ticked", {}, 0, -1);
    }
    void nextRowWrapsAndSkipsUnticked()
    {
        const auto [ticked, start] = fetch<QList<int>, int>("ticked", "start");
        AppData d;
        for (int r : ticked)
            d.RepeatList[size_t(r)].Enabled = 1;
        QTEST(NextListRow(d, start), "expected");
    }

    void choicesParse_data()
    {
        DataTable<QString, double, QString, int> row("delay", "seconds", "count", "n");
        row("smallest", "0.01", 0.01, "Endless", 0);
        row("largest", "20", 20, "100000", 100000);
        row("none selected", "", 0, "", 0);
    }
    void choicesParse()
    {
        const auto [delay, count] = fetch<QString, QString>("delay", "count");
        QTEST(repeatDelaySeconds(delay), "seconds");
        QTEST(repeatCount(count), "n");
    }

    void scheduleDoesNotDriftWithLateTimers()
    {
        const qint64 ms = 1000000;
        RepeatSchedule s(10 * ms);
        // Every send starts 3 ms after its slot: the next slot stays on the 10 ms grid.
        qint64 slot = 0;
        for (int i = 0; i < 1000; ++i)
            slot = s.slotAfter(slot, s.dueNs(slot) + 3 * ms, s.dueNs(slot) + 4 * ms);
        QCOMPARE(slot, 1000);
        QCOMPARE(s.dueNs(slot), 10000 * ms);
        QCOMPARE(s.waitMs(1, 3 * ms), 7);
        QCOMPARE(s.waitMs(1, 9 * ms + 1), 1);
        QCOMPARE(s.waitMs(1, 12 * ms), 0);
    }

    void heldUpSendSkipsPassedSlotsInsteadOfBursting()
    {
        const qint64 ms = 1000000;
        RepeatSchedule s(10 * ms);
        // Held up 2.5 s in the send (a warning box): the slots that passed are dropped.
        QCOMPARE(s.slotAfter(0, 0, 2500 * ms), 250);
        // A timer that fired 200 ms late (the program was not scheduled) is caught up, slot by slot.
        QCOMPARE(s.slotAfter(0, 200 * ms, 201 * ms), 1);
        QCOMPARE(s.waitMs(1, 201 * ms), 0);
        // A delay longer than the hold leaves nothing to skip.
        QCOMPARE(RepeatSchedule(1000 * ms).slotAfter(0, 0, 900 * ms), 1);
    }
};

KIVO_TEST_MAIN(tst_RepeatSchedule)
#include "tst_RepeatSchedule.moc"
