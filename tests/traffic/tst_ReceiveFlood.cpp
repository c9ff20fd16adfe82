#include "KivoTest.h"
#include "PtyPair.h"

#include "app/frmMain.h"
#include "core/CodePage.h"
#include "link/PortPanel.h"
#include "link/SerialLink.h"
#include "link/TcpLink.h"
#include "monitor/IndicatorPanel.h"
#include "monitor/SegmentDisplay.h"
#include "traffic/ReceivePipeline.h"
#include "traffic/RxBuffers.h"
#include "traffic/TrafficViews.h"

#include <QComboBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTextEdit>

#include <sys/socket.h>

#include <memory>

using namespace kivo;
using kivotest::control;

namespace {

// The weight field of frame i: bytes 10 to 17 of the 22-byte layout.
QString weightOf(int i)
{
    return QStringLiteral("%1").arg(i % 100000000, 8, 10, QLatin1Char('0'));
}

// A weight frame of the 22-byte layout whose weight counts up, so every frame differs.
QByteArray frame(int i)
{
    return (QStringLiteral("ST,GS,+  ") + weightOf(i) + QStringLiteral("kg \r\n")).toLatin1();
}

} // namespace

// Received data through the real main window: a flood over loopback TCP must not hold the event
// loop, and a character whose bytes come in two reads must show whole.
class tst_ReceiveFlood : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        kivotest::resetStores();
        m_window = std::make_unique<frmMain>();
        m_window->setEndProgram([] {});
        m_window->show();
    }
    void cleanup() { m_window.reset(); }

    // A large arrival is worked through in bounded slices with the event loop running between
    // them (a 0-ms timer keeps firing), and the frame step still finds every frame sent.
    void aTcpFloodLetsTheEventLoopRunAndFindsEveryFrame()
    {
        QTcpServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost));
        m_window->views()->tabPrintSelect->setCurrentIndex(2); // "Both"
        m_window->data().strWinSockIP = QStringLiteral("127.0.0.1");
        m_window->data().strWinSockPort = QString::number(server.serverPort());
        control<QRadioButton>(*m_window, "optComm_0")->click();
        control<QPushButton>(*m_window, "cmdMonOn")->click();
        QTRY_VERIFY(server.hasPendingConnections());
        QTcpSocket *device = server.nextPendingConnection();
        QTRY_COMPARE(m_window->tcpLink().state(), int(TcpLink::Connected));
        // Room for a large arrival in the kernel, as a fast sender on a real network would fill.
        const int fd = int(device->socketDescriptor());
        const int room = 4 << 20;
        setsockopt(fd, SOL_SOCKET, SO_SNDBUF, &room, sizeof room);

        qint64 bytesSinceTick = 0;
        qint64 mostBytesBetweenTicks = 0;
        qint64 received = 0;
        connect(m_window->receivePipeline(), &ReceivePipeline::received, this, [&](const LinkChunk &chunk) {
            bytesSinceTick += chunk.bytes.size();
            received += chunk.bytes.size();
            mostBytesBetweenTicks = std::max(mostBytesBetweenTicks, bytesSinceTick);
        });
        QTimer tick;
        tick.setInterval(0);
        connect(&tick, &QTimer::timeout, this, [&] { bytesSinceTick = 0; });
        tick.start();

        QByteArray stream;
        const int frames = 60000;
        for (int i = 0; i < frames; ++i)
            stream += frame(i);
        // As much of the stream as the kernel takes goes in before the window reads any of it;
        // the rest follows as the window drains the connection.
        qsizetype queued = 0;
        while (queued < stream.size()) {
            const ssize_t n = ::send(fd, stream.constData() + queued, size_t(stream.size() - queued), 0);
            if (n <= 0)
                break;
            queued += n;
        }
        QVERIFY2(queued > 256 * 1024, qPrintable(QStringLiteral("only %1 bytes queued").arg(queued)));
        device->write(stream.mid(queued));

        QTRY_COMPARE_WITH_TIMEOUT(received, stream.size(), 120000);
        QVERIFY2(mostBytesBetweenTicks <= 32 * 1024,
                 qPrintable(QStringLiteral("%1 bytes worked through without the event loop running")
                                .arg(mostBytesBetweenTicks)));
        QCOMPARE(m_window->tcpBuffers().framesFound, quint64(frames));
        QCOMPARE(control<QLabel>(*m_window, "lblIndi")->text(), weightOf(frames - 1));
    }

    // "가" is EA B0 80 in UTF-8: its first two bytes in one read and the last in the next must
    // show as the character in the ASCII view's buffer and in the terminal view, not as "���".
    void aCharacterSplitBetweenTwoReadsShowsWhole_data()
    {
        QTest::addColumn<int>("tab");
        QTest::addColumn<QString>("expected");
        // The ASCII view shows a character outside ASCII as one "?".
        QTest::newRow("ASCII") << 1 << QStringLiteral("RECV : x\nRECV : ?y");
        QTest::newRow("like HyperTerminal") << 4 << QStringLiteral("x가y");
    }
    void aCharacterSplitBetweenTwoReadsShowsWhole()
    {
        QFETCH(int, tab);
        QFETCH(QString, expected);
        if (CodePage::system().name().toUpper().replace("-", "") != "UTF8")
            QSKIP("the locale's character set is not UTF-8");
        PtyPair pty;
        QVERIFY(m_window->serialLink().open(pty.slavePath(), QStringLiteral("9600,N,8,1")));
        m_window->views()->tabPrintSelect->setCurrentIndex(tab - 1);
        control<QComboBox>(*m_window, "cboDelay")->setCurrentIndex(0); // each piece is read as it comes
        const auto shown = [&] {
            return tab == 4 ? m_window->views()->rtfHyperView->toPlainText()
                            : m_window->views()->rtfPrintAsc->toPlainText();
        };

        pty.deviceSends(QByteArray("x\xEA\xB0", 3));
        QTRY_VERIFY(shown().contains(u'x') && !m_window->views()->linesPending());
        pty.deviceSends(QByteArray("\x80y", 2));
        QTRY_VERIFY(shown().contains(u'y') && !m_window->views()->linesPending());
        QCOMPARE(shown(), expected);
    }

private:
    std::unique_ptr<frmMain> m_window;
};

KIVO_TEST_MAIN(tst_ReceiveFlood)
#include "tst_ReceiveFlood.moc"
