#include "MainWindow.h"
#include "PtyPair.h"

#include "core/SettingsKeys.h"
#include "core/SettingsStore.h"
#include "link/LinkController.h"
#include "send/AutoRepeat.h"

#include <QCheckBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTcpServer>

using namespace kivo;
using namespace kivotest;

namespace {

// Enabled states of Connect, Disconnect, the auto-repeat tick, Start and Send.
QList<bool> controls(const frmMain &w)
{
    return {button(w, "cmdConnect")->isEnabled(), button(w, "cmdDisconnect")->isEnabled(),
            control<QCheckBox>(w, "chkAutoRepeat")->isEnabled(), button(w, "cmdStart")->isEnabled(),
            button(w, "cmdSend")->isEnabled()};
}
const QList<bool> connected{false, true, true, false, true};
const QList<bool> disconnected{true, false, false, false, false};

} // namespace

// Connecting, refusals, unplugging and the TCP link's state as the window shows them.
class tst_LinkController : public QObject
{
    Q_OBJECT
private slots:
    void init() { resetStores(); }

    // Connect applies the line settings and enables the send controls (Start only when auto repeat
    // is ticked); choosing TCP/IP closes the port.
    void connectAppliesSettingsAndEnablesTheSendControls_data()
    {
        QTest::addColumn<bool>("autoRepeatTicked");
        QTest::newRow("auto repeat ticked") << true;
        QTest::newRow("auto repeat unticked") << false;
    }
    void connectAppliesSettingsAndEnablesTheSendControls()
    {
        QFETCH(bool, autoRepeatTicked);
        MessageLog log;
        PtyPair pty;
        frmMain w;
        QCOMPARE(controls(w), disconnected);
        control<QCheckBox>(w, "chkAutoRepeat")->setChecked(autoRepeatTicked);
        connectSerial(w, pty.slavePath(), QStringLiteral("19200,N,8,2"));
        QVERIFY(log.boxes.isEmpty());
        QVERIFY(w.serialLink().isOpen());
        QCOMPARE(controls(w), (QList<bool>{false, true, true, autoRepeatTicked, true}));
        const termios t = pty.attributes();
        QCOMPARE(int(cfgetospeed(&t)), int(B19200));
        QVERIFY(t.c_cflag & CSTOPB);
        control<QRadioButton>(w, "optComm_0")->click();
        QVERIFY(!w.serialLink().isOpen());
    }

    void refusedConnectShowsItsBoxAndOpensNothing_data()
    {
        QTest::addColumn<QString>("attempt"); // port and settings; "pty" is the test's pseudo-terminal
        QTest::addColumn<bool>("overLimit");  // the port-limit box, not "Connect Failure!"
        QTest::newRow("COM16 over the limit") << "COM16 9600,N,8,1" << true;
        QTest::newRow("huge COM number") << "COM99999999999 9600,N,8,1" << true;
        QTest::newRow("COM15 allowed, absent") << "COM15 9600,N,8,1" << false;
        QTest::newRow("bare COM, absent") << "COM 9600,N,8,1" << false;
        QTest::newRow("no port chosen") << " 9600,N,8,1" << false;
        QTest::newRow("even parity") << "pty 9600,E,8,1" << false;
        QTest::newRow("6 data bits") << "pty 9600,N,6,1" << false;
        QTest::newRow("4 data bits") << "pty 9600,N,4,1" << false;
    }
    void refusedConnectShowsItsBoxAndOpensNothing()
    {
        QFETCH(QString, attempt);
        QFETCH(bool, overLimit);
        MessageLog log;
        PtyPair pty;
        frmMain w;
        const QString port = attempt.section(u' ', 0, 0);
        connectSerial(w, port == QLatin1String("pty") ? pty.slavePath() : port, attempt.section(u' ', 1));
        QCOMPARE(describe(log.boxes), QStringList{overLimit ? "Warning|Error|COM15 이하만 사용 가능합니다."
                                                            : "Critical|Error|Connect Failure!"});
        QVERIFY(!w.serialLink().isOpen());
        QCOMPARE(controls(w), disconnected);
    }

    // Unplugging must not leave a dead port looking connected, nor a run going on it.
    void unpluggedPortGoesDisconnectedWithOneErrorBox()
    {
        MessageLog log;
        auto pty = std::make_unique<PtyPair>();
        auto w = openWindow();
        connectSerial(*w, pty->slavePath());
        control<QCheckBox>(*w, "chkAutoRepeat")->setChecked(true);
        choose(*w, "cboDelayTime", QStringLiteral("20"));
        control<QLineEdit>(*w, "txtSend")->setText(QStringLiteral("A"));
        button(*w, "cmdSend")->click();
        QVERIFY(w->autoRepeat()->isRunning(RunKind::SendBox));
        QByteArray sent; // the run's first send, then a 20 s wait
        QTRY_COMPARE(sent += pty->deviceReceived(), QByteArray("A"));
        pty->unplug();
        QTRY_COMPARE(log.boxes.size(), 1);
        QVERIFY(log.boxes[0].icon == QMessageBox::Critical && log.boxes[0].title == QLatin1String("Error"));
        QVERIFY(!log.boxes[0].text.isEmpty());
        QCOMPARE(controls(*w), disconnected);
        QVERIFY(!w->autoRepeat()->isRunning());
        QCOMPARE(button(*w, "cmdSend")->text(), QStringLiteral("Start"));
        QTest::qWait(100); // a dying port reports its error in a loop: no second box may follow
        QCOMPARE(log.boxes.size(), 1);
        PtyPair back;
        connectSerial(*w, back.slavePath());
        QCOMPARE(controls(*w), (QList<bool>{false, true, true, true, true})); // Start too: still ticked
    }

    // A changed port list (an adapter added) must not shift the stored choice to another device.
    void portIsFoundAgainByNameAfterListChanges()
    {
        PtyPair pty;
        {
            frmMain w;
            w.setEndProgram([] {});
            w.links()->setPortLister([&] { return QStringList{"ttyUSB0", pty.slavePath(), "ttyS0"}; });
            w.links()->FillPortList();
            choose(w, "cboPort", pty.slavePath());
            w.close();
        }
        frmMain w;
        auto *cboPort = control<QComboBox>(w, "cboPort");
        w.links()->setPortLister([&] { return QStringList{"ttyS0", "ttyS1", pty.slavePath(), "ttyACM0"}; });
        w.links()->FillPortList();
        w.links()->restorePort();
        QCOMPARE(cboPort->currentText(), pty.slavePath());
        button(w, "cmdConnect")->click();
        QCOMPARE(controls(w), connected);

        // A typed name comes back typed; only without a stored name does the index count.
        WriteSetting(QString(SettingsKeys::PortName), QStringLiteral("/dev/kivo-typed"));
        w.links()->restorePort();
        QCOMPARE(cboPort->currentIndex(), -1);
        QCOMPARE(cboPort->currentText(), QStringLiteral("/dev/kivo-typed"));
        resetStores();
        WriteSetting(QString(SettingsKeys::Port), QStringLiteral("3"));
        w.links()->restorePort();
        QCOMPARE(cboPort->currentText(), QStringLiteral("ttyS1"));
    }

    // The TCP link reports through the label only: a refused connection, a bad port text and a
    // dropped connection show "Error" until the next close, also at the next state report; bytes
    // go out while connected.
    void socketLabelShowsConnectAndFailure()
    {
        MessageLog log;
        QTcpServer server, closed;
        QVERIFY(server.listen(QHostAddress::LocalHost) && closed.listen(QHostAddress::LocalHost));
        closed.close();
        frmMain w;
        auto *label = control<QLabel>(w, "lblSocketState");
        QSignalSpy report(w.links(), &LinkController::socketStateText);
        const auto staysError = [&] {
            QTRY_COMPARE(label->text(), QStringLiteral("TCP- Error"));
            report.clear();
            QVERIFY(report.wait(1000));
            QCOMPARE(label->text(), QStringLiteral("TCP- Error"));
        };
        QTRY_COMPARE(label->text(), QStringLiteral("TCP- Close"));
        w.data().strWinSockIP = QStringLiteral("127.0.0.1");
        for (const QString &port : {QString::number(closed.serverPort()), QStringLiteral("50a")}) {
            w.data().strWinSockPort = port;
            w.links()->ConnectTcp();
            staysError();
            w.links()->CloseTcp();
            QTRY_COMPARE(label->text(), QStringLiteral("TCP- Close"));
        }
        w.data().strWinSockPort = QString::number(server.serverPort());
        w.links()->ConnectTcp();
        QTRY_COMPARE(label->text(), QStringLiteral("TCP- Connected"));
        QTRY_VERIFY(server.hasPendingConnections());
        QTcpSocket *peer = server.nextPendingConnection();
        QString error;
        QVERIFY2(w.tcpLink().write("W?\r\n", &error), qPrintable(error));
        QByteArray atPeer;
        QTRY_COMPARE(atPeer += peer->readAll(), QByteArray("W?\r\n"));
        delete peer;
        staysError();
        QVERIFY(!w.tcpLink().write("x", &error));
        QVERIFY(log.boxes.isEmpty());
    }

    // A silent connection that never delivered data is not retried; one that went silent after
    // data is reopened after the watchdog's 3 s (shortened here once its interval is checked).
    void watchdogReconnectsAfterSilenceOnlyOnceDataFlowed()
    {
        QTcpServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost));
        frmMain w;
        auto *watchdog = control<QTimer>(w, "tmrSocketCheck");
        QCOMPARE(watchdog->interval(), 3000);
        watchdog->setInterval(300);
        w.data().strWinSockIP = QStringLiteral("127.0.0.1");
        w.data().strWinSockPort = QString::number(server.serverPort());
        control<QRadioButton>(w, "optComm_0")->click();
        button(w, "cmdMonOn")->click(); // monitoring opens the TCP link
        QTRY_VERIFY(server.hasPendingConnections());
        QTcpSocket *first = server.nextPendingConnection();
        QTest::qWait(500); // longer than the watchdog: no reconnect may come
        QVERIFY(!server.hasPendingConnections());
        QVERIFY(!w.links()->isWatchdogArmed());

        first->write("ST,GS,+000.00kg\r\n");
        QTRY_VERIFY(w.links()->isWatchdogArmed());
        QElapsedTimer silence;
        silence.start();
        QTRY_VERIFY(server.hasPendingConnections());
        QVERIFY(silence.elapsed() >= 250);
        QTRY_COMPARE(w.tcpLink().state(), int(TcpLink::Connected));
    }
};

KIVO_TEST_MAIN(tst_LinkController)
#include "tst_LinkController.moc"
