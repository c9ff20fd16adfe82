#include "KivoTest.h"

#include "link/TcpLink.h"

#include <QTcpServer>
#include <QTcpSocket>

using namespace kivo;

namespace {
// A local port with nothing listening on it.
quint16 closedPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    return probe.serverPort();
}
} // namespace

class TcpLinkTest : public QObject
{
    Q_OBJECT
private slots:
    void connectsAndCarriesBytesBothWays()
    {
        QTcpServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost));
        TcpLink link;
        QCOMPARE(link.state(), int(TcpLink::Closed));
        link.connectTo(QStringLiteral("127.0.0.1"), QString::number(server.serverPort()));
        QVERIFY(link.state() == TcpLink::ResolvingHost || link.state() == TcpLink::Connecting);
        QTRY_COMPARE(link.state(), int(TcpLink::Connected));
        QVERIFY(link.isReady());
        QTRY_VERIFY(server.hasPendingConnections());
        QTcpSocket *peer = server.nextPendingConnection();

        QString error;
        QVERIFY(link.write("W?\r\n", &error));
        QByteArray atPeer, atLink;
        QTRY_COMPARE(atPeer += peer->readAll(), QByteArray("W?\r\n"));
        peer->write("ST,+1.0\r\n");
        QTRY_COMPARE(atLink += link.readAll(), QByteArray("ST,+1.0\r\n"));
    }

    void refusedConnectionStaysErrorUntilClosed()
    {
        TcpLink link;
        link.connectTo(QStringLiteral("127.0.0.1"), QString::number(closedPort()));
        QTRY_COMPARE(link.state(), int(TcpLink::Error));
        QTest::qWait(300);
        QCOMPARE(link.state(), int(TcpLink::Error));
        QVERIFY(!link.lastError().isEmpty());
        link.close();
        QCOMPARE(link.state(), int(TcpLink::Closed));
    }

    void droppedConnectionReadsError()
    {
        QTcpServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost));
        TcpLink link;
        link.connectTo(QStringLiteral("127.0.0.1"), QString::number(server.serverPort()));
        QTRY_VERIFY(server.hasPendingConnections());
        QTRY_COMPARE(link.state(), int(TcpLink::Connected));
        delete server.nextPendingConnection();
        QTRY_COMPARE(link.state(), int(TcpLink::Error));
        QString error;
        QVERIFY(!link.write("x", &error));
        QCOMPARE(error, QStringLiteral("The TCP connection is not open."));
    }

    void badPortTextMakesNoAttempt_data()
    {
        QTest::addColumn<QString>("portText");
        QTest::newRow("empty") << "";
        QTest::newRow("0") << "0";
        QTest::newRow("65536") << "65536";
        QTest::newRow("not a number") << "80a";
    }
    void badPortTextMakesNoAttempt()
    {
        QFETCH(QString, portText);
        QTcpServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost));
        TcpLink link;
        link.connectTo(QStringLiteral("127.0.0.1"), QString::number(server.serverPort()));
        QTRY_VERIFY(server.hasPendingConnections());
        delete server.nextPendingConnection();

        // Reconnecting with a bad port closes the old connection and tries nothing new.
        link.connectTo(QStringLiteral("127.0.0.1"), portText);
        QCOMPARE(link.state(), int(TcpLink::Error));
        QTest::qWait(100);
        QVERIFY(!server.hasPendingConnections());
        QCOMPARE(link.state(), int(TcpLink::Error));
    }
};

KIVO_TEST_MAIN(TcpLinkTest)
#include "tst_TcpLink.moc"
