#include "CommandDecoder.h"
#include "DataTable.h"
#include "FrameBuilder.h"
#include "SimLine.h"
#include "WeightPattern.h"

using namespace kivosim;
using kivotest::DataTable;
using kivotest::fetch;

class tst_SimUnits : public QObject
{
    Q_OBJECT
private slots:
    // The frames are 22, 10 and 18 bytes long, status and weight at their fixed places.
    void framePutsStatusAndWeightAtLayoutPositions_data()
    {
        DataTable<Layout, Status, bool, QByteArray> row("layout", "status", "net", "frame");
        row("22 stable", Layout::Bytes22, Status::Stable, false, "ST,GS,01,   12.34 kg\r\n");
        row("22 overload net", Layout::Bytes22, Status::Overload, true, "OL,NT,01,   12.34 kg\r\n");
        row("10", Layout::Bytes10, Status::Unstable, false, "+0012.34\r\n");
        row("18 unstable", Layout::Bytes18, Status::Unstable, false, "US,GS,+0012.34kg\r\n");
    }
    void framePutsStatusAndWeightAtLayoutPositions()
    {
        const auto [layout, status, net] = fetch<Layout, Status, bool>("layout", "status", "net");
        QTEST(FrameBuilder::build(layout, {status, net, 1234}, 2), "frame");
    }

    void weightFieldKeepsEightCharactersWithSign_data()
    {
        DataTable<qint64, int, bool, QByteArray> row("counts", "decimals", "zeroFill", "field");
        row("blank three decimals", 12345, 3, false, "  12.345");
        row("blank negative below one", -5, 3, false, "  -0.005");
        row("zero fill three decimals", 1234, 3, true, "+001.234");
        row("zero fill negative", -1234, 2, true, "-0012.34");
        row("no decimals", 1234, 0, true, "+0001234");
        row("zero", 0, 2, false, "    0.00");
        row("too big is clamped", 123456789, 2, true, "+9999.99");
        row("too small is clamped", -123456789, 0, false, "-9999999");
    }
    void weightFieldKeepsEightCharactersWithSign()
    {
        const auto [counts, decimals, zeroFill] = fetch<qint64, int, bool>("counts", "decimals", "zeroFill");
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
        DataTable<QList<QByteArray>, QList<QByteArray>> row("pieces", "commands");
        row("bare", {"Z"}, {"Z"});
        row("line end", {"Z\r\n"}, {"Z"});
        row("stx etx", {"\x02T\x03"}, {"T"});
        row("stx etx line end", {"\x02S\x03\r\n"}, {"S"});
        row("split across reads", {"\x02", "W", "\x03"}, {"W"});
        row("two in one read", {"Z\r\nT\r\n"}, {"Z", "T"});
        row("blanks trimmed", {" s \n"}, {"s"});
    }
    void commandsAreFoundWithOrWithoutFraming()
    {
        const auto [pieces, commands] = fetch<QList<QByteArray>, QList<QByteArray>>("pieces", "commands");
        CommandDecoder decoder;
        QList<QByteArray> found;
        connect(&decoder, &CommandDecoder::command, this, [&found](const QByteArray &c) { found << c; });
        for (const QByteArray &piece : pieces)
            decoder.feed(piece);
        QTRY_COMPARE_WITH_TIMEOUT(found, commands, 1000);
    }

    void lineTextReadsRateAndFraming_data()
    {
        DataTable<QString, QString> row("text", "read");
        row("8N1", "2400,8N1", "2400,8N1");
        row("7E1 lower case", "9600,7e1", "9600,7E1");
        row("8O2", "115200,8O2", "115200,8O2");
        row("not a standard rate", "2500,8N1", {});
        row("no framing", "9600", {});
        row("4 data bits", "9600,4N1", {});
        row("mark parity", "9600,8M1", {});
        row("3 stop bits", "9600,8N3", {});
    }
    void lineTextReadsRateAndFraming()
    {
        const auto [text, read] = fetch<QString, QString>("text", "read");
        const std::optional<LineSetting> line = LineSetting::parse(text);
        QCOMPARE(line ? line->text() : QString(), read);
    }

    void receiverSetOtherwiseGetsGarbage_data()
    {
        DataTable<QString, QString, QByteArray> row("line", "terminal", "received");
        row("same line", "9600,8N1", "9600,8N1", "AB\r\n");
        row("other stop bits read the same", "9600,8N1", "9600,8N2", "AB\r\n");
        row("7E1 read as 8N1 shows the parity bit", "9600,7E1", "9600,8N1", "AB\x8d\n");
        row("7O1 read as 8N1 shows the parity bit", "9600,7O1", "9600,8N1", "\xc1\xc2\r\x8a");
        row("7N1 read as 8N1 shows the stop bit", "9600,7N1", "9600,8N1", "\xc1\xc2\x8d\x8a");
        row("8N1 read as 7E1 loses the eighth bit", "9600,8N1", "9600,7E1", "AB\r\n");
    }
    void receiverSetOtherwiseGetsGarbage()
    {
        const auto [line, terminal] = fetch<QString, QString>("line", "terminal");
        LineGarbler garbler(1);
        QTEST(garbler.received("AB\r\n", *LineSetting::parse(line), *LineSetting::parse(terminal)),
              "received");
    }
};
QTEST_GUILESS_MAIN(tst_SimUnits)
#include "tst_SimUnits.moc"
