#include "DataTable.h"
#include "FrameText.h"
#include "ProtocolFrames.h"
#include "Simulator.h"

#include "protocol/FrameReader.h"

#include <QTcpSocket>

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
struct Rig
{
    Rig(Protocol protocol, Pattern pattern, double rate = 20, bool checksum = false)
        : reader(kivo::makeProtocolReader(modeOf(protocol)))
    {
        SimOptions options;
        options.tcpPort = 0;
        options.protocol = protocol;
        options.pattern = pattern;
        options.rate = rate;
        options.checksum = checksum;
        sim = std::make_unique<Simulator>(options);
        QObject::connect(sim.get(), &Simulator::output, [this](const QString &line) { output << line; });
        started = sim->start(&error);
        client.connectToHost(QHostAddress::LocalHost, sim->tcpPort());
        QObject::connect(&client, &QTcpSocket::readyRead, [this] {
            dropped += reader->feed(
                client.readAll(), [this](const kivo::ProtocolFrame &f) { frames << kivotest::frameText(f); });
        });
    }
    bool connected()
    {
        return QTest::qWaitFor([this] { return output.join(u'\n').contains(u"CLIENT"_s); }, 5000);
    }

    std::unique_ptr<kivo::FrameReader> reader;
    std::unique_ptr<Simulator> sim;
    bool started = false;
    QString error;
    QTcpSocket client;
    QStringList frames;
    qint64 dropped = 0;
    QStringList output;
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
        DataTable<Protocol, Unit, int, Status, bool, qint64, bool, QString> row(
            "protocol", "unit", "decimals", "status", "net", "counts", "checksum", "frame");
        row("toledo kg checksum", Protocol::Toledo, Unit::Kg, 2, Status::Stable, false, 1234, true,
            u"12.34 [12.34] kg ST stable"_s);
        row("toledo lb negative net moving", Protocol::Toledo, Unit::Lb, 1, Status::Unstable, true, -56,
            false, u"-5.6 [-5.6] lb US net"_s);
        row("toledo grams no decimals", Protocol::Toledo, Unit::G, 0, Status::Stable, false, 999999, true,
            u"999999 [999999] g ST stable"_s);
        row("toledo tonnes four decimals", Protocol::Toledo, Unit::T, 4, Status::Stable, false, 5, false,
            u"0.0005 [0.0005] t ST stable"_s);
        row("toledo ounces over", Protocol::Toledo, Unit::Oz, 2, Status::Overload, false, 1234, true,
            u"OL [-] oz OL overload"_s);
        row("toledo under", Protocol::Toledo, Unit::Kg, 2, Status::Overload, false, -1234, true,
            u"-OL [-] kg OL overload"_s);
        row("sics grams stable", Protocol::Sics, Unit::G, 2, Status::Stable, false, 10000, false,
            u"100.00 [100] g ST stable"_s);
        row("sics kg dynamic negative", Protocol::Sics, Unit::Kg, 3, Status::Unstable, false, -1500, false,
            u"-1.500 [-1.5] kg US"_s);
        row("sics over", Protocol::Sics, Unit::Kg, 2, Status::Overload, false, 1, false,
            u"OL [-]  OL overload"_s);
        row("sics under", Protocol::Sics, Unit::Kg, 2, Status::Overload, false, -1, false,
            u"-OL [-]  OL overload"_s);
        row("nci lb one decimal", Protocol::Nci, Unit::Lb, 1, Status::Stable, false, 15, false,
            u"1.5 [1.5] lb ST stable"_s);
        row("nci oz moving net negative", Protocol::Nci, Unit::Oz, 2, Status::Unstable, true, -250, false,
            u"-2.50 [-2.5] oz US net"_s);
        row("nci over", Protocol::Nci, Unit::Kg, 2, Status::Overload, false, 1, false,
            u"OL [-]  OL overload"_s);
        row("nci under", Protocol::Nci, Unit::Kg, 2, Status::Overload, false, -1, false,
            u"-OL [-]  OL overload"_s);
        row("sma kg stable", Protocol::Sma, Unit::Kg, 2, Status::Stable, false, 1234, false,
            u"12.34 [12.34] kg ST stable"_s);
        row("sma tonnes moving net", Protocol::Sma, Unit::T, 3, Status::Unstable, true, -3500, false,
            u"-3.500 [-3.5] t US net"_s);
        row("sma zero", Protocol::Sma, Unit::G, 0, Status::Stable, false, 0, false, u"0 [0] g ST stable"_s);
        row("sma over", Protocol::Sma, Unit::Lb, 2, Status::Overload, false, 1, false,
            u"OL [-] lb OL overload"_s);
        row("sma under", Protocol::Sma, Unit::Lb, 2, Status::Overload, false, -1, false,
            u"-OL [-] lb OL overload"_s);
    }
    void framesReadBackThroughTheReaders()
    {
        const auto [protocol, unit, decimals, status, net, counts, checksum] =
            fetch<Protocol, Unit, int, Status, bool, qint64, bool>("protocol", "unit", "decimals", "status",
                                                                   "net", "counts", "checksum");
        const ProtocolFormat format{protocol, unit, decimals, checksum, 1};
        const QByteArray bytes = ProtocolFrames::weight(format, {status, net, counts}, 700);
        const std::unique_ptr<kivo::FrameReader> reader = kivo::makeProtocolReader(modeOf(protocol));
        QStringList frames;
        QCOMPARE(reader->feed(bytes + bytes,
                              [&frames](const kivo::ProtocolFrame &f) { frames << kivotest::frameText(f); }),
                 0);
        QFETCH(QString, frame);
        QCOMPARE(frames, QStringList({frame, frame}));
    }

    // What the program polls with is answered with one frame, and other commands with the
    // protocol's own replies, which are no readings.
    void requestsAreAnswered_data()
    {
        DataTable<Protocol, Pattern, QByteArray, QStringList> row("protocol", "pattern", "request", "frames");
        const QString kg = u"12.34 [12.34] kg ST stable"_s;
        row("sics poll", Protocol::Sics, Pattern::Steady, kivo::pollRequest(kivo::ModeSics), {kg});
        row("sics stable weight", Protocol::Sics, Pattern::Steady, "S\r\n", {kg});
        row("sics overload", Protocol::Sics, Pattern::Overload, "SI\r\n", {u"OL [-]  OL overload"_s});
        row("sics zero then weight", Protocol::Sics, Pattern::Steady, "Z\r\nSI\r\n",
            {u"invalid"_s, u"0.00 [0] kg ST stable"_s});
        row("sics unknown command", Protocol::Sics, Pattern::Steady, "XYZ\r\n", {u"invalid"_s});
        row("nci poll", Protocol::Nci, Pattern::Steady, kivo::pollRequest(kivo::ModeNci), {kg});
        row("nci tare then weight", Protocol::Nci, Pattern::Steady, "T\rW\r",
            {u"invalid"_s, u"0.00 [0] kg ST stable net"_s});
        row("nci overload", Protocol::Nci, Pattern::Overload, "W\r", {u"OL [-]  OL overload"_s});
        row("nci unknown command", Protocol::Nci, Pattern::Steady, "Q\r", {u"invalid"_s});
        row("sma poll", Protocol::Sma, Pattern::Steady, kivo::pollRequest(kivo::ModeSma), {kg});
        row("sma zero answers the weight", Protocol::Sma, Pattern::Steady, "\nZ\r",
            {u"0.00 [0] kg ST stable"_s});
        row("sma unknown command", Protocol::Sma, Pattern::Steady, "\nQ\r", {u"invalid"_s});
    }
    void requestsAreAnswered()
    {
        const auto [protocol, pattern, request] =
            fetch<Protocol, Pattern, QByteArray>("protocol", "pattern", "request");
        QFETCH(QStringList, frames);
        Rig rig(protocol, pattern);
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
        Rig rig(Protocol::Sics, Pattern::Steady, 50);
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
        Rig rig(Protocol::Sics, pattern);
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
        Rig rig(Protocol::Toledo, Pattern::Cycle, 50, true);
        QVERIFY(rig.connected());
        QTRY_VERIFY_WITH_TIMEOUT(rig.frames.size() >= 100, 5000);
        QCOMPARE(rig.dropped, 0);
        QVERIFY(!rig.frames.contains(u"invalid"_s));
        QVERIFY(rig.frames.contains(u"0.00 [0] kg ST stable"_s)); // the cycle starts empty
    }
};
QTEST_GUILESS_MAIN(tst_SimProtocols)
#include "tst_SimProtocols.moc"
