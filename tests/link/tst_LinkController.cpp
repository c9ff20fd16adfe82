#include "KivoTest.h"
#include "PtyPair.h"

#include "app/frmMain.h"
#include "core/MessageBox.h"
#include "core/SettingsKeys.h"
#include "core/SettingsStore.h"
#include "link/LinkController.h"
#include "link/PortPanel.h"
#include "monitor/IndicatorPanel.h"
#include "send/AutoRepeat.h"
#include "send/RepeatPanel.h"
#include "send/SendPanel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTcpServer>

using namespace kivo;

namespace {

// Chooses the line parameters by their listed texts, types the port's name and clicks Connect.
void connectTo(frmMain &w, const QString &port, const QString &settings = QStringLiteral("9600,N,8,1"))
{
    PortPanel *p = w.portPanel();
    const QStringList f = settings.split(u',');
    const QList<QComboBox *> boxes{p->cboBps, p->cboParity, p->cboDataBit, p->cboStopBit};
    for (int i = 0; i < boxes.size(); ++i)
        boxes[i]->setCurrentIndex(boxes[i]->findText(f[i]));
    p->cboPort->setCurrentIndex(-1);
    p->cboPort->setEditText(port);
    p->cmdConnect->click();
}

// Enabled states of Connect, Disconnect, the auto-repeat tick, Start and Send.
QList<bool> controls(frmMain &w)
{
    return {w.portPanel()->cmdConnect->isEnabled(), w.portPanel()->cmdDisconnect->isEnabled(),
            w.repeatPanel()->chkAutoRepeat->isEnabled(), w.repeatPanel()->cmdStart->isEnabled(),
            w.sendPanel()->cmdSend->isEnabled()};
}
const QList<bool> connected{false, true, true, false, true};
const QList<bool> disconnected{true, false, false, false, false};

} // namespace

class LinkControllerTest : public QObject
{
    Q_OBJECT
    QList<MessageRecord> m_boxes;

private slots:
    void init()
    {
        kivotest::resetStores();
        m_boxes.clear();
        setMessageRecorder([this](const MessageRecord &r) { m_boxes << r; });
    }
    void cleanup() { setMessageRecorder({}); }

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
        PtyPair pty;
        frmMain w;
        QCOMPARE(controls(w), disconnected);
        w.repeatPanel()->chkAutoRepeat->setChecked(autoRepeatTicked);
        connectTo(w, pty.slavePath(), QStringLiteral("19200,N,8,2"));
        QVERIFY(m_boxes.isEmpty());
        QVERIFY(w.serialLink().isOpen());
        QCOMPARE(controls(w), (QList<bool>{false, true, true, autoRepeatTicked, true}));
        const termios t = pty.attributes();
        QCOMPARE(int(cfgetospeed(&t)), int(B19200));
        QVERIFY(t.c_cflag & CSTOPB);
        w.portPanel()->optComm_0->click();
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
        PtyPair pty;
        frmMain w;
        const QString port = attempt.section(u' ', 0, 0);
        connectTo(w, port == QLatin1String("pty") ? pty.slavePath() : port, attempt.section(u' ', 1));
        QCOMPARE(m_boxes.size(), 1);
        QCOMPARE(m_boxes[0].text, overLimit ? QStringLiteral("COM15 이하만 사용 가능합니다.")
                                            : QStringLiteral("Connect Failure!"));
        QCOMPARE(m_boxes[0].icon, overLimit ? QMessageBox::Warning : QMessageBox::Critical);
        QCOMPARE(m_boxes[0].title, QStringLiteral("Error"));
        QVERIFY(!w.serialLink().isOpen());
        QCOMPARE(controls(w), disconnected);
    }

    // Unplugging must not leave a dead port looking connected, nor a run going on it.
    void unpluggedPortGoesDisconnectedWithOneErrorBox()
    {
        auto pty = std::make_unique<PtyPair>();
        frmMain w;
        connectTo(w, pty->slavePath());
        w.repeatPanel()->chkAutoRepeat->setChecked(true);
        w.repeatPanel()->cboDelayTime->setCurrentIndex(w.repeatPanel()->cboDelayTime->count() - 1);
        w.sendPanel()->txtSend->setText(QStringLiteral("A"));
        w.sendPanel()->cmdSend->click();
        QVERIFY(w.autoRepeat()->isRunning(RunKind::SendBox));
        QByteArray sent; // the run's first send, then a 20 s wait
        QTRY_COMPARE(sent += pty->deviceReceived(), QByteArray("A"));
        pty->unplug();
        QTRY_COMPARE(m_boxes.size(), 1);
        QVERIFY(m_boxes[0].icon == QMessageBox::Critical && m_boxes[0].title == QLatin1String("Error"));
        QVERIFY(!m_boxes[0].text.isEmpty());
        QCOMPARE(controls(w), disconnected);
        QVERIFY(!w.autoRepeat()->isRunning());
        QCOMPARE(w.sendPanel()->cmdSend->text(), QStringLiteral("Start"));
        QTest::qWait(100);
        QCOMPARE(m_boxes.size(), 1);
        PtyPair back;
        connectTo(w, back.slavePath());
        QCOMPARE(controls(w), (QList<bool>{false, true, true, true, true})); // Start too: still ticked
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
            w.portPanel()->cboPort->setCurrentIndex(w.portPanel()->cboPort->findText(pty.slavePath()));
            w.close();
        }
        frmMain w;
        w.links()->setPortLister([&] { return QStringList{"ttyS0", "ttyS1", pty.slavePath(), "ttyACM0"}; });
        w.links()->FillPortList();
        w.links()->restorePort();
        QCOMPARE(w.portPanel()->cboPort->currentText(), pty.slavePath());
        w.portPanel()->cmdConnect->click();
        QCOMPARE(controls(w), connected);

        // A typed name comes back typed; only without a stored name does the index count.
        WriteSetting(QString(SettingsKeys::PortName), QStringLiteral("/dev/kivo-typed"));
        w.links()->restorePort();
        QCOMPARE(w.portPanel()->cboPort->currentIndex(), -1);
        QCOMPARE(w.portPanel()->cboPort->currentText(), QStringLiteral("/dev/kivo-typed"));
        kivotest::resetStores();
        WriteSetting(QString(SettingsKeys::Port), QStringLiteral("3"));
        w.links()->restorePort();
        QCOMPARE(w.portPanel()->cboPort->currentText(), QStringLiteral("ttyS1"));
    }

    // The TCP link reports through the label only: a refused connection, a bad port text and a
    // dropped connection show "Error" until the next close; bytes go out while connected.
    void socketLabelShowsConnectAndFailure()
    {
        QTcpServer server, closed;
        QVERIFY(server.listen(QHostAddress::LocalHost) && closed.listen(QHostAddress::LocalHost));
        closed.close();
        frmMain w;
        QLabel *label = w.indicatorPanel()->lblSocketState;
        QTRY_COMPARE(label->text(), QStringLiteral("TCP- Close"));
        w.data().strWinSockIP = QStringLiteral("127.0.0.1");
        for (const QString &port : {QString::number(closed.serverPort()), QStringLiteral("50a")}) {
            w.data().strWinSockPort = port;
            w.links()->ConnectTcp();
            QTRY_COMPARE(label->text(), QStringLiteral("TCP- Error"));
            QTest::qWait(400);
            QCOMPARE(label->text(), QStringLiteral("TCP- Error"));
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
        QTRY_COMPARE(label->text(), QStringLiteral("TCP- Error"));
        QTest::qWait(400);
        QCOMPARE(label->text(), QStringLiteral("TCP- Error"));
        QVERIFY(!w.tcpLink().write("x", &error));
        QVERIFY(m_boxes.isEmpty());
    }

    // A silent connection that never delivered data is not retried; one that went silent after
    // data is reopened after 3 s.
    void watchdogReconnectsAfterSilenceOnlyOnceDataFlowed()
    {
        QTcpServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost));
        frmMain w;
        w.data().strWinSockIP = QStringLiteral("127.0.0.1");
        w.data().strWinSockPort = QString::number(server.serverPort());
        w.portPanel()->optComm_0->click();
        w.indicatorPanel()->cmdMonOn->click(); // monitoring opens the TCP link
        QTRY_VERIFY(server.hasPendingConnections());
        QTcpSocket *first = server.nextPendingConnection();
        QTest::qWait(3500);
        QVERIFY(!server.hasPendingConnections());
        QVERIFY(!w.links()->isWatchdogArmed());

        first->write("ST,GS,+000.00kg\r\n");
        QTRY_VERIFY(w.links()->isWatchdogArmed());
        QElapsedTimer silence;
        silence.start();
        QTRY_VERIFY_WITH_TIMEOUT(server.hasPendingConnections(), 5000);
        QVERIFY(silence.elapsed() >= 2800);
        QTRY_COMPARE(w.tcpLink().state(), int(TcpLink::Connected));
    }
};

KIVO_TEST_MAIN(LinkControllerTest)
#include "tst_LinkController.moc"
