#include "DataTable.h"
#include "SimLine.h"
#include "Simulator.h"

#include <QSocketNotifier>

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

using namespace Qt::StringLiterals;
using namespace kivosim;
using kivotest::DataTable;
using kivotest::fetch;

namespace {

// A terminal on the simulator's pseudo-terminal, set to a bit rate as a serial port would set it.
struct Terminal
{
    int fd = -1;
    QByteArray received;
    std::unique_ptr<QSocketNotifier> notifier;

    Terminal(const QString &device, speed_t speed)
    {
        fd = ::open(device.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        termios mode{};
        ::tcgetattr(fd, &mode);
        ::cfmakeraw(&mode);
        ::cfsetspeed(&mode, speed);
        ::tcsetattr(fd, TCSANOW, &mode);
        ::tcflush(fd, TCIFLUSH);
        notifier = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
        QObject::connect(notifier.get(), &QSocketNotifier::activated, [this] {
            char buffer[512];
            for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;)
                received.append(buffer, n);
        });
    }
    ~Terminal()
    {
        notifier.reset();
        ::close(fd);
    }
    void send(const QByteArray &bytes) const { (void)!::write(fd, bytes.constData(), size_t(bytes.size())); }
};

} // namespace

class tst_SimLine : public QObject
{
    Q_OBJECT
private slots:
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

    void otherBitRateGetsNoiseOfScaledLength_data()
    {
        DataTable<int, int> row("terminalRate", "length");
        row("twice as fast: twice the characters", 19200, 44);
        row("half as fast: half", 4800, 11);
        row("far faster: at most four times", 115200, 88);
        row("far slower: at least one", 300, 1);
    }
    void otherBitRateGetsNoiseOfScaledLength()
    {
        const auto [terminalRate, length] = fetch<int, int>("terminalRate", "length");
        const QByteArray frame = "ST,GS,01,   12.34 kg\r\n";
        LineGarbler garbler(1);
        const QByteArray noise = garbler.received(frame, {9600}, {terminalRate});
        QCOMPARE(noise.size(), length);
        QVERIFY(!noise.contains("12.34"));
    }

    void terminalHearsTheFramesOnlyAtTheLinesRate_data()
    {
        DataTable<int, bool> row("speed", "heard");
        row("at the line's 19200", int(B19200), true);
        row("at 9600", int(B9600), false);
        row("at 115200", int(B115200), false);
    }
    // Frames and commands pass only while the terminal is set to the line; the setting is read
    // at each write, so a terminal that changes its rate is answered at once at the new one.
    void terminalHearsTheFramesOnlyAtTheLinesRate()
    {
        const auto [speed, heard] = fetch<int, bool>("speed", "heard");
        SimOptions options;
        options.pty = true;
        options.rate = 50;
        options.line = LineSetting::parse(u"19200,8N1"_s);
        Simulator sim(options);
        QStringList output;
        QObject::connect(&sim, &Simulator::output, [&output](const QString &line) { output << line; });
        QString error;
        QVERIFY2(sim.start(&error), qPrintable(error));

        Terminal terminal(sim.ptyDevice(), speed_t(speed));
        QTRY_VERIFY(terminal.received.size() > 100);
        QCOMPARE(terminal.received.contains("ST,GS,01,   12.34 kg\r\n"), heard);
        terminal.send("W\r");
        QTRY_VERIFY(output.filter(u"RECV pty"_s).size() == 1);
        QCOMPARE(output.contains(u"CMD W"_s), heard);
        QCOMPARE(output.filter(u"ignored, terminal at"_s).size(), heard ? 0 : 1);
    }
};
QTEST_GUILESS_MAIN(tst_SimLine)
#include "tst_SimLine.moc"
