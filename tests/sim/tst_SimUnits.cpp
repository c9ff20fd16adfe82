#include "CommandDecoder.h"
#include "FrameBuilder.h"
#include "WeightPattern.h"

#include <QtTest>

using namespace kivosim;

class tst_SimUnits : public QObject
{
    Q_OBJECT
private slots:
    // The frames are 22, 10 and 18 bytes long, status and weight at their fixed places.
    void framePutsStatusAndWeightAtLayoutPositions_data()
    {
        QTest::addColumn<int>("layout");
        QTest::addColumn<int>("status");
        QTest::addColumn<bool>("net");
        QTest::addColumn<QByteArray>("frame");
        QTest::newRow("22 stable") << int(Layout::Bytes22) << int(Status::Stable) << false
                                   << QByteArray("ST,GS,01,   12.34 kg\r\n");
        QTest::newRow("22 overload net") << int(Layout::Bytes22) << int(Status::Overload) << true
                                         << QByteArray("OL,NT,01,   12.34 kg\r\n");
        QTest::newRow("10") << int(Layout::Bytes10) << int(Status::Unstable) << false
                            << QByteArray("+0012.34\r\n");
        QTest::newRow("18 unstable") << int(Layout::Bytes18) << int(Status::Unstable) << false
                                     << QByteArray("US,GS,+0012.34kg\r\n");
    }
    void framePutsStatusAndWeightAtLayoutPositions()
    {
        QFETCH(int, layout);
        QFETCH(int, status);
        QFETCH(bool, net);
        QTEST(FrameBuilder::build(Layout(layout), {Status(status), net, 1234}, 2), "frame");
    }

    void weightFieldKeepsEightCharactersWithSign_data()
    {
        QTest::addColumn<qint64>("counts");
        QTest::addColumn<int>("decimals");
        QTest::addColumn<bool>("zeroFill");
        QTest::addColumn<QByteArray>("field");
        QTest::newRow("blank three decimals") << qint64(12345) << 3 << false << QByteArray("  12.345");
        QTest::newRow("blank negative below one") << qint64(-5) << 3 << false << QByteArray("  -0.005");
        QTest::newRow("zero fill three decimals") << qint64(1234) << 3 << true << QByteArray("+001.234");
        QTest::newRow("zero fill negative") << qint64(-1234) << 2 << true << QByteArray("-0012.34");
        QTest::newRow("no decimals") << qint64(1234) << 0 << true << QByteArray("+0001234");
        QTest::newRow("zero") << qint64(0) << 2 << false << QByteArray("    0.00");
        QTest::newRow("too big is clamped") << qint64(123456789) << 2 << true << QByteArray("+9999.99");
        QTest::newRow("too small is clamped") << qint64(-123456789) << 0 << false << QByteArray("-9999999");
    }

    void weightFieldKeepsEightCharactersWithSign()
    {
        QFETCH(qint64, counts);
        QFETCH(int, decimals);
        QFETCH(bool, zeroFill);
        QTEST(FrameBuilder::weightField(counts, decimals, zeroFill), "field");
    }

    void stepSettlesFromUnstableToStable()
    {
        WeightPattern step(Pattern::Step, 1000);
        QCOMPARE(step.sample(0.1).status, Status::Stable);
        QCOMPARE(step.sample(0.1).counts, 0);
        bool swung = false;
        for (double t = WeightPattern::stepStart; t < WeightPattern::stepSettled; t += 0.05) {
            const Reading r = step.sample(t);
            QCOMPARE(r.status, Status::Unstable);
            swung = swung || r.counts > 1000;
        }
        QVERIFY2(swung, "a settling load overshoots its weight at least once");
        QCOMPARE(step.sample(WeightPattern::stepSettled).status, Status::Stable);
        QCOMPARE(step.sample(10).counts, 1000);
    }

    void cycleShowsEveryStatus()
    {
        WeightPattern cycle(Pattern::Cycle, 500);
        QSet<int> seen;
        for (double t = 0; t < WeightPattern::cyclePeriod; t += 0.1)
            seen.insert(int(cycle.sample(t).status));
        QCOMPARE(seen.size(), 3);
        QCOMPARE(cycle.sample(WeightPattern::cyclePeriod + 0.5).counts, 0);
    }

    void commandsAreFoundWithOrWithoutFraming_data()
    {
        QTest::addColumn<QList<QByteArray>>("pieces");
        QTest::addColumn<QList<QByteArray>>("commands");
        using L = QList<QByteArray>;
        QTest::newRow("bare") << L{"Z"} << L{"Z"};
        QTest::newRow("line end") << L{"Z\r\n"} << L{"Z"};
        QTest::newRow("stx etx") << L{"\x02T\x03"} << L{"T"};
        QTest::newRow("stx etx line end") << L{"\x02S\x03\r\n"} << L{"S"};
        QTest::newRow("split across reads") << L{"\x02", "W", "\x03"} << L{"W"};
        QTest::newRow("two in one read") << L{"Z\r\nT\r\n"} << L{"Z", "T"};
        QTest::newRow("blanks trimmed") << L{" s \n"} << L{"s"};
    }

    void commandsAreFoundWithOrWithoutFraming()
    {
        QFETCH(QList<QByteArray>, pieces);
        QFETCH(QList<QByteArray>, commands);
        CommandDecoder decoder;
        QList<QByteArray> found;
        connect(&decoder, &CommandDecoder::command, this, [&found](const QByteArray &c) { found << c; });
        for (const QByteArray &piece : pieces)
            decoder.feed(piece);
        QTRY_COMPARE_WITH_TIMEOUT(found, commands, 1000);
    }
};
QTEST_GUILESS_MAIN(tst_SimUnits)
#include "tst_SimUnits.moc"
