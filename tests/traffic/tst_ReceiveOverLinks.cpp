#include "../link/PtyPair.h"
#include "KivoTest.h"
#include "ViewText.h"

#include "app/frmMain.h"
#include "link/LinkController.h"
#include "link/PortPanel.h"
#include "link/SerialLink.h"
#include "link/TcpLink.h"
#include "monitor/IndicatorPanel.h"
#include "monitor/SegmentDisplay.h"
#include "traffic/ReceivePipeline.h"
#include "traffic/TrafficViews.h"

#include <QComboBox>
#include <QTabBar>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTextEdit>

#include <memory>

using kivotest::colouredText;

namespace {
const QString kRecv = QStringLiteral("{0000ff}RECV : {000000}");
const QString kMark = QStringLiteral("{c0c0c0}");
} // namespace

// The receive path fed by the window's own links: a pseudo-terminal for the serial port and a
// loopback TCP server for the socket, with the window's own frame step and weight display.
class tst_ReceiveOverLinks : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void serialBurstWithinTheRecvDelayPrintsAsOneLine();
    void serialLinesOfBothViewsFromAPseudoTerminal();
    void tcpWhileMonitoringFlushesAndShowsTheWeight();

private:
    kivo::TrafficViews &views() { return *m_window->views(); }
    void selectDelay(const QString &text)
    {
        QComboBox *box = m_window->portPanel()->cboDelay;
        box->setCurrentIndex(box->findText(text));
    }

    std::unique_ptr<frmMain> m_window;
    std::unique_ptr<PtyPair> m_pty;
};

void tst_ReceiveOverLinks::init()
{
    kivotest::resetStores();
    m_window = std::make_unique<frmMain>();
    m_window->setEndProgram([] {});
    m_pty = std::make_unique<PtyPair>();
    QVERIFY(!m_pty->slavePath().isEmpty());
    QString error;
    QVERIFY2(m_window->serialLink().open(m_pty->slavePath(), QStringLiteral("9600,N,8,1"), &error),
             qPrintable(error));
}

void tst_ReceiveOverLinks::cleanup()
{
    m_window.reset();
    m_pty.reset();
}

void tst_ReceiveOverLinks::serialBurstWithinTheRecvDelayPrintsAsOneLine()
{
    views().tabPrintSelect->setCurrentIndex(0);
    selectDelay(QStringLiteral("0.2"));
    for (const char *piece : {"12", "34", "56"}) {
        m_pty->deviceSends(piece);
        QTest::qWait(30);
    }
    QTRY_COMPARE(colouredText(views().rtfPrintAsc), kRecv + "123456");
}

void tst_ReceiveOverLinks::serialLinesOfBothViewsFromAPseudoTerminal()
{
    views().tabPrintSelect->setCurrentIndex(2);
    selectDelay(QStringLiteral("0"));
    m_pty->deviceSends("AB\r\n");
    QTRY_COMPARE(colouredText(views().rtfPrintHex), kRecv + "41 42 0D 0A ");
    QCOMPARE(colouredText(views().rtfPrintAsc), kRecv + "AB" + kMark + "[CRLF]");
    m_pty->deviceSends(QByteArray(30, 'x'));
    QTRY_COMPARE(colouredText(views().rtfPrintAsc),
                 kRecv + "AB" + kMark + "[CRLF]\n" + kRecv + QString(30, u'x'));
}

void tst_ReceiveOverLinks::tcpWhileMonitoringFlushesAndShowsTheWeight()
{
    QTcpServer server;
    QVERIFY(server.listen(QHostAddress::LocalHost));
    kivo::TcpLink &tcp = m_window->tcpLink();
    QTimer *watchdog = m_window->links()->tmrSocketCheck;
    views().tabPrintSelect->setCurrentIndex(0);

    tcp.connectTo(QStringLiteral("127.0.0.1"), QString::number(server.serverPort()));
    QTRY_VERIFY(server.hasPendingConnections());
    QTcpSocket *device = server.nextPendingConnection();
    QTRY_COMPARE(tcp.state(), int(kivo::TcpLink::Connected));

    device->write("ABCDE");
    QTRY_COMPARE(m_window->tcpBuffers().strAscBuf, QStringLiteral("ABCDE"));
    QVERIFY(views().rtfPrintAsc->document()->isEmpty());

    m_window->data().bMonitor = true;
    // 22-byte frame: status "ST", weight in bytes 10 to 17.
    device->write("ST,GS,+00  12.345kg \r\n");
    QTRY_COMPARE(m_window->indicatorPanel()->lblIndi->text(), QStringLiteral("12.345"));
    QTRY_COMPARE(colouredText(views().rtfPrintAsc), kRecv + "ABCDEST,GS,+00  12.345kg " + kMark + "[CRLF]");
    QVERIFY(watchdog->isActive());
}

KIVO_TEST_MAIN(tst_ReceiveOverLinks)
#include "tst_ReceiveOverLinks.moc"
