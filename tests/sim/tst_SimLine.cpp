#include "DataTable.h"
#include "SimLine.h"
#include "Simulator.h"

#include <QtTest>

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

using namespace Qt::StringLiterals;
using namespace kivosim;
using kivotest::DataTable;
using kivotest::fetch;

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
        SimOptions options;
        options.pty = true;
        options.rate = 50;
        options.line = LineSetting::parse(u"19200,8N1"_s);
        Simulator sim(options);
        QStringList output;
        QObject::connect(&sim, &Simulator::output, [&output](const QString &line) { output << line; });
        QString error;
        QVERIFY2(sim.start(&error), qPrintable(error));
        const int fd = ::open(qPrintable(sim.ptyDevice()), O_RDWR | O_NOCTTY | O_NONBLOCK);
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
        QTRY_VERIFY(!output.filter(u"RECV pty"_s).isEmpty());
        QCOMPARE(output.contains(u"CMD W"_s), heard);
        ::close(fd);
    }
};
QTEST_GUILESS_MAIN(tst_SimLine)
#include "tst_SimLine.moc"
