#include "MainWindow.h"

#include "link/TcpLink.h"
#include "traffic/ReceivePipeline.h"
#include "traffic/RxBuffers.h"

#include <sys/socket.h>

using namespace kivo;
using namespace kivotest;

namespace {

// The weight field of frame i: bytes 10 to 17 of the 22-byte layout.
QString weightOf(int i)
{
    return u"%1"_s.arg(i % 100000000, 8, 10, QLatin1Char('0'));
}

} // namespace

// Received data through the real main window: a flood over loopback TCP must not hold the event
// loop.
class tst_ReceiveFlood : public QObject
{
    Q_OBJECT
private slots:
    // A large arrival is worked through in bounded slices with the event loop running between
    // them (a 0-ms timer keeps firing), and the frame step still finds every frame sent.
    void aTcpFloodLetsTheEventLoopRunAndFindsEveryFrame()
    {
        resetStores();
        QTcpServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost));
        auto w = openWindow();
        control<QTabBar>(*w, "tabPrintSelect")->setCurrentIndex(2); // "Both"
        w->data().strWinSockIP = u"127.0.0.1"_s;
        w->data().strWinSockPort = QString::number(server.serverPort());
        control<QRadioButton>(*w, "optComm_0")->click();
        button(*w, "cmdMonOn")->click();
        QTRY_VERIFY(server.hasPendingConnections());
        QTcpSocket *device = server.nextPendingConnection();
        QTRY_COMPARE(w->tcpLink().state(), int(TcpLink::Connected));
        // Room for a large arrival in the kernel, as a fast sender on a real network would fill.
        const int fd = int(device->socketDescriptor());
        const int room = 4 << 20;
        setsockopt(fd, SOL_SOCKET, SO_SNDBUF, &room, sizeof room);

        qint64 bytesSinceTick = 0;
        qint64 mostBytesBetweenTicks = 0;
        qint64 received = 0;
        connect(w->receivePipeline(), &ReceivePipeline::received, this, [&](const LinkChunk &chunk) {
            bytesSinceTick += chunk.bytes.size();
            received += chunk.bytes.size();
            mostBytesBetweenTicks = std::max(mostBytesBetweenTicks, bytesSinceTick);
        });
        QTimer tick;
        tick.setInterval(0);
        connect(&tick, &QTimer::timeout, this, [&] { bytesSinceTick = 0; });
        tick.start();

        // 22-byte frames whose weight counts up, so every frame differs.
        QByteArray stream;
        const int frames = 60000;
        for (int i = 0; i < frames; ++i)
            stream += "ST,GS,+  " + weightOf(i).toLatin1() + "kg \r\n";
        // As much of the stream as the kernel takes goes in before the window reads any of it;
        // the rest follows as the window drains the connection.
        qsizetype queued = 0;
        while (queued < stream.size()) {
            const ssize_t n = ::send(fd, stream.constData() + queued, size_t(stream.size() - queued), 0);
            if (n <= 0)
                break;
            queued += n;
        }
        QVERIFY2(queued > 256 * 1024, qPrintable(u"only %1 bytes queued"_s.arg(queued)));
        device->write(stream.mid(queued));

        QTRY_COMPARE_WITH_TIMEOUT(received, stream.size(), 120000);
        QVERIFY2(mostBytesBetweenTicks <= 32 * 1024,
                 qPrintable(
                     u"%1 bytes worked through without the event loop running"_s.arg(mostBytesBetweenTicks)));
        QCOMPARE(w->tcpBuffers().framesFound, quint64(frames));
        QCOMPARE(control<QLabel>(*w, "lblIndi")->text(), weightOf(frames - 1));
    }
};

KIVO_TEST_MAIN(tst_ReceiveFlood)
#include "tst_ReceiveFlood.moc"
