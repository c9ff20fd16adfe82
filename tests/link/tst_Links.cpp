#include "KivoTest.h"
#include "PtyPair.h"

#include "link/PortNames.h"
#include "link/SerialLink.h"
#include "link/TcpLink.h"

using namespace kivo;
using kivotest::DataTable;

// The links' own rules and the serial byte path; connecting, refusals, unplugging and the TCP link
// as the window shows them are the controller test's.
class tst_Links : public QObject
{
    Q_OBJECT
private slots:
    void portListIsInNaturalOrder_data()
    {
        DataTable<QStringList, QStringList> row("names", "expected");
        row("COM numbers by value", {"COM10", "COM2", "COM1", "COM15"}, {"COM1", "COM2", "COM10", "COM15"});
        row("ttyS before ttyUSB", {"ttyUSB0", "ttyS10", "ttyACM0", "ttyS1", "ttyS2"},
            {"ttyACM0", "ttyS1", "ttyS2", "ttyS10", "ttyUSB0"});
        row("letter case and leading zeros", {"com3", "COM02", "COM2", "Com1"},
            {"Com1", "COM2", "COM02", "com3"});
        row("prefix first", {"COM1x", "COM1", "COM"}, {"COM", "COM1", "COM1x"});
    }
    void portListIsInNaturalOrder()
    {
        QFETCH(QStringList, names);
        QTEST(PortNames::sortedNaturally(names), "expected");
    }

    void remotePortMustBeWholeNumberInRange_data()
    {
        DataTable<QString, int> row("text", "port"); // 0: no connection attempt
        row("65535", "65535", 65535);
        row("leading zero", "0502", 502);
        row("empty", "", 0);
        row("65536", "65536", 0);
        row("blank inside", "80 ", 0);
        row("overflow", "99999999999999999999", 0);
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
        QVERIFY(link.open(pty.slavePath(), u"9600,N,8,1"_s));
        QVERIFY(link.open(pty.slavePath(), u"9600,N,8,1"_s)); // close-then-open, own lock
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
