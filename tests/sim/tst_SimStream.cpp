#include "DataTable.h"
#include "SimRig.h"

#include <QElapsedTimer>
#include <QSocketNotifier>

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

using namespace Qt::StringLiterals;
using namespace kivosim;
using kivotest::DataTable;
using kivotest::fetch;

namespace {

// A simulator running in this process with a TCP client that splits what it receives into lines,
// each with the time it came in.
struct Rig : SimRig
{
    explicit Rig(const SimOptions &options)
        : SimRig(options, [this](const QByteArray &bytes) {
              pending += bytes;
              for (int end; (end = pending.indexOf('\n')) >= 0; pending.remove(0, end + 1)) {
                  frames << pending.left(end + 1);
                  arrivals << clock.elapsed();
              }
          })
    {
        clock.start();
    }
    // Frames that arrived after the given frame count, once at least `more` of them are in.
    QList<QByteArray> nextFrames(qsizetype more)
    {
        const qsizetype from = frames.size();
        if (!QTest::qWaitFor([&] { return frames.size() >= from + more; }, 5000))
            return {};
        return frames.mid(from);
    }

    QElapsedTimer clock;
    QByteArray pending;
    QList<QByteArray> frames;
    QList<qint64> arrivals;
};

} // namespace

class tst_SimStream : public QObject
{
    Q_OBJECT
private slots:
    void fixedRateHoldsFiftyFramesPerSecond()
    {
        Rig rig({.rate = 50});
        QVERIFY(rig.started);
        QVERIFY(!rig.nextFrames(1).isEmpty());
        const qint64 begin = rig.arrivals.last();
        const qsizetype first = rig.frames.size();
        QTest::qWait(2000); // the rate is measured over a fixed window
        qsizetype inWindow = 0;
        for (qsizetype i = first; i < rig.arrivals.size(); ++i)
            inWindow += rig.arrivals.at(i) - begin <= 2000 ? 1 : 0;
        QVERIFY2(inWindow >= 90 && inWindow <= 110, qPrintable(QString::number(inWindow)));
        for (const QByteArray &frame : std::as_const(rig.frames))
            QCOMPARE(frame.size(), 22);
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
        QVERIFY(rig.nextFrames(1).first().contains("12.34"));
        rig.client.write(command);
        QTRY_VERIFY(rig.output.contains(said));
        // Frames already on their way may still show the load.
        QTRY_COMPARE(rig.frames.value(rig.frames.size() - 1), frame);
        for (const QByteArray &next : rig.nextFrames(3))
            QCOMPARE(next, frame);
    }

    void streamToggleStopsAndResumesFrames()
    {
        Rig rig({.rate = 100});
        QVERIFY(!rig.nextFrames(2).isEmpty());
        rig.client.write("\x02S\x03");
        QTRY_VERIFY(rig.output.contains(u"CMD S off"_s));
        QVERIFY(!rig.sim->streaming());
        QTest::qWait(100); // frames already sent before the stop arrive
        const qsizetype stopped = rig.frames.size();
        QTest::qWait(400); // a stopped stream must send nothing
        QCOMPARE(rig.frames.size(), stopped);

        rig.client.write("W\r\n"); // one frame on demand while the stream is off
        QTRY_COMPARE(rig.frames.size(), stopped + 1);
        QTest::qWait(200); // one frame on demand, no more
        QCOMPARE(rig.frames.size(), stopped + 1);

        rig.client.write("S\r\n");
        QVERIFY(rig.nextFrames(10).size() >= 10);
    }

    void framesLimitCountsOnlyDeliveredFrames()
    {
        Rig rig({.rate = 200, .frames = 5});
        QSignalSpy finished(rig.sim.get(), &Simulator::finished);
        QVERIFY(finished.wait(5000));
        QTRY_COMPARE(rig.frames.size(), 5);
        QCOMPARE(rig.output.last(), u"SENT 5 frames"_s);
    }

    void maxRateSendsOnlyWholeFramesFast()
    {
        Rig rig({.layout = Layout::Bytes10, .rate = 0});
        QTest::qWait(500); // the flat-out rate is measured over a fixed time
        rig.sim->stop();
        QTRY_VERIFY(rig.output.last().startsWith(QLatin1String("SENT ")));
        QTRY_COMPARE(rig.client.state(), QAbstractSocket::UnconnectedState);
        QVERIFY2(rig.frames.size() > 5000, qPrintable(QString::number(rig.frames.size())));
        QVERIFY(rig.pending.isEmpty());
        for (const QByteArray &frame : std::as_const(rig.frames))
            QCOMPARE(frame, QByteArray("+0012.34\r\n"));
    }

    void ptyCarriesFramesAndCommands()
    {
        Rig rig({.pty = true, .layout = Layout::Bytes10, .rate = 100});
        QVERIFY2(rig.started, qPrintable(rig.error));
        QVERIFY(rig.output.contains(u"PTY "_s + rig.sim->ptyDevice()));

        const int fd =
            ::open(QFile::encodeName(rig.sim->ptyDevice()).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        QVERIFY(fd >= 0);
        QByteArray received;
        QSocketNotifier notifier(fd, QSocketNotifier::Read);
        connect(&notifier, &QSocketNotifier::activated, this, [&] {
            char buffer[512];
            for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;)
                received.append(buffer, n);
        });
        QTRY_VERIFY(received.contains("\r\n+0012.34\r\n")); // raw mode: CR LF passes unchanged
        QCOMPARE(::write(fd, "\x02Z\x03", 3), 3);
        QTRY_VERIFY(rig.output.contains(u"RECV pty HEX 02 5A 03 TEXT <STX>Z<ETX>"_s));
        QTRY_VERIFY(received.endsWith("+0000.00\r\n"));
        ::close(fd);
    }

    void terminalAtAnotherRateGetsNoiseAndIsNotHeard_data()
    {
        DataTable<int, bool> row("speed", "heard");
        row("at the line's 19200", int(B19200), true);
        row("at 9600", int(B9600), false);
    }
    // The terminal's rate is read at each write and each read, as a serial port sets it.
    void terminalAtAnotherRateGetsNoiseAndIsNotHeard()
    {
        const auto [speed, heard] = fetch<int, bool>("speed", "heard");
        SimRig rig({.pty = true, .rate = 50, .line = LineSetting::parse(u"19200,8N1"_s)}, {});
        QVERIFY2(rig.started, qPrintable(rig.error));
        const int fd = ::open(qPrintable(rig.sim->ptyDevice()), O_RDWR | O_NOCTTY | O_NONBLOCK);
        termios mode{};
        ::tcgetattr(fd, &mode);
        ::cfmakeraw(&mode);
        ::cfsetspeed(&mode, speed_t(speed));
        ::tcsetattr(fd, TCSANOW, &mode);
        ::tcflush(fd, TCIFLUSH);
        QByteArray received;
        char buffer[512];
        QTRY_VERIFY(
            (received += QByteArray(buffer, std::max<ssize_t>(0, ::read(fd, buffer, sizeof buffer)))).size() >
            100);
        QCOMPARE(received.contains("ST,GS,01,   12.34 kg\r\n"), heard);
        (void)!::write(fd, "W\r", 2);
        QTRY_VERIFY(!rig.output.filter(u"RECV pty"_s).isEmpty());
        QCOMPARE(rig.output.contains(u"CMD W"_s), heard);
        ::close(fd);
    }
};
QTEST_GUILESS_MAIN(tst_SimStream)
#include "tst_SimStream.moc"
