#include "CommandDecoder.h"
#include "FrameBuilder.h"
#include "SimOptions.h"
#include "WeightPattern.h"

#include <QSignalSpy>
#include <QtTest>

using namespace kivosim;

class SimUnitsTest : public QObject
{
    Q_OBJECT
private slots:
    void framePutsStatusAndWeightAtLayoutPositions_data();
    void framePutsStatusAndWeightAtLayoutPositions();
    void weightFieldKeepsEightCharactersWithSign_data();
    void weightFieldKeepsEightCharactersWithSign();
    void stepSettlesFromUnstableToStable();
    void cycleShowsEveryStatus();
    void commandsAreFoundWithOrWithoutFraming_data();
    void commandsAreFoundWithOrWithoutFraming();
    void badOptionsAreRejectedWithOneLine_data();
    void badOptionsAreRejectedWithOneLine();
    void ptyLinkIsOptional();
};

// Positions count from 1, as in the layout table: status bytes, weight bytes, frame length.
void SimUnitsTest::framePutsStatusAndWeightAtLayoutPositions_data()
{
    QTest::addColumn<int>("layout");
    QTest::addColumn<int>("status");
    QTest::addColumn<bool>("net");
    QTest::addColumn<int>("length");
    QTest::addColumn<int>("statusAt");
    QTest::addColumn<QByteArray>("statusText");
    QTest::addColumn<int>("weightAt");
    QTest::addColumn<QByteArray>("weight");
    QTest::addColumn<QByteArray>("frame");
    QTest::newRow("22 stable") << int(Layout::Bytes22) << int(Status::Stable) << false << 22 << 1
                               << QByteArray("ST") << 10 << QByteArray("   12.34")
                               << QByteArray("ST,GS,01,   12.34 kg\r\n");
    QTest::newRow("22 overload net") << int(Layout::Bytes22) << int(Status::Overload) << true << 22 << 1
                                     << QByteArray("OL") << 10 << QByteArray("   12.34")
                                     << QByteArray("OL,NT,01,   12.34 kg\r\n");
    QTest::newRow("10") << int(Layout::Bytes10) << int(Status::Unstable) << false << 10 << 0 << QByteArray()
                        << 1 << QByteArray("+0012.34") << QByteArray("+0012.34\r\n");
    QTest::newRow("18 unstable") << int(Layout::Bytes18) << int(Status::Unstable) << false << 18 << 1
                                 << QByteArray("US") << 7 << QByteArray("+0012.34")
                                 << QByteArray("US,GS,+0012.34kg\r\n");
}

void SimUnitsTest::framePutsStatusAndWeightAtLayoutPositions()
{
    QFETCH(int, layout);
    QFETCH(int, status);
    QFETCH(bool, net);
    QFETCH(int, length);
    QFETCH(int, statusAt);
    QFETCH(QByteArray, statusText);
    QFETCH(int, weightAt);
    QFETCH(QByteArray, weight);
    QFETCH(QByteArray, frame);
    const QByteArray built = FrameBuilder::build(Layout(layout), {Status(status), net, 1234}, 2);
    QCOMPARE(built, frame);
    QCOMPARE(built.size(), length);
    QVERIFY(built.endsWith("\r\n"));
    QCOMPARE(built.indexOf('\n'), length - 1);
    if (statusAt > 0)
        QCOMPARE(built.mid(statusAt - 1, 2), statusText);
    QCOMPARE(built.mid(weightAt - 1, 8), weight);
}

void SimUnitsTest::weightFieldKeepsEightCharactersWithSign_data()
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

void SimUnitsTest::weightFieldKeepsEightCharactersWithSign()
{
    QFETCH(qint64, counts);
    QFETCH(int, decimals);
    QFETCH(bool, zeroFill);
    QFETCH(QByteArray, field);
    QCOMPARE(FrameBuilder::weightField(counts, decimals, zeroFill), field);
}

void SimUnitsTest::stepSettlesFromUnstableToStable()
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

void SimUnitsTest::cycleShowsEveryStatus()
{
    WeightPattern cycle(Pattern::Cycle, 500);
    QSet<int> seen;
    for (double t = 0; t < WeightPattern::cyclePeriod; t += 0.1)
        seen.insert(int(cycle.sample(t).status));
    QCOMPARE(seen.size(), 3);
    QCOMPARE(cycle.sample(WeightPattern::cyclePeriod + 0.5).counts, 0);
}

void SimUnitsTest::commandsAreFoundWithOrWithoutFraming_data()
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

void SimUnitsTest::commandsAreFoundWithOrWithoutFraming()
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

void SimUnitsTest::badOptionsAreRejectedWithOneLine_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("no endpoint") << QStringList{"--rate", "5"};
    QTest::newRow("unknown option") << QStringList{"--tcp", "0", "--colour"};
    QTest::newRow("stray word") << QStringList{"--tcp", "0", "fast"};
    QTest::newRow("port too big") << QStringList{"--tcp", "65536"};
    QTest::newRow("missing value") << QStringList{"--tcp"};
    QTest::newRow("layout") << QStringList{"--tcp", "0", "--layout", "20"};
    QTest::newRow("rate zero") << QStringList{"--tcp", "0", "--rate", "0"};
    QTest::newRow("rate word") << QStringList{"--tcp", "0", "--rate", "fast"};
    QTest::newRow("pattern") << QStringList{"--tcp", "0", "--pattern", "sine"};
    QTest::newRow("decimals") << QStringList{"--tcp", "0", "--decimals", "7"};
    QTest::newRow("frames zero") << QStringList{"--tcp", "0", "--frames", "0"};
    QTest::newRow("seconds negative") << QStringList{"--tcp", "0", "--seconds=-1"};
    QTest::newRow("weight too wide") << QStringList{"--tcp", "0", "--weight", "123456", "--decimals", "2"};
}

void SimUnitsTest::badOptionsAreRejectedWithOneLine()
{
    QFETCH(QStringList, arguments);
    const ParsedOptions parsed = parseSimOptions(arguments);
    QVERIFY(!parsed.error.isEmpty());
    QVERIFY(!parsed.error.contains(QLatin1Char('\n')));
}

void SimUnitsTest::ptyLinkIsOptional()
{
    ParsedOptions parsed = parseSimOptions({"--pty", "--rate", "max", "--layout=18"});
    QVERIFY2(parsed.error.isEmpty(), qPrintable(parsed.error));
    QVERIFY(parsed.options.pty);
    QVERIFY(parsed.options.ptyLink.isEmpty());
    QCOMPARE(parsed.options.rate, 0.0);
    QCOMPARE(parsed.options.layout, Layout::Bytes18);
    parsed = parseSimOptions({"--pty", "demo/ttyKIVO0", "--tcp", "0"});
    QCOMPARE(parsed.options.ptyLink, QStringLiteral("demo/ttyKIVO0"));
    QCOMPARE(parsed.options.tcpPort, 0);
}

QTEST_GUILESS_MAIN(SimUnitsTest)
#include "tst_SimUnits.moc"
