#include "MainWindow.h"

#include "core/MessageBox.h"
#include "monitor/IndicatorPanel.h"
#include "monitor/MonitorController.h"
#include "monitor/frmSetting.h"
#include "protocol/FrameReader.h"
#include "traffic/RxBuffers.h"

#include <QProcess>
#include <QTemporaryDir>

// Each protocol layout through the real window with the simulator speaking it, over a
// pseudo-terminal and over TCP: the weight, the unit the frames carry and the lamps; for the
// layouts that answer requests, polling asks at its interval and the answers show.

using namespace kivo;
using namespace kivotest;

namespace {

struct Bench
{
    Bench(bool tcp, int mode, const QStringList &simArguments)
    {
        sim.start(QStringLiteral(KIVO_SIM_EXE),
                  (tcp ? QStringList{"--tcp", "0"} : QStringList{"--pty", link()}) + simArguments);
        QTRY_VERIFY((out += sim.readAllStandardOutput()).contains("READY\n"));
        QObject::connect(&sim, &QProcess::readyReadStandardOutput,
                         [this] { out += sim.readAllStandardOutput(); });
        w->data().iIndicatorMode = int16_t(mode);
        if (tcp) {
            const QRegularExpressionMatch port =
                QRegularExpression(u"TCP 127.0.0.1:(\\d+)"_s).match(QString::fromLatin1(out));
            QVERIFY(port.hasMatch());
            w->data().strWinSockIP = u"127.0.0.1"_s;
            w->data().strWinSockPort = port.captured(1);
            control<QRadioButton>(*w, "optComm_0")->click();
        } else {
            choose(*w, "cboDelay", u"0"_s);
            connectSerial(*w, link());
        }
    }
    ~Bench()
    {
        sim.terminate();
        sim.waitForFinished(3000);
    }
    QString link() const { return dir.filePath(u"ttySIM"_s); }
    QString shown() const { return control<QLabel>(*w, "lblIndi")->text(); }

    QTemporaryDir dir;
    QProcess sim;
    QByteArray out;
    MessageLog boxes; // the port dies when the simulator ends
    std::unique_ptr<frmMain> w = openWindow();
};

} // namespace

class tst_ProtocolWindow : public QObject
{
    Q_OBJECT
private slots:
    void init() { resetStores(); }

    void protocolDrivesDisplayUnitAndLamps_data()
    {
        // "lamps" as lamps() gives them.
        DataTable<bool, int, QString, QString, QString, QString> row("tcp", "mode", "sim", "shown", "unit",
                                                                     "lamps");
        row("Toledo over the pty, checksums, lb", false, ModeToledo, "--protocol toledo --checksum --unit lb",
            "12.34", "lb", "S-");
        row("Toledo over TCP, in motion, g", true, ModeToledo, "--protocol toledo --unit g --pattern noise",
            "", "g", "--");
        row("MT-SICS over the pty, g", false, ModeSics, "--protocol sics --unit g", "12.34", "g", "S-");
        // Overload replies carry no unit: the display keeps the one it showed (none yet).
        row("MT-SICS over TCP, overload", true, ModeSics, "--protocol sics --pattern overload", "OL", "",
            "-O");
        row("NCI over the pty, lb", false, ModeNci, "--protocol nci --unit lb", "12.34", "lb", "S-");
        row("NCI over TCP, overload", true, ModeNci, "--protocol nci --unit lb --pattern overload", "", "",
            "-O");
        row("SMA over the pty, t", false, ModeSma, "--protocol sma --unit t --weight 1.5", "1.50", "t", "S-");
        row("SMA over TCP, overload", true, ModeSma, "--protocol sma --pattern overload", "", "kg", "-O");
    }
    void protocolDrivesDisplayUnitAndLamps()
    {
        const auto [tcp, mode, sim, shown] =
            fetch<bool, int, QString, QString>("tcp", "mode", "sim", "shown");
        Bench b(tcp, mode, QProcess::splitCommand(sim));
        MonitorOptions polled = b.w->monitor()->options();
        polled.poll = true;
        polled.pollMs = 100;
        b.w->monitor()->setOptions(polled);
        button(*b.w, "cmdMonOn")->click();
        const auto *panel = b.w->findChild<IndicatorPanel *>();
        RxBuffers &rx = tcp ? b.w->tcpBuffers() : b.w->serialBuffers();
        QTRY_VERIFY_WITH_TIMEOUT(rx.framesFound >= 5, 5000);
        QCOMPARE(b.w->monitor()->isPolling(), !pollRequest(mode).isEmpty());
        if (!shown.isEmpty())
            QCOMPARE(b.shown(), shown);
        QVERIFY2(b.shown() != u"READY"_s, qPrintable(b.shown()));
        QTEST(panel->unit(), "unit");
        QTEST(lamps(*b.w), "lamps");
        QCOMPARE(rx.bytesDropped, 0u);
        QVERIFY(b.boxes.boxes.isEmpty());
        if (pollRequest(mode).isEmpty())
            return;

        // Polling: about ten requests a second reach the indicator, and its answers show as RECV.
        const qsizetype before = b.out.count("CMD ");
        QTest::qWait(1000);
        const qsizetype asked = b.out.count("CMD ") - before;
        QVERIFY2(asked >= 6 && asked <= 12, qPrintable(QString::number(asked)));
        const QString asc = control<QTextEdit>(*b.w, "rtfPrintAsc")->toPlainText();
        QVERIFY(asc.contains(u"SEND : "_s) && asc.contains(u"RECV : "_s));
        button(*b.w, "cmdMonOff")->click();
        QVERIFY(!b.w->monitor()->isPolling());
    }
};

KIVO_TEST_MAIN(tst_ProtocolWindow)
#include "tst_ProtocolWindow.moc"
