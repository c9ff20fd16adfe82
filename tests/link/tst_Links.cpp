#include "KivoTest.h"
#include "PtyPair.h"

#include "link/SerialLink.h"
#include "link/TcpLink.h"

#include <QTcpServer>
#include <QTcpSocket>

using namespace kivo;

// The links' byte paths; connecting, refusals, unplugging and states as the window shows them are
// covered by the controller's test.
class LinksTest : public QObject
{
    Q_OBJECT
private slots:
    void serialBytesFlowBothWaysAndDiscardEmptiesInput()
    {
        PtyPair pty;
        SerialLink link;
        QVERIFY(link.open(pty.slavePath(), QStringLiteral("9600,N,8,1")));
        QVERIFY(link.open(pty.slavePath(), QStringLiteral("9600,N,8,1"))); // close-then-open, own lock
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
        QCOMPARE(error, QStringLiteral("The serial port is not open."));
    }

    void tcpBytesFlowAndDroppedConnectionStaysError()
    {
        QTcpServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost));
        TcpLink link;
        link.connectTo(QStringLiteral("127.0.0.1"), QString::number(server.serverPort()));
        QTRY_COMPARE(link.state(), int(TcpLink::Connected));
        QTRY_VERIFY(server.hasPendingConnections());
        QTcpSocket *peer = server.nextPendingConnection();
        QString error;
        QVERIFY(link.write("W?\r\n", &error));
        QByteArray atPeer, atLink;
        QTRY_COMPARE(atPeer += peer->readAll(), QByteArray("W?\r\n"));
        peer->write("ST,+1.0\r\n");
        QTRY_COMPARE(atLink += link.readAll(), QByteArray("ST,+1.0\r\n"));

        delete peer;
        QTRY_COMPARE(link.state(), int(TcpLink::Error));
        QTest::qWait(200);
        QCOMPARE(link.state(), int(TcpLink::Error));
        QVERIFY(!link.write("x", &error));
        QCOMPARE(error, QStringLiteral("The TCP connection is not open."));
        link.close();
        QCOMPARE(link.state(), int(TcpLink::Closed));
    }
};

KIVO_TEST_MAIN(LinksTest)
#include "tst_Links.moc"
