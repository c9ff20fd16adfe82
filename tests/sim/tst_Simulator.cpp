#include "../app/ChildProcess.h"
#include "CommandDecoder.h"
#include "DataTable.h"
#include "FrameBuilder.h"
#include "FrameText.h"
#include "ProtocolFrames.h"
#include "SimLine.h"
#include "Simulator.h"
#include "WeightPattern.h"

#include "protocol/FrameReader.h"

#include <QTcpSocket>

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

using namespace Qt::StringLiterals;
using namespace kivosim;
using namespace kivotest;

namespace {

const QString kSim = QStringLiteral(KIVO_SIM_EXE);

// The count of the run's last line, "SENT n frames"; -1 without it.
int sentFrames(const QString &out)
{
    const auto m = QRegularExpression(u"(^|\n)SENT (\\d+) frames\n$"_s).match(out);
    return m.hasMatch() ? m.captured(2).toInt() : -1;
}

int modeOf(Protocol protocol)
{
    return protocol == Protocol::None ? -1 : kivo::ModeToledo + int(protocol) - int(Protocol::Toledo);
}

// A simulator running in this process with a TCP client on its free port. What the client receives
// is split into lines, each with the time it came in, and, for a protocol, read through the
// program's reader for it; what the simulator reports is kept in `output`.
struct Rig
{
    explicit Rig(SimOptions options) : reader(kivo::makeProtocolReader(modeOf(options.protocol)))
    {
        options.tcpPort = 0;
        sim = std::make_unique<Simulator>(options);
        QObject::connect(sim.get(), &Simulator::output, [this](const QString &l) { output << l; });
        started = sim->start(&error);
        clock.start();
        client.connectToHost(QHostAddress::LocalHost, sim->tcpPort());
        QObject::connect(&client, &QTcpSocket::readyRead, [this] {
            const QByteArray bytes = client.readAll();
            if (reader)
                frames << readFrames(*reader, bytes);
            for (pending += bytes; pending.contains('\n'); pending.remove(0, lines.last().size())) {
                lines << pending.left(pending.indexOf('\n') + 1);
                arrivals << clock.elapsed();
            }
        });
    }
    // The simulator has taken the client.
    [[nodiscard]] bool connected()
    {
        return QTest::qWaitFor([this] { return output.join(u'\n').contains(QLatin1String("CLIENT")); }, 5000);
    }
    // The lines that arrive from now on, once at least `more` of them are in.
    QList<QByteArray> nextLines(qsizetype more)
    {
        const qsizetype from = lines.size();
        return QTest::qWaitFor([&] { return lines.size() >= from + more; }, 5000) ? lines.mid(from)
                                                                                  : QList<QByteArray>();
    }

    std::unique_ptr<kivo::FrameReader> reader;
    std::unique_ptr<Simulator> sim;
    bool started = false;
    QString error;
    QStringList output;
    QTcpSocket client;
    QElapsedTimer clock;
    QByteArray pending;
    QList<QByteArray> lines;
    QList<qint64> arrivals;
    QStringList frames; // read by the protocol's reader
};

} // namespace

// The simulator's units (frames, weight patterns, commands, line settings); the simulator in this
// process, served over TCP and its pseudo-terminal: the rate of its stream, the commands it obeys,
// and every protocol's frames read back through the program's readers, so each side checks the
// other; and the real kivo-sim executable, as scripts and users run it.
class tst_Simulator : public QObject
{
    Q_OBJECT
private slots:
    // The frames are 22, 10 and 18 bytes long, status and weight at their fixed places; the weight
    // field keeps eight characters with its sign, clamped to what they hold.
    void frameAndWeightFieldKeepTheirLayout_data()
    {
        DataTable<QByteArray, QByteArray> row("built", "expected");
        const auto frame = [](Layout layout, Status status, bool net) {
            return FrameBuilder::build(layout, {status, net, 1234}, 2);
        };
        row("22 stable", frame(Layout::Bytes22, Status::Stable, false), "ST,GS,01,   12.34 kg\r\n");
        row("22 overload net", frame(Layout::Bytes22, Status::Overload, true), "OL,NT,01,   12.34 kg\r\n");
        row("10", frame(Layout::Bytes10, Status::Unstable, false), "+0012.34\r\n");
        row("18 unstable", frame(Layout::Bytes18, Status::Unstable, false), "US,GS,+0012.34kg\r\n");
        const auto field = &FrameBuilder::weightField; // counts, decimals, zero fill
        row("field blank three decimals", field(12345, 3, false), "  12.345");
        row("field blank negative below one", field(-5, 3, false), "  -0.005");
        row("field zero fill three decimals", field(1234, 3, true), "+001.234");
        row("field zero fill negative", field(-1234, 2, true), "-0012.34");
        row("field no decimals", field(1234, 0, true), "+0001234");
        row("field zero", field(0, 2, false), "    0.00");
        row("field too big is clamped", field(123456789, 2, true), "+9999.99");
        row("field too small is clamped", field(-123456789, 0, false), "-9999999");
    }
    void frameAndWeightFieldKeepTheirLayout()
    {
        QFETCH(QByteArray, built);
        QTEST(built, "expected");
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

    void fixedRateHoldsFiftyFramesPerSecond()
    {
        Rig rig({.rate = 50});
        QVERIFY(rig.started);
        QVERIFY(!rig.nextLines(1).isEmpty());
        const qint64 begin = rig.arrivals.last();
        const qsizetype first = rig.lines.size();
        QTest::qWait(2000); // the rate is measured over a fixed window
        const auto inWindow = std::count_if(rig.arrivals.begin() + first, rig.arrivals.end(),
                                            [begin](qint64 at) { return at - begin <= 2000; });
        QVERIFY2(inWindow >= 90 && inWindow <= 110, qPrintable(QString::number(inWindow)));
    }

    void commandChangesTheFrames_data()
    {
        DataTable<Layout, QByteArray, QString, QByteArray> row("layout", "command", "said", "frame");
        // Lower case and STX/ETX framing are obeyed too; each framing alone is the decoder test's.
        row("zero makes the weight zero", Layout::Bytes22, "\x02z\x03\r\n", "CMD Z zero",
            "ST,GS,01,    0.00 kg\r\n");
        row("tare switches frames to net", Layout::Bytes18, "T\r\n", "CMD T tare 1234",
            "ST,NT,+0000.00kg\r\n");
        row("zeroing ends the tare", Layout::Bytes18, "T\r\nZ\r\n", "CMD Z zero", "ST,GS,+0000.00kg\r\n");
    }
    void commandChangesTheFrames()
    {
        const auto [layout, command, said, frame] =
            fetch<Layout, QByteArray, QString, QByteArray>("layout", "command", "said", "frame");
        Rig rig({.layout = layout, .rate = 100});
        QVERIFY(rig.nextLines(1).first().contains("12.34"));
        rig.client.write(command);
        QTRY_VERIFY(rig.output.contains(said));
        // Frames already on their way may still show the load.
        QTRY_COMPARE(rig.lines.value(rig.lines.size() - 1), frame);
        for (const QByteArray &next : rig.nextLines(3))
            QCOMPARE(next, frame);
    }

    void streamToggleStopsAndResumesFrames()
    {
        Rig rig({.rate = 100});
        QVERIFY(!rig.nextLines(2).isEmpty());
        rig.client.write("\x02S\x03");
        QTRY_VERIFY(rig.output.contains(u"CMD S off"_s));
        QTest::qWait(100); // frames already sent before the stop arrive
        const qsizetype stopped = rig.lines.size();
        QTest::qWait(400); // a stopped stream must send nothing
        QCOMPARE(rig.lines.size(), stopped);

        rig.client.write("W\r\n"); // one frame on demand while the stream is off
        QTRY_COMPARE(rig.lines.size(), stopped + 1);
        QTest::qWait(200); // one frame on demand, no more
        QCOMPARE(rig.lines.size(), stopped + 1);

        rig.client.write("S\r\n");
        QVERIFY(rig.nextLines(10).size() >= 10);
    }

    void framesLimitCountsOnlyDeliveredFrames()
    {
        Rig rig({.rate = 200, .frames = 5});
        QSignalSpy finished(rig.sim.get(), &Simulator::finished);
        QVERIFY(finished.wait(5000));
        QTRY_COMPARE(rig.lines.size(), 5);
        QCOMPARE(rig.output.last(), u"SENT 5 frames"_s);
    }

    void maxRateSendsOnlyWholeFramesFast()
    {
        Rig rig({.layout = Layout::Bytes10, .rate = 0});
        QTest::qWait(500); // the flat-out rate is measured over a fixed time
        rig.sim->stop();
        QTRY_VERIFY(rig.output.last().startsWith(QLatin1String("SENT ")));
        QTRY_COMPARE(rig.client.state(), QAbstractSocket::UnconnectedState);
        QVERIFY2(rig.lines.size() > 5000, qPrintable(QString::number(rig.lines.size())));
        QVERIFY(rig.pending.isEmpty());
        QCOMPARE(rig.lines, QList<QByteArray>(rig.lines.size(), "+0012.34\r\n"));
    }

    void terminalIsServedOnlyAtTheLinesRate_data()
    {
        DataTable<QString, int, bool> row("line", "speed", "heard");
        row("no line: the terminal as the simulator set it", {}, 0, true);
        row("at the line's 19200", "19200,8N1", int(B19200), true);
        row("at 9600", "19200,8N1", int(B9600), false);
    }
    // Over the pseudo-terminal frames pass in raw mode and commands are obeyed. With a line set,
    // the terminal's rate is read at each write and each read, as a serial port sets it: a terminal
    // at another rate gets noise and is not heard.
    void terminalIsServedOnlyAtTheLinesRate()
    {
        const auto [line, speed, heard] = fetch<QString, int, bool>("line", "speed", "heard");
        Rig rig({.pty = true, .rate = 50, .line = LineSetting::parse(line)});
        QVERIFY2(rig.started, qPrintable(rig.error));
        QVERIFY(rig.output.contains(u"PTY "_s + rig.sim->ptyDevice()));
        const int fd = ::open(qPrintable(rig.sim->ptyDevice()), O_RDWR | O_NOCTTY | O_NONBLOCK);
        termios mode{};
        ::tcgetattr(fd, &mode);
        ::cfmakeraw(&mode);
        ::cfsetspeed(&mode, speed_t(speed));
        if (speed)
            ::tcsetattr(fd, TCSANOW, &mode);
        ::tcflush(fd, TCIFLUSH);
        QByteArray received;
        const auto read = [&] {
            char buffer[512];
            return received += QByteArray(buffer, std::max<ssize_t>(0, ::read(fd, buffer, sizeof buffer)));
        };
        QTRY_VERIFY(read().size() > 100);
        QCOMPARE(received.contains("\r\nST,GS,01,   12.34 kg\r\n"), heard); // raw mode: CR LF unchanged
        QCOMPARE(::write(fd, "\x02Z\x03", 3), 3);
        QTRY_VERIFY(!rig.output.filter(u"RECV pty"_s).isEmpty());
        QCOMPARE(rig.output.contains(u"RECV pty HEX 02 5A 03 TEXT <STX>Z<ETX>"_s), heard);
        QCOMPARE(rig.output.contains(u"CMD Z zero"_s), heard); // what Z does is commandChangesTheFrames'
        ::close(fd);
    }

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
        QCOMPARE(readFrames(*kivo::makeProtocolReader(modeOf(protocol)), bytes + bytes, &dropped),
                 QStringList({frame, frame}));
        QCOMPARE(dropped, 0);
    }

    // A request for the weight is answered with one frame, and other commands with the protocol's
    // own replies, which are no readings. What the program polls with, on a steady or an overloaded
    // scale, is answered in the window (tst_Monitoring's protocolDrivesDisplayUnitAndLamps).
    void requestsAreAnswered_data()
    {
        using enum Protocol;
        DataTable<Protocol, QByteArray, QStringList> row("protocol", "request", "frames");
        row("sics stable weight", Sics, "S\r\n", {"12.34 [12.34] kg ST stable"});
        row("sics zero then weight", Sics, "Z\r\nSI\r\n", {"invalid", "0.00 [0] kg ST stable"});
        row("sics unknown command", Sics, "XYZ\r\n", {"invalid"});
        row("nci tare then weight", Nci, "T\rW\r", {"invalid", "0.00 [0] kg ST stable net"});
        row("nci unknown command", Nci, "Q\r", {"invalid"});
        row("sma zero answers the weight", Sma, "\nZ\r", {"0.00 [0] kg ST stable"});
        row("sma unknown command", Sma, "\nQ\r", {"invalid"});
    }
    void requestsAreAnswered()
    {
        const auto [protocol, request, frames] =
            fetch<Protocol, QByteArray, QStringList>("protocol", "request", "frames");
        Rig rig({.rate = 20, .protocol = protocol});
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
        QCOMPARE(rig.frames, QStringList(rig.frames.size(), u"12.34 [12.34] kg ST stable"_s));
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
        const qint64 asked = rig.clock.elapsed();
        rig.client.write("S\r\n");
        QTRY_VERIFY_WITH_TIMEOUT(!rig.frames.isEmpty(), 6000);
        QVERIFY2(rig.clock.elapsed() - asked >= atLeastMs,
                 qPrintable(QString::number(rig.clock.elapsed() - asked)));
        QCOMPARE(rig.frames, QStringList{reply});
    }

    void badOptionsExitWithCodeTwo_data()
    {
        DataTable<QString> row("arguments");
        for (const char *line :
             {"", "--rate 5", "--pty --speed 9600", "--tcp 0 fast", "--tcp 65536", "--tcp",
              "--tcp 0 --layout 12", "--tcp 0 --rate -3", "--tcp 0 --rate 0", "--tcp 0 --rate fast",
              "--tcp 0 --pattern sine", "--tcp 0 --decimals 7", "--tcp 0 --frames 0", "--tcp 0 --seconds=-1",
              "--tcp 0 --weight 123456 --decimals 2", "--pty no/such/link", "--tcp 0 --line 9600,8N1",
              "--pty --line 2500,8N1", "--pty --line 9600",
              // The protocols: a unit or checksum they do not send, a weight beyond their six digits.
              "--tcp 0 --protocol mt", "--tcp 0 --unit lb", "--tcp 0 --protocol sics --unit st",
              "--tcp 0 --protocol sics --checksum", "--tcp 0 --checksum",
              "--tcp 0 --protocol nci --layout 10", "--tcp 0 --protocol toledo --weight 12345"})
            row(*line ? line : "nothing", line);
    }
    // A mistyped link folder is refused like any bad option, and no folder is made for it.
    void badOptionsExitWithCodeTwo()
    {
        QFETCH(QString, arguments);
        QTemporaryDir dir;
        ChildProcess sim(kSim, QProcess::splitCommand(arguments), {.workingDir = dir.path()});
        QVERIFY(sim.exits(2, 5000));
        const QString error = sim.err();
        QVERIFY(error.startsWith(u"kivo-sim: "_s));
        QCOMPARE(error.count(u'\n'), 1);
        QVERIFY(sim.out.isEmpty());
        QVERIFY(QDir(dir.path()).isEmpty());
    }

    void signalStopsCleanlyAndRemovesLink_data()
    {
        DataTable<int> row("signalNumber");
        for (const int number : {SIGTERM, SIGINT, SIGHUP})
            row(u"SIG"_s + QLatin1String(sigabbrev_np(number)), number);
    }

    void signalStopsCleanlyAndRemovesLink()
    {
        QFETCH(int, signalNumber);
        QTemporaryDir dir;
        const QString link = dir.filePath(u"ttyKIVO0"_s);
        ChildProcess sim(kSim, {"--pty", link, "--tcp", "0", "--rate", "50"});
        QVERIFY(sim.says(u"READY\n"_s));
        const QRegularExpression start(
            u"^TCP 127\\.0\\.0\\.1:(\\d+)\nPTY (/dev/pts/\\d+)\nLINK (.+)\nREADY\n$"_s);
        const auto match = start.match(sim.out);
        QVERIFY2(match.hasMatch(), qPrintable(sim.out));
        QCOMPARE(match.captured(3), link);
        QCOMPARE(QFileInfo(link).symLinkTarget(), match.captured(2));

        QTest::qWait(300); // let the stream run before the signal ends it
        QVERIFY(sim.endWith(signalNumber));
        QVERIFY(!QFileInfo(link).isSymLink());
        // Slots missed while the machine stalls the process are skipped, so only require a stream.
        QVERIFY2(sentFrames(sim.out) >= 1, qPrintable(sim.out));
    }

    // Output piped into a reader that has gone (head): the run stops cleanly instead of dying on
    // SIGPIPE with its link left behind.
    void lostReaderStopsTheRunAndRemovesLink()
    {
        QTemporaryDir dir;
        const QString link = dir.filePath(u"ttyKIVO0"_s);
        int fds[2];
        QVERIFY(::pipe(fds) == 0);
        ::close(fds[0]); // the reader has gone before the run starts
        ChildProcess sim(kSim, {"--pty", link, "--rate", "50"},
                         {.inChild = [out = fds[1]] { ::dup2(out, STDOUT_FILENO); }});
        const bool clean = sim.exits(0, 5000);
        ::close(fds[1]);
        QVERIFY(clean);
        QVERIFY(!QFileInfo(link).isSymLink());
    }

    void secondsLimitEndsTheRun()
    {
        ChildProcess sim(kSim, {"--pty", "--rate", "20", "--seconds", "0.5"});
        QVERIFY(sim.exits(0, 3000));
        // The first frame goes out at once, then one every 50 ms until the half second is up; a slot
        // missed while the machine stalls the process is skipped, never sent late or in excess.
        QVERIFY2(sentFrames(sim.out) >= 5 && sentFrames(sim.out) <= 11, qPrintable(sim.out));
    }
};
QTEST_GUILESS_MAIN(tst_Simulator)
#include "tst_Simulator.moc"
