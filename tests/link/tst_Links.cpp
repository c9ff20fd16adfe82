#include "KivoTest.h"
#include "PtyPair.h"

#include "link/PortNames.h"
#include "link/SerialLink.h"
#include "link/TcpLink.h"

using namespace kivo;

// The links' own rules and the serial byte path; connecting, refusals, unplugging and the TCP link
// as the window shows them are the controller test's.
class tst_Links : public QObject
{
    Q_OBJECT
private slots:
    void portListIsInNaturalOrder_data()
    {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("COM numbers by value")
            << QStringList{"COM10", "COM2", "COM1", "COM15"} << QStringList{"COM1", "COM2", "COM10", "COM15"};
        QTest::newRow("ttyS before ttyUSB") << QStringList{"ttyUSB0", "ttyS10", "ttyACM0", "ttyS1", "ttyS2"}
                                            << QStringList{"ttyACM0", "ttyS1", "ttyS2", "ttyS10", "ttyUSB0"};
        QTest::newRow("letter case and leading zeros")
            << QStringList{"com3", "COM02", "COM2", "Com1"} << QStringList{"Com1", "COM2", "COM02", "com3"};
        QTest::newRow("prefix first")
            << QStringList{"COM1x", "COM1", "COM"} << QStringList{"COM", "COM1", "COM1x"};
    }
    void portListIsInNaturalOrder()
    {
        QFETCH(QStringList, names);
        QTEST(PortNames::sortedNaturally(names), "expected");
    }

    void remotePortMustBeWholeNumberInRange_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("port"); // 0: no connection attempt
        QTest::newRow("65535") << "65535" << 65535;
        QTest::newRow("leading zero") << "0502" << 502;
        QTest::newRow("empty") << "" << 0;
        QTest::newRow("65536") << "65536" << 0;
        QTest::newRow("blank inside") << "80 " << 0;
        QTest::newRow("overflow") << "99999999999999999999" << 0;
    }
    void remotePortMustBeWholeNumberInRange()
    {
        QFETCH(QString, text);
        QTEST(int(TcpLink::portNumber(text)), "port");
    }

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
    }
};

KIVO_TEST_MAIN(tst_Links)
#include "tst_Links.moc"
