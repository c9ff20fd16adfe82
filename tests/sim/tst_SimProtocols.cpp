#include "DataTable.h"
#include "FrameText.h"
#include "ProtocolFrames.h"
#include "SimRig.h"

#include "protocol/FrameReader.h"

using namespace Qt::StringLiterals;
using namespace kivosim;
using kivotest::DataTable;
using kivotest::fetch;

namespace {

int modeOf(Protocol protocol)
{
    return protocol == Protocol::None ? -1 : kivo::ModeToledo + int(protocol) - int(Protocol::Toledo);
}

// A simulator speaking a protocol in this process, and a TCP client reading what it sends through
// the program's reader for that protocol.
struct Rig : SimRig
{
    explicit Rig(const SimOptions &options)
        : SimRig(
              options,
              [this](const QByteArray &bytes) { frames << kivotest::readFrames(*reader, bytes, &dropped); }),
          reader(kivo::makeProtocolReader(modeOf(options.protocol)))
    {
    }

    std::unique_ptr<kivo::FrameReader> reader;
    QStringList frames;
    qint64 dropped = 0;
};

} // namespace

class tst_SimProtocols : public QObject
{
    Q_OBJECT
private slots:
    // Every protocol's frame, built from the maker's description, reads back through the program's
    // reader with its weight, unit, stable, overload and net flags; each frame is sent twice, so
    // a Toledo stream without checksums shows its first frame too.
    void framesReadBackThroughTheReaders_data()
    {
        using enum Protocol;
        using enum Unit;
        using enum Status;
        DataTable<Protocol, Unit, int, Status, bool, qint64, bool, QString> row(
            "protocol", "unit", "decimals", "status", "net", "counts", "checksum", "frame");
        row("toledo kg checksum", Toledo, Kg, 2, Stable, false, 1234, true, "12.34 [12.34] kg ST stable");
        row("toledo lb negative net moving", Toledo, Lb, 1, Unstable, true, -56, false,
            "-5.6 [-5.6] lb US net");
        row("toledo grams no decimals", Toledo, G, 0, Stable, false, 999999, true,
            "999999 [999999] g ST stable");
        row("toledo tonnes four decimals", Toledo, T, 4, Stable, false, 5, false,
            "0.0005 [0.0005] t ST stable");
        row("toledo ounces over", Toledo, Oz, 2, Overload, false, 1234, true, "OL [-] oz OL overload");
        row("toledo under", Toledo, Kg, 2, Overload, false, -1234, true, "-OL [-] kg OL overload");
        row("sics grams stable", Sics, G, 2, Stable, false, 10000, false, "100.00 [100] g ST stable");
        row("sics kg dynamic negative", Sics, Kg, 3, Unstable, false, -1500, false, "-1.500 [-1.5] kg US");
        row("sics over", Sics, Kg, 2, Overload, false, 1, false, "OL [-]  OL overload");
        row("sics under", Sics, Kg, 2, Overload, false, -1, false, "-OL [-]  OL overload");
        row("nci lb one decimal", Nci, Lb, 1, Stable, false, 15, false, "1.5 [1.5] lb ST stable");
        row("nci oz moving net negative", Nci, Oz, 2, Unstable, true, -250, false, "-2.50 [-2.5] oz US net");
        row("nci over", Nci, Kg, 2, Overload, false, 1, false, "OL [-]  OL overload");
        row("nci under", Nci, Kg, 2, Overload, false, -1, false, "-OL [-]  OL overload");
        row("sma kg stable", Sma, Kg, 2, Stable, false, 1234, false, "12.34 [12.34] kg ST stable");
        row("sma tonnes moving net", Sma, T, 3, Unstable, true, -3500, false, "-3.500 [-3.5] t US net");
        row("sma zero", Sma, G, 0, Stable, false, 0, false, "0 [0] g ST stable");
        row("sma over", Sma, Lb, 2, Overload, false, 1, false, "OL [-] lb OL overload");
        row("sma under", Sma, Lb, 2, Overload, false, -1, false, "-OL [-] lb OL overload");
    }
    void framesReadBackThroughTheReaders()
    {
        const auto [protocol, unit, decimals, status, net, counts, checksum, frame] =
            fetch<Protocol, Unit, int, Status, bool, qint64, bool, QString>(
                "protocol", "unit", "decimals", "status", "net", "counts", "checksum", "frame");
        const QByteArray bytes =
            ProtocolFrames::weight({protocol, unit, decimals, checksum, 1}, {status, net, counts}, 700);
        qint64 dropped = 0;
        QCOMPARE(kivotest::readFrames(*kivo::makeProtocolReader(modeOf(protocol)), bytes + bytes, &dropped),
                 QStringList({frame, frame}));
        QCOMPARE(dropped, 0);
    }

    // What the program polls with is answered with one frame, and other commands with the
    // protocol's own replies, which are no readings.
    void requestsAreAnswered_data()
    {
        using enum Protocol;
        using enum Pattern;
        DataTable<Protocol, Pattern, QByteArray, QStringList> row("protocol", "pattern", "request", "frames");
        const QString kg = u"12.34 [12.34] kg ST stable"_s;
        row("sics poll", Sics, Steady, kivo::pollRequest(kivo::ModeSics), {kg});
        row("sics stable weight", Sics, Steady, "S\r\n", {kg});
        row("sics overload", Sics, Overload, "SI\r\n", {"OL [-]  OL overload"});
        row("sics zero then weight", Sics, Steady, "Z\r\nSI\r\n", {"invalid", "0.00 [0] kg ST stable"});
        row("sics unknown command", Sics, Steady, "XYZ\r\n", {"invalid"});
        row("nci poll", Nci, Steady, kivo::pollRequest(kivo::ModeNci), {kg});
        row("nci tare then weight", Nci, Steady, "T\rW\r", {"invalid", "0.00 [0] kg ST stable net"});
        row("nci overload", Nci, Overload, "W\r", {"OL [-]  OL overload"});
        row("nci unknown command", Nci, Steady, "Q\r", {"invalid"});
        row("sma poll", Sma, Steady, kivo::pollRequest(kivo::ModeSma), {kg});
        row("sma zero answers the weight", Sma, Steady, "\nZ\r", {"0.00 [0] kg ST stable"});
        row("sma unknown command", Sma, Steady, "\nQ\r", {"invalid"});
    }
    void requestsAreAnswered()
    {
        const auto [protocol, pattern, request, frames] =
            fetch<Protocol, Pattern, QByteArray, QStringList>("protocol", "pattern", "request", "frames");
        Rig rig({.rate = 20, .pattern = pattern, .protocol = protocol});
        QVERIFY2(rig.started, qPrintable(rig.error));
        QVERIFY(rig.connected());
        QTest::qWait(200); // an indicator that only answers sends nothing unasked
        QVERIFY(rig.frames.isEmpty());
        rig.client.write(request);
        QTRY_COMPARE(rig.frames, frames);
        QTest::qWait(200); // one reply a request, no more
        QCOMPARE(rig.frames, frames);
    }

    // SIR repeats at the rate until the next command; S waits for the load to settle and answers
    // only then, or S I when it does not settle in time.
    void repeatRunsUntilTheNextCommand()
    {
        Rig rig({.rate = 50, .protocol = Protocol::Sics});
        QVERIFY(rig.connected());
        rig.client.write("SIR\r\n");
        QTRY_VERIFY(rig.frames.size() >= 10);
        QVERIFY(std::all_of(rig.frames.begin(), rig.frames.end(),
                            [](const QString &f) { return f == u"12.34 [12.34] kg ST stable"_s; }));
        rig.client.write("@\r\n");
        QTRY_VERIFY(rig.frames.last() == u"invalid"_s); // the reset's "I4 A" reply
        const qsizetype stopped = rig.frames.size();
        QTest::qWait(300); // a stopped repetition sends nothing more
        QCOMPARE(rig.frames.size(), stopped);
    }

    void stableWeightWaitsForTheLoadToSettle_data()
    {
        DataTable<Pattern, QString, qint64> row("pattern", "reply", "atLeastMs");
        // A step load swings from 0.5 s to 2.5 s; a ramp moves for 4 s, longer than S waits (3 s).
        row("settles", Pattern::Step, u"12.34 [12.34] kg ST stable"_s, 1500);
        row("never in time", Pattern::Ramp, u"invalid"_s, 2900);
    }
    void stableWeightWaitsForTheLoadToSettle()
    {
        const auto [pattern, reply, atLeastMs] =
            fetch<Pattern, QString, qint64>("pattern", "reply", "atLeastMs");
        Rig rig({.rate = 20, .pattern = pattern, .protocol = Protocol::Sics});
        QVERIFY(rig.connected());
        QTest::qWait(700); // into the swing of the step
        QElapsedTimer clock;
        clock.start();
        rig.client.write("S\r\n");
        QTRY_VERIFY_WITH_TIMEOUT(!rig.frames.isEmpty(), 6000);
        QVERIFY2(clock.elapsed() >= atLeastMs, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(rig.frames, QStringList{reply});
    }

    void toledoStreamsAtTheRateWithChecksums()
    {
        Rig rig({.rate = 50, .pattern = Pattern::Cycle, .protocol = Protocol::Toledo, .checksum = true});
        QVERIFY(rig.connected());
        QTRY_VERIFY_WITH_TIMEOUT(rig.frames.size() >= 100, 5000);
        QCOMPARE(rig.dropped, 0);
        QVERIFY(!rig.frames.contains(u"invalid"_s));
        QVERIFY(rig.frames.contains(u"0.00 [0] kg ST stable"_s)); // the cycle starts empty
    }
};
QTEST_GUILESS_MAIN(tst_SimProtocols)
#include "tst_SimProtocols.moc"
