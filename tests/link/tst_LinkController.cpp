#include "MainWindow.h"
#include "PtyPair.h"

#include "core/SettingsKeys.h"
#include "core/SettingsStore.h"
#include "link/LinkController.h"
#include "link/PortNames.h"
#include "send/AutoRepeat.h"

#include <QDeadlineTimer>

using namespace kivo;
using namespace kivotest;
namespace SK = kivo::SettingsKeys;

namespace {

// Enabled states of Connect, Disconnect, the auto-repeat tick, Start and Send.
QList<bool> controls(const frmMain &w)
{
    return {button(w, "cmdConnect")->isEnabled(), button(w, "cmdDisconnect")->isEnabled(),
            control<QCheckBox>(w, "chkAutoRepeat")->isEnabled(), button(w, "cmdStart")->isEnabled(),
            button(w, "cmdSend")->isEnabled()};
}
const QList<bool> disconnected{true, false, false, false, false};

} // namespace

// The links' own rules and the serial byte path; connecting, refusals, unplugging, a port that
// comes back, the stored port and endpoint, and the TCP link's state, as the window shows them.
class tst_LinkController : public QObject
{
    Q_OBJECT
    MessageLog m_log;

private slots:
    void init()
    {
        resetStores();
        m_log.boxes.clear();
    }

    void portListIsInNaturalOrder_data()
    {
        DataTable<QStringList, QStringList> row("names", "expected");
        row("COM numbers by value", {"COM10", "COM2", "COM1", "COM15"}, {"COM1", "COM2", "COM10", "COM15"});
        row("ttyS before ttyUSB", {"ttyUSB0", "ttyS10", "ttyACM0", "ttyS1", "ttyS2"},
            {"ttyACM0", "ttyS1", "ttyS2", "ttyS10", "ttyUSB0"});
        row("letter case and leading zeros", {"com3", "COM02", "COM2", "Com1"},
            {"Com1", "COM2", "COM02", "com3"});
        row("prefix first", {"COM1x", "COM1", "COM"}, {"COM", "COM1", "COM1x"});
    }
    void portListIsInNaturalOrder()
    {
        QFETCH(QStringList, names);
        QTEST(PortNames::sortedNaturally(names), "expected");
    }

    void remotePortMustBeWholeNumberInRange_data()
    {
        DataTable<QString, int> row("text", "port"); // 0: no connection attempt
        row("65535", "65535", 65535);
        row("leading zero", "0502", 502);
        row("empty", "", 0);
        row("65536", "65536", 0);
        row("blank inside", "80 ", 0);
        row("overflow", "99999999999999999999", 0);
    }
    void remotePortMustBeWholeNumberInRange()
    {
        QFETCH(QString, text);
        QTEST(int(TcpLink::portNumber(text)), "port");
    }

    void serialBytesFlowBothWaysAndDiscardEmptiesInput()
    {
        PtyPair pty;
        SerialLink link;
        QVERIFY(link.open(pty.slavePath(), u"9600,N,8,1"_s));
        QVERIFY(link.open(pty.slavePath(), u"9600,N,8,1"_s)); // close-then-open, own lock
        const QByteArray fromDevice("ST,+12.34\r\n\x00\xff", 13);
        pty.deviceSends(fromDevice);
        QTRY_COMPARE(link.bytesAvailable(), qint64(fromDevice.size()));
        QCOMPARE(link.readAll(), fromDevice);
        QString error;
        QVERIFY2(link.write(QByteArray("\x02Z\x03", 3), &error), qPrintable(error));
        QByteArray got;
        QTRY_COMPARE(got += pty.deviceReceived(), QByteArray("\x02Z\x03", 3));

        pty.deviceSends("junk");
        QTRY_VERIFY(link.bytesAvailable() > 0);
        link.discardInput();
        QCOMPARE(link.readAll(), QByteArray());
        link.close();
        link.discardInput(); // nothing to do on a closed port, and no failure
        QVERIFY(!link.write("A", &error));
    }

    // Connect applies the line settings and enables the send controls (Start only when auto repeat
    // is ticked), and choosing TCP/IP closes the port; a refused connect shows its box and opens
    // nothing. "attempt" is the port and settings, "pty" the test's pseudo-terminal.
    void connectOpensOnlyAValidPortAndSetsTheSendControls_data()
    {
        DataTable<QString, bool, QString> row("attempt", "ticked", "box"); // no box: connected
        const QString limit = u"Warning|Error|COM15 이하만 사용 가능합니다."_s;
        const QString failed = u"Critical|Error|Connect Failure!"_s;
        row("auto repeat ticked", "pty 19200,N,8,2", true, {});
        row("auto repeat unticked", "pty 19200,N,8,2", false, {});
        row("COM16 over the limit", "COM16 9600,N,8,1", false, limit);
        row("huge COM number", "COM99999999999 9600,N,8,1", false, limit);
        row("COM15 allowed, absent", "COM15 9600,N,8,1", false, failed);
        row("bare COM, absent", "COM 9600,N,8,1", false, failed);
        row("no port chosen", " 9600,N,8,1", false, failed);
        row("even parity", "pty 9600,E,8,1", false, failed);
        row("6 data bits", "pty 9600,N,6,1", false, failed);
        row("4 data bits", "pty 9600,N,4,1", false, failed);
    }
    void connectOpensOnlyAValidPortAndSetsTheSendControls()
    {
        const auto [attempt, ticked, box] = fetch<QString, bool, QString>("attempt", "ticked", "box");
        PtyPair pty;
        frmMain w;
        QCOMPARE(controls(w), disconnected);
        control<QCheckBox>(w, "chkAutoRepeat")->setChecked(ticked);
        const QString port = attempt.section(u' ', 0, 0);
        connectSerial(w, port == u"pty"_s ? pty.slavePath() : port, attempt.section(u' ', 1));
        QCOMPARE(describe(m_log.boxes), box.isEmpty() ? QStringList() : QStringList{box});
        QCOMPARE(w.serialLink().isOpen(), box.isEmpty());
        QCOMPARE(controls(w), (box.isEmpty() ? QList<bool>{false, true, true, ticked, true} : disconnected));
        if (!box.isEmpty())
            return;
        const termios t = pty.attributes();
        QCOMPARE(int(cfgetospeed(&t)), int(B19200));
        QVERIFY(t.c_cflag & CSTOPB);
        control<QRadioButton>(w, "optComm_0")->click();
        QVERIFY(!w.serialLink().isOpen());
    }

    // Unplugging must not leave a dead port looking connected, nor a run going on it.
    void unpluggedPortGoesDisconnectedWithOneErrorBox()
    {
        auto pty = std::make_unique<PtyPair>();
        auto w = openWindow();
        connectSerial(*w, pty->slavePath());
        control<QCheckBox>(*w, "chkAutoRepeat")->setChecked(true);
        choose(*w, "cboDelayTime", u"20"_s);
        control<QLineEdit>(*w, "txtSend")->setText(u"A"_s);
        button(*w, "cmdSend")->click();
        QVERIFY(w->autoRepeat()->isRunning(RunKind::SendBox));
        QByteArray sent; // the run's first send, then a 20 s wait
        QTRY_COMPARE(sent += pty->deviceReceived(), QByteArray("A"));
        pty->unplug();
        QTRY_COMPARE(m_log.boxes.size(), 1);
        QVERIFY(describe(m_log.boxes[0]).startsWith(u"Critical|Error|"_s) && !m_log.boxes[0].text.isEmpty());
        QCOMPARE(controls(*w), disconnected);
        QVERIFY(!w->autoRepeat()->isRunning());
        QTest::qWait(100); // a dying port reports its error in a loop: no second box may follow
        QCOMPARE(m_log.boxes.size(), 1);
        PtyPair back;
        connectSerial(*w, back.slavePath());
        QCOMPARE(controls(*w), (QList<bool>{false, true, true, true, true})); // Start too: still ticked
    }

    // With "Reconnect" ticked a dead port is waited for without a box, connected again under the
    // same name with the same settings, and monitoring goes on as before; Disconnect while waiting
    // stops the waiting, and the port that comes back then stays closed.
    void reconnectWaitsForThePortUntilDisconnect()
    {
        // A device path that stays the same while the device behind it goes and comes back, as a
        // USB adapter's stable name does.
        QTemporaryDir dir;
        const QString name = dir.filePath(u"ttyKIVO"_s);
        const auto pointAt = [&name](const PtyPair &pty) {
            QFile::remove(name);
            QVERIFY(QFile::link(pty.slavePath(), name));
        };
        auto first = std::make_unique<PtyPair>();
        pointAt(*first);
        auto w = openWindow();
        auto *retry = control<QTimer>(*w, "tmrReconnect");
        QCOMPARE(retry->interval(), 1000);
        retry->setInterval(100);
        control<QCheckBox>(*w, "chkReconnect")->setChecked(true);
        connectSerial(*w, name);
        button(*w, "cmdMonOn")->click();
        auto *display = control<QLabel>(*w, "lblIndi");
        first->deviceSends("ST,GS,01,   12.32 kg\r\n");
        QTRY_COMPARE(display->text(), u"12.32"_s);

        first->unplug();
        auto *status = control<QLabel>(*w, "sbrStatus_Link");
        QTRY_VERIFY(!status->isHidden() && status->text().contains(name));
        QVERIFY(!button(*w, "cmdConnect")->isEnabled() && button(*w, "cmdDisconnect")->isEnabled() &&
                !button(*w, "cmdSend")->isEnabled());
        auto second = std::make_unique<PtyPair>();
        pointAt(*second);
        QTRY_VERIFY(w->serialLink().isOpen());
        QVERIFY(status->isHidden() && button(*w, "cmdSend")->isEnabled());
        QCOMPARE(w->serialLink().openedSettings(), u"9600,N,8,1"_s);
        second->deviceSends("ST,GS,01,   45.60 kg\r\n");
        QTRY_COMPARE(display->text(), u"45.60"_s);

        second->unplug();
        QTRY_VERIFY(!status->isHidden());
        button(*w, "cmdDisconnect")->click();
        QVERIFY(status->isHidden() && button(*w, "cmdConnect")->isEnabled());
        PtyPair third;
        pointAt(third);
        QTest::qWait(300); // longer than one retry: nothing may open the port
        QVERIFY(!w->serialLink().isOpen());
        QCOMPARE(m_log.boxes.size(), 0);

        w->close();
        QCOMPARE(ReadSetting(QString(SK::AutoReconnect), QString()), u"True"_s);
        frmMain again;
        QVERIFY(control<QCheckBox>(again, "chkReconnect")->isChecked());
    }

    // A changed port list (an adapter added) must not shift the stored choice to another device; a
    // typed name comes back typed.
    void portIsFoundAgainByNameAfterListChanges()
    {
        PtyPair pty;
        auto before = openWindow();
        before->links()->setPortLister([&] { return QStringList{"ttyUSB0", pty.slavePath(), "ttyS0"}; });
        before->links()->FillPortList();
        choose(*before, "cboPort", pty.slavePath());
        before->close();
        frmMain w;
        auto *cboPort = control<QComboBox>(w, "cboPort");
        w.links()->setPortLister([&] { return QStringList{"ttyS0", "ttyS1", pty.slavePath(), "ttyACM0"}; });
        w.links()->FillPortList();
        w.links()->restorePort();
        QCOMPARE(cboPort->currentText(), pty.slavePath());

        WriteSetting(QString(SK::PortName), u"/dev/kivo-typed"_s);
        w.links()->restorePort();
        QCOMPARE(cboPort->currentIndex(), -1);
        QCOMPARE(cboPort->currentText(), u"/dev/kivo-typed"_s);
    }

    // Without a stored name the stored index counts: an index with no port behind it selects
    // nothing, as in every other list; only an index that exists (or none stored: the first port)
    // selects one.
    void storedPortIndexSelectsOnlyAnExistingPort_data()
    {
        DataTable<QString, int> row("stored", "selected"); // "" for none
        row("beyond the list", "7", -1);
        row("negative", "-1", -1);
        row("not a number", "x", -1);
        row("second port", "1", 1);
        row("none stored", "", 0);
    }
    void storedPortIndexSelectsOnlyAnExistingPort()
    {
        QFETCH(QString, stored);
        if (!stored.isEmpty())
            WriteSetting(QString(SK::Port), stored);
        frmMain w;
        w.links()->setPortLister([] { return QStringList{"ttyS0", "ttyS1"}; });
        w.links()->FillPortList();
        QCOMPARE(control<QComboBox>(w, "cboPort")->currentIndex(), -1);
        w.links()->restorePort();
        QTEST(control<QComboBox>(w, "cboPort")->currentIndex(), "selected");
    }

    // The TCP link reports through the label only: a refused connection, a bad port text and a
    // dropped connection show "Error" until the next close, with no flicker back to "Close"; bytes
    // go out while connected.
    void socketLabelShowsConnectAndFailure()
    {
        QTcpServer server, closed;
        QVERIFY(server.listen(QHostAddress::LocalHost) && closed.listen(QHostAddress::LocalHost));
        closed.close();
        frmMain w;
        auto *label = control<QLabel>(w, "lblSocketState");
        QSignalSpy report(w.links(), &LinkController::socketStateText);
        const auto staysError = [&] {
            QTRY_COMPARE(label->text(), u"TCP- Error"_s);
            report.clear();
            QVERIFY(!report.wait(300)); // no fall back to "Close" behind the error
            QCOMPARE(label->text(), u"TCP- Error"_s);
        };
        QTRY_COMPARE(label->text(), u"TCP- Close"_s);
        w.data().strWinSockIP = u"127.0.0.1"_s;
        for (const QString &port : {QString::number(closed.serverPort()), u"50a"_s}) {
            w.data().strWinSockPort = port;
            w.links()->ConnectTcp();
            staysError();
            w.links()->CloseTcp();
            QTRY_COMPARE(label->text(), u"TCP- Close"_s);
        }
        w.data().strWinSockPort = QString::number(server.serverPort());
        w.links()->ConnectTcp();
        QTRY_COMPARE(label->text(), u"TCP- Connected"_s);
        QTRY_VERIFY(server.hasPendingConnections());
        QTcpSocket *peer = server.nextPendingConnection();
        QString error;
        QVERIFY2(w.tcpLink().write("W?\r\n", &error), qPrintable(error));
        QByteArray atPeer;
        QTRY_COMPARE(atPeer += peer->readAll(), QByteArray("W?\r\n"));
        delete peer;
        staysError();
        QVERIFY(!w.tcpLink().write("x", &error));
        QVERIFY(m_log.boxes.isEmpty());
    }

    // An endpoint stored as typed, blanks and all, still connects at the next start. A silent
    // connection that never delivered data is not retried; one that went silent after data is
    // reopened after the watchdog's 3 s (shortened here once its interval is checked).
    void watchdogReconnectsAfterSilenceOnlyOnceDataFlowed()
    {
        QTcpServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost));
        WriteSetting(QString(SK::WinSockIP), u" 127.0.0.1 "_s);
        WriteSetting(QString(SK::WinSockPort), u" %1"_s.arg(server.serverPort()));
        frmMain w;
        auto *watchdog = control<QTimer>(w, "tmrSocketCheck");
        QCOMPARE(watchdog->interval(), 3000);
        watchdog->setInterval(300);
        control<QRadioButton>(w, "optComm_0")->click();
        button(w, "cmdMonOn")->click(); // monitoring opens the TCP link
        QTRY_VERIFY(server.hasPendingConnections());
        QTcpSocket *first = server.nextPendingConnection();
        QTest::qWait(500); // longer than the watchdog: no reconnect may come
        QVERIFY(!server.hasPendingConnections());
        QVERIFY(!w.links()->isWatchdogArmed());

        first->write("ST,GS,+000.00kg\r\n");
        QTRY_VERIFY(w.links()->isWatchdogArmed());
        const QDeadlineTimer silence(250); // the reconnect may come only once it has expired
        QTRY_VERIFY(server.hasPendingConnections());
        QVERIFY(silence.hasExpired());
        QTRY_COMPARE(w.tcpLink().state(), int(TcpLink::Connected));
    }
};

KIVO_TEST_MAIN(tst_LinkController)
#include "tst_LinkController.moc"
