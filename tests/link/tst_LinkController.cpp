#include "KivoTest.h"
#include "PtyPair.h"

#include "app/MessageBox.h"
#include "app/SettingsKeys.h"
#include "app/SettingsStore.h"
#include "app/frmMain.h"
#include "link/LinkController.h"
#include "link/PortPanel.h"
#include "monitor/IndicatorPanel.h"
#include "send/RepeatPanel.h"
#include "send/SendPanel.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTcpServer>

using namespace kivo;

namespace {

// Chooses the line parameters by their listed texts and the port by typing its name.
void choose(frmMain &w, const QString &port, const QString &settings)
{
    PortPanel *p = w.portPanel();
    const QStringList f = settings.split(QLatin1Char(','));
    p->cboBps->setCurrentIndex(p->cboBps->findText(f[0]));
    p->cboParity->setCurrentIndex(p->cboParity->findText(f[1]));
    p->cboDataBit->setCurrentIndex(p->cboDataBit->findText(f[2]));
    p->cboStopBit->setCurrentIndex(p->cboStopBit->findText(f[3]));
    p->cboPort->setCurrentIndex(-1);
    p->cboPort->setEditText(port);
}

bool looksConnected(frmMain &w)
{
    return !w.portPanel()->cmdConnect->isEnabled() && w.portPanel()->cmdDisconnect->isEnabled() &&
           w.repeatPanel()->chkAutoRepeat->isEnabled() && w.sendPanel()->cmdSend->isEnabled();
}

bool looksDisconnected(frmMain &w)
{
    return w.portPanel()->cmdConnect->isEnabled() && !w.portPanel()->cmdDisconnect->isEnabled() &&
           !w.repeatPanel()->chkAutoRepeat->isEnabled() && !w.repeatPanel()->cmdStart->isEnabled() &&
           !w.sendPanel()->cmdSend->isEnabled();
}

quint16 closedPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    return probe.serverPort();
}

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

    void connectAppliesSettingsAndSwitchesControls_data()
    {
        QTest::addColumn<bool>("autoRepeatTicked");
        QTest::newRow("auto repeat ticked") << true;
        QTest::newRow("auto repeat unticked") << false;
    }
    void connectAppliesSettingsAndSwitchesControls()
    {
        QFETCH(bool, autoRepeatTicked);
        PtyPair pty;
        frmMain w;
        QVERIFY(looksDisconnected(w));
        w.repeatPanel()->chkAutoRepeat->setChecked(autoRepeatTicked);
        choose(w, pty.slavePath(), QStringLiteral("19200,N,8,2"));
        w.portPanel()->cmdConnect->click();

        QVERIFY(m_boxes.isEmpty());
        QVERIFY(w.serialLink().isOpen());
        QVERIFY(looksConnected(w));
        QCOMPARE(w.repeatPanel()->cmdStart->isEnabled(), autoRepeatTicked);
        const termios t = pty.attributes();
        QCOMPARE(int(cfgetospeed(&t)), int(B19200));
        QVERIFY(t.c_cflag & CSTOPB);

        // The File menu offers what the buttons offer, copied when it opens.
        auto *file = w.findChild<QMenu *>(QStringLiteral("mnuFile"));
        emit file->aboutToShow();
        QVERIFY(!w.findChild<QAction *>(QStringLiteral("mnuFile_Connect"))->isEnabled());
        QVERIFY(w.findChild<QAction *>(QStringLiteral("mnuFile_Disconnect"))->isEnabled());

        // Choosing TCP/IP closes the port, offers no Connect and enables sending.
        w.portPanel()->optComm_0->click();
        QVERIFY(!w.serialLink().isOpen());
        QVERIFY(!w.portPanel()->cmdConnect->isEnabled() && w.sendPanel()->cmdSend->isEnabled());
        w.portPanel()->optComm_1->click();
        QVERIFY(looksDisconnected(w));
    }

    void refusedConnectShowsItsBoxAndOpensNothing_data()
    {
        QTest::addColumn<QString>("port"); // "pty": the test's pseudo-terminal
        QTest::addColumn<QString>("settings");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("icon");
        const QString failure = QStringLiteral("Connect Failure!");
        const QString limit = QStringLiteral("COM15 이하만 사용 가능합니다.");
        QTest::newRow("COM16 over the limit") << "COM16"
                                              << "9600,N,8,1" << limit << int(QMessageBox::Warning);
        QTest::newRow("COM15 allowed, absent") << "COM15"
                                               << "9600,N,8,1" << failure << int(QMessageBox::Critical);
        QTest::newRow("no port chosen") << ""
                                        << "9600,N,8,1" << failure << int(QMessageBox::Critical);
        QTest::newRow("even parity") << "pty"
                                     << "9600,E,8,1" << failure << int(QMessageBox::Critical);
        QTest::newRow("6 data bits") << "pty"
                                     << "9600,N,6,1" << failure << int(QMessageBox::Critical);
        QTest::newRow("4 data bits") << "pty"
                                     << "9600,N,4,1" << failure << int(QMessageBox::Critical);
    }
    void refusedConnectShowsItsBoxAndOpensNothing()
    {
        QFETCH(QString, port);
        QFETCH(QString, settings);
        QFETCH(QString, text);
        QFETCH(int, icon);
        PtyPair pty;
        frmMain w;
        choose(w, port == QLatin1String("pty") ? pty.slavePath() : port, settings);
        w.portPanel()->cmdConnect->click();
        QCOMPARE(m_boxes.size(), 1);
        QCOMPARE((QList<QVariant>{m_boxes[0].text, int(m_boxes[0].icon), m_boxes[0].title}),
                 (QList<QVariant>{text, icon, QStringLiteral("Error")}));
        QVERIFY(!w.serialLink().isOpen());
        QVERIFY(looksDisconnected(w));
    }

    void disconnectRefusedWhileARunIsGoing_data()
    {
        QTest::addColumn<bool>("listRun");
        QTest::newRow("Start reads Stop") << true;
        QTest::newRow("Send reads Stop") << false;
    }
    void disconnectRefusedWhileARunIsGoing()
    {
        QFETCH(bool, listRun);
        PtyPair pty;
        frmMain w;
        choose(w, pty.slavePath(), QStringLiteral("9600,N,8,1"));
        w.portPanel()->cmdConnect->click();
        (listRun ? static_cast<QPushButton *>(w.repeatPanel()->cmdStart) : w.sendPanel()->cmdSend)
            ->setText(QStringLiteral("Stop"));
        w.portPanel()->cmdDisconnect->click();
        QCOMPARE(m_boxes.size(), 1);
        QCOMPARE(m_boxes[0].text, QStringLiteral("연결을 해제 하시려면 먼저 자동 전송 기능을 중지하십시오."));
        QVERIFY(m_boxes[0].icon == QMessageBox::Warning && m_boxes[0].title == appTitle());
        QVERIFY(w.serialLink().isOpen());
        QVERIFY(looksConnected(w));
    }

    // Unplugging must not leave a dead port looking connected, nor a run going on it.
    void unpluggedPortGoesDisconnectedWithOneErrorBox()
    {
        auto pty = std::make_unique<PtyPair>();
        frmMain w;
        choose(w, pty->slavePath(), QStringLiteral("9600,N,8,1"));
        w.portPanel()->cmdConnect->click();
        w.repeatPanel()->cmdStart->setText(QStringLiteral("Stop"));
        pty->unplug();
        QTRY_COMPARE(m_boxes.size(), 1);
        QVERIFY(m_boxes[0].icon == QMessageBox::Critical && m_boxes[0].title == QLatin1String("Error"));
        QVERIFY(!m_boxes[0].text.isEmpty());
        QVERIFY(looksDisconnected(w));
        QCOMPARE(w.repeatPanel()->cmdStart->text(), QStringLiteral("Start"));
        QTest::qWait(100);
        QCOMPARE(m_boxes.size(), 1);

        PtyPair back;
        choose(w, back.slavePath(), QStringLiteral("9600,N,8,1"));
        w.portPanel()->cmdConnect->click();
        QVERIFY(looksConnected(w));
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
        QVERIFY(looksConnected(w));

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

    void socketLabelShowsConnectAndFailure_data()
    {
        QTest::addColumn<QString>("portText"); // "listening", "closed" or a literal text
        QTest::addColumn<QString>("label");
        QTest::newRow("server listening") << "listening"
                                          << "TCP- Connected";
        QTest::newRow("connection refused") << "closed"
                                            << "TCP- Error";
        QTest::newRow("port not a number") << "50a"
                                           << "TCP- Error";
        QTest::newRow("empty port") << ""
                                    << "TCP- Error";
    }
    void socketLabelShowsConnectAndFailure()
    {
        QFETCH(QString, portText);
        QFETCH(QString, label);
        QTcpServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost));
        frmMain w;
        QLabel *state = w.indicatorPanel()->lblSocketState;
        QTRY_COMPARE(state->text(), QStringLiteral("TCP- Close"));
        w.data().strWinSockIP = QStringLiteral("127.0.0.1");
        w.data().strWinSockPort = portText == QLatin1String("listening")
                                      ? QString::number(server.serverPort())
                                  : portText == QLatin1String("closed") ? QString::number(closedPort())
                                                                        : portText;
        w.links()->ConnectTcp();
        QTRY_COMPARE(state->text(), label);
        QTest::qWait(400); // the failure stays on the label, and no box
        QCOMPARE(state->text(), label);
        QVERIFY(m_boxes.isEmpty());
        w.links()->CloseTcp();
        QTRY_COMPARE(state->text(), QStringLiteral("TCP- Close"));
    }

    // The watchdog only runs once the receive path has armed it: a silent connection that never
    // delivered data is not retried, a link that went silent after data is reopened after 3 s.
    void watchdogReconnectsAfterSilenceOnlyOnceDataFlowed()
    {
        QTcpServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost));
        frmMain w;
        w.data().strWinSockIP = QStringLiteral("127.0.0.1");
        w.data().strWinSockPort = QString::number(server.serverPort());
        LinkController *links = w.links();
        connect(&w.tcpLink(), &Link::readyRead, links, [links] {
            links->stopWatchdog();
            links->armWatchdog();
        });
        w.portPanel()->optComm_0->click();
        w.indicatorPanel()->cmdMonOn->click(); // monitoring opens the TCP link
        QTRY_VERIFY(server.hasPendingConnections());
        QTcpSocket *first = server.nextPendingConnection();
        QTest::qWait(3500);
        QVERIFY(!server.hasPendingConnections());
        QVERIFY(!links->isWatchdogArmed());

        first->write("ST,GS,+000.00kg\r\n");
        QTRY_VERIFY(links->isWatchdogArmed());
        QElapsedTimer silence;
        silence.start();
        QTRY_VERIFY_WITH_TIMEOUT(server.hasPendingConnections(), 5000);
        QVERIFY(silence.elapsed() >= 2800);
        QTRY_COMPARE(w.tcpLink().state(), int(TcpLink::Connected));

        w.indicatorPanel()->cmdMonOff->click(); // closes the link and stops the watchdog
        QCOMPARE(w.tcpLink().state(), int(TcpLink::Closed));
        QVERIFY(!links->isWatchdogArmed());
    }
};

KIVO_TEST_MAIN(LinkControllerTest)
#include "tst_LinkController.moc"
