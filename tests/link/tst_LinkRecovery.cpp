#include "MainWindow.h"
#include "PtyPair.h"

#include "core/SettingsKeys.h"
#include "core/SettingsStore.h"
#include "link/LinkController.h"
#include "link/SerialLink.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTcpServer>

using namespace kivo;
using namespace kivotest;
namespace SK = kivo::SettingsKeys;

namespace {

QByteArray frame(const QByteArray &weight)
{
    return "ST,GS,01," + weight.rightJustified(8, ' ') + " kg\r\n";
}

// A device path that stays the same while the device behind it goes and comes back, as a USB
// adapter's stable name does.
struct StableName
{
    QTemporaryDir dir;
    QString path() const { return dir.filePath(QStringLiteral("ttyKIVO")); }
    void pointAt(const PtyPair &pty) const
    {
        QFile::remove(path());
        QVERIFY(QFile::link(pty.slavePath(), path()));
    }
};

} // namespace

// A port that dies and comes back, and the link choice, disconnect refusal and stored endpoint
// rules that keep the window consistent around it.
class LinkRecoveryTest : public QObject
{
    Q_OBJECT
    std::unique_ptr<MessageLog> m_log;

private slots:
    void init()
    {
        resetStores();
        m_log = std::make_unique<MessageLog>();
    }
    void cleanup() { m_log.reset(); }

    // With "Reconnect" ticked a dead port is waited for without a box, connected again under the
    // same name with the same settings, and monitoring goes on as before.
    void reconnectWaitsForThePortAndMonitoringGoesOn()
    {
        StableName name;
        auto first = std::make_unique<PtyPair>();
        name.pointAt(*first);
        frmMain w;
        w.setEndProgram({});
        control<QCheckBox>(w, "chkReconnect")->setChecked(true);
        connectSerial(w, name.path());
        QVERIFY(w.serialLink().isOpen());
        button(w, "cmdMonOn")->click();
        auto *display = control<QLabel>(w, "lblIndi");
        first->deviceSends(frame("12.32"));
        QTRY_COMPARE(display->text(), QStringLiteral("12.32"));

        first->unplug();
        auto *status = control<QLabel>(w, "sbrStatus_Link");
        QTRY_VERIFY(!status->isHidden() && status->text().contains(name.path()));
        QVERIFY(!button(w, "cmdConnect")->isEnabled() && button(w, "cmdDisconnect")->isEnabled() &&
                !button(w, "cmdSend")->isEnabled());

        PtyPair second;
        name.pointAt(second);
        QTRY_VERIFY_WITH_TIMEOUT(w.serialLink().isOpen(), 3000);
        QVERIFY(status->isHidden() && button(w, "cmdSend")->isEnabled());
        QCOMPARE(w.serialLink().openedSettings(), QStringLiteral("9600,N,8,1"));
        second.deviceSends(frame("45.60"));
        QTRY_COMPARE(display->text(), QStringLiteral("45.60"));
        QCOMPARE(m_log->boxes.size(), 0);

        w.close();
        QCOMPARE(ReadSetting(QString(SK::AutoReconnect), QString()), QStringLiteral("True"));
        frmMain again;
        QVERIFY(control<QCheckBox>(again, "chkReconnect")->isChecked());
    }

    // Disconnect while waiting stops the waiting: the port that comes back stays closed.
    void disconnectWhileWaitingStopsTryingThePort()
    {
        StableName name;
        auto first = std::make_unique<PtyPair>();
        name.pointAt(*first);
        frmMain w;
        control<QCheckBox>(w, "chkReconnect")->setChecked(true);
        connectSerial(w, name.path());
        first->unplug();
        auto *status = control<QLabel>(w, "sbrStatus_Link");
        QTRY_VERIFY(!status->isHidden());
        button(w, "cmdDisconnect")->click();
        QVERIFY(status->isHidden() && button(w, "cmdConnect")->isEnabled());
        PtyPair second;
        name.pointAt(second);
        QTest::qWait(1300); // longer than one retry: nothing may open the port
        QVERIFY(!w.serialLink().isOpen());
        QCOMPARE(m_log->boxes.size(), 0);
    }

    // A refused disconnect (a run goes on the serial port) must not leave "TCP/IP" chosen with
    // sending pointed at an unconnected socket.
    void refusedDisconnectKeepsTheSerialChoice()
    {
        PtyPair pty;
        frmMain w;
        connectSerial(w, pty.slavePath());
        control<QCheckBox>(w, "chkAutoRepeat")->setChecked(true);
        auto *delay = control<QComboBox>(w, "cboDelayTime");
        delay->setCurrentIndex(delay->count() - 1); // 20 s: one send, then a long wait
        control<QLineEdit>(w, "txtSend")->setText(QStringLiteral("A"));
        button(w, "cmdSend")->click();
        QVERIFY(w.links()->serialLink().isOpen());

        control<QRadioButton>(w, "optComm_0")->click();
        QCOMPARE(m_log->boxes.size(), 1);
        QCOMPARE(m_log->boxes[0].text,
                 QStringLiteral("연결을 해제 하시려면 먼저 자동 전송 기능을 중지하십시오."));
        QVERIFY(control<QRadioButton>(w, "optComm_1")->isChecked() && w.serialLink().isOpen());
        QVERIFY(!button(w, "cmdConnect")->isEnabled());
        QCOMPARE(&w.links()->activeLink(), static_cast<Link *>(&w.serialLink()));
        QCOMPARE(button(w, "cmdSend")->text(), QStringLiteral("Stop"));
    }

    // The setting dialog stores the endpoint as typed; the next start must still connect to it.
    void storedEndpointWithBlanksConnectsAfterRestart()
    {
        QTcpServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost));
        WriteSetting(QString(SK::WinSockIP), QStringLiteral(" 127.0.0.1 "));
        WriteSetting(QString(SK::WinSockPort), QStringLiteral(" %1").arg(server.serverPort()));
        frmMain w;
        control<QRadioButton>(w, "optComm_0")->click();
        button(w, "cmdMonOn")->click();
        QTRY_VERIFY(server.hasPendingConnections());
        QTRY_COMPARE(control<QLabel>(w, "lblSocketState")->text(), QStringLiteral("TCP- Connected"));
    }

    // An index with no port behind it selects nothing, as in every other list; only an index that
    // exists (or none stored: the first port) selects one.
    void unusablePortIndexLeavesNoSelection_data()
    {
        QTest::addColumn<QString>("stored"); // "" for none
        QTest::addColumn<int>("selected");
        for (const auto &[tag, stored, selected] : {std::tuple{"beyond the list", "7", -1},
                                                    {"negative", "-1", -1},
                                                    {"not a number", "x", -1},
                                                    {"second port", "1", 1},
                                                    {"none stored", "", 0}})
            QTest::newRow(tag) << QString(stored) << selected;
    }
    void unusablePortIndexLeavesNoSelection()
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
};

KIVO_TEST_MAIN(LinkRecoveryTest)
#include "tst_LinkRecovery.moc"
