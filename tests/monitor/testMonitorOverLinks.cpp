#include "KivoTest.h"

#include "app/frmMain.h"
#include "link/LinkController.h"
#include "link/PortPanel.h"
#include "monitor/IndicatorPanel.h"
#include "monitor/SegmentDisplay.h"

#include <QComboBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTcpServer>
#include <QTcpSocket>

#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <memory>

using namespace kivo;

namespace {

// The indicator's end of a pseudo-terminal; the window opens the other end as its serial port.
struct Pty
{
    int master = -1;
    int slave = -1;
    QString path;
    Pty()
    {
        char name[128] = {};
        if (openpty(&master, &slave, name, nullptr, nullptr) != 0)
            return;
        termios t{};
        tcgetattr(slave, &t);
        cfmakeraw(&t);
        tcsetattr(slave, TCSANOW, &t);
        path = QString::fromLocal8Bit(name);
    }
    ~Pty()
    {
        if (slave >= 0)
            ::close(slave);
        if (master >= 0)
            ::close(master);
    }
};

// The window monitoring over one link, with the indicator's end of it.
class Bench
{
public:
    explicit Bench(bool tcp) : m_tcp(tcp), w(std::make_unique<frmMain>())
    {
        w->setEndProgram([] {});
        w->show();
        PortPanel *port = w->portPanel();
        if (tcp) {
            QVERIFY(m_server.listen(QHostAddress::LocalHost));
            w->data().strWinSockIP = QStringLiteral("127.0.0.1");
            w->data().strWinSockPort = QString::number(m_server.serverPort());
            port->optComm_0->click();
        } else {
            QVERIFY(!m_pty.path.isEmpty());
            port->optComm_1->click();
            port->cboPort->setEditText(m_pty.path);
            port->cmdConnect->click();
            QVERIFY(port->cmdDisconnect->isEnabled());
        }
        w->indicatorPanel()->cmdMonOn->click();
        if (tcp) {
            QTRY_VERIFY(m_server.hasPendingConnections());
            m_peer = m_server.nextPendingConnection();
        }
    }

    void send(const QByteArray &bytes)
    {
        if (m_tcp) {
            m_peer->write(bytes);
            m_peer->flush();
        } else {
            QCOMPARE(::write(m_pty.master, bytes.constData(), size_t(bytes.size())), ssize_t(bytes.size()));
        }
    }

    RxBuffers &rx() { return m_tcp ? w->tcpBuffers() : w->serialBuffers(); }
    QString shown() const { return w->indicatorPanel()->lblIndi->text(); }
    QTcpSocket *peer() const { return m_peer; }

private:
    bool m_tcp;
    Pty m_pty;
    QTcpServer m_server;
    QTcpSocket *m_peer = nullptr;

public:
    std::unique_ptr<frmMain> w;
};

QByteArray frame22(const char *status, const QByteArray &weight)
{
    return QByteArray(status) + ",GS,01," + weight.rightJustified(8, ' ') + " kg\r\n";
}

} // namespace

class TestMonitorOverLinks : public QObject
{
    Q_OBJECT
private slots:
    void init() { kivotest::resetStores(); }

    void links_data()
    {
        QTest::addColumn<bool>("tcp");
        QTest::newRow("TCP") << true;
        QTest::newRow("serial") << false;
    }

    void frameSplitAtEveryBytePositionIsFound_data() { links_data(); }
    void frameSplitAtEveryBytePositionIsFound()
    {
        QFETCH(bool, tcp);
        Bench b(tcp);
        for (int cut = 1; cut < 22; ++cut) {
            const QByteArray f = frame22("ST", QByteArray::number(cut) + ".500");
            b.send(f.left(cut));
            QTRY_COMPARE(b.rx().bytMonBuf.size(), cut);
            b.send(f.mid(cut));
            QTRY_COMPARE(b.rx().framesFound, quint64(cut));
            QCOMPARE(b.shown(), QString::number(cut) + QStringLiteral(".500"));
        }
        QCOMPARE(b.rx().bytesDropped, 0u);
    }

    // One read holding two frames: both count, the display and lamps end on the second.
    void twoFramesInOneChunkAreBothFound_data() { links_data(); }
    void twoFramesInOneChunkAreBothFound()
    {
        QFETCH(bool, tcp);
        Bench b(tcp);
        b.send(frame22("ST", "1.000") + frame22("OL", "2.000") + frame22("US", "3.0").left(5));
        QTRY_COMPARE(b.rx().framesFound, 2u);
        QTRY_COMPARE(b.shown(), QStringLiteral("2.000"));
        QCOMPARE(textColor(b.w->indicatorPanel()->lblOverload), IndicatorPanel::kOverloadLit);
        QCOMPARE(textColor(b.w->indicatorPanel()->lblStable), IndicatorPanel::kStableOff);
    }

    void wrongLengthsAndStrayLineFeedsAreDropped_data() { links_data(); }
    void wrongLengthsAndStrayLineFeedsAreDropped()
    {
        QFETCH(bool, tcp);
        Bench b(tcp);
        b.send(frame22("ST", "7.000"));
        QTRY_COMPARE(b.shown(), QStringLiteral("7.000"));
        b.send(QByteArray("\n") + frame22("ST", "8.000").mid(1) + "X" + frame22("ST", "9.000"));
        QTRY_COMPARE(b.rx().bytesDropped, quint64(1 + 21 + 23));
        QCOMPARE(b.rx().framesFound, 1u);
        QCOMPARE(b.shown(), QStringLiteral("7.000"));
    }

    void monOffDuringTcpStreamStopsFramesAndWatchdog()
    {
        Bench b(true);
        QTimer stream;
        int n = 0;
        QObject::connect(&stream, &QTimer::timeout, [&] { b.send(frame22("ST", QByteArray::number(++n))); });
        stream.start(5);
        QTRY_VERIFY(b.rx().framesFound > 5);
        QVERIFY(b.w->links()->isWatchdogArmed());
        b.w->indicatorPanel()->cmdMonOff->click();
        const quint64 found = b.rx().framesFound;
        QTRY_COMPARE(b.peer()->state(), QAbstractSocket::UnconnectedState); // the socket was closed
        stream.stop();
        QTest::qWait(50);
        QCOMPARE(b.rx().framesFound, found);
        QCOMPARE(b.shown(), QStringLiteral("8888888"));
        QVERIFY(!b.w->links()->isWatchdogArmed());
        QVERIFY(!b.w->data().bMonitor);
    }
};

KIVO_TEST_MAIN(TestMonitorOverLinks)
#include "testMonitorOverLinks.moc"
