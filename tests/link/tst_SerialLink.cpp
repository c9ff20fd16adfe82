#include "KivoTest.h"
#include "PtyPair.h"

#include "link/SerialLink.h"

#include <QSignalSpy>

using namespace kivo;

class SerialLinkTest : public QObject
{
    Q_OBJECT
private slots:
    void openAppliesSettingsToTheTerminal_data()
    {
        QTest::addColumn<QString>("settings");
        QTest::addColumn<int>("speed");
        QTest::addColumn<bool>("twoStopBits");
        QTest::newRow("9600,N,8,1") << "9600,N,8,1" << int(B9600) << false;
        QTest::newRow("19200,N,8,2") << "19200,N,8,2" << int(B19200) << true;
        QTest::newRow("115200,N,8,1") << "115200,N,8,1" << int(B115200) << false;
    }
    void openAppliesSettingsToTheTerminal()
    {
        QFETCH(QString, settings);
        QFETCH(int, speed);
        QFETCH(bool, twoStopBits);
        PtyPair pty;
        QVERIFY(pty.isValid());
        SerialLink link;
        QString error;
        QVERIFY2(link.open(pty.slavePath(), settings, &error), qPrintable(error));
        QVERIFY(link.isReady());
        const termios t = pty.attributes();
        QCOMPARE(int(cfgetospeed(&t)), speed);
        QCOMPARE(bool(t.c_cflag & CSTOPB), twoStopBits);
        QCOMPARE(int(t.c_cflag & CSIZE), int(CS8));
    }

    void bytesFlowBothWays()
    {
        PtyPair pty;
        SerialLink link;
        QVERIFY(link.open(pty.slavePath(), QStringLiteral("9600,N,8,1")));
        QSignalSpy ready(&link, &Link::readyRead);

        const QByteArray fromDevice("ST,GS,+0012.34kg\r\n\x00\xff", 20);
        pty.deviceSends(fromDevice);
        QTRY_VERIFY(link.bytesAvailable() == fromDevice.size());
        QVERIFY(ready.count() >= 1);
        QCOMPARE(link.readAll(), fromDevice);

        QString error;
        QVERIFY2(link.write(QByteArray("\x02Z\x03", 3), &error), qPrintable(error));
        QByteArray got;
        QTRY_COMPARE(got += pty.deviceReceived(), QByteArray("\x02Z\x03", 3));

        pty.deviceSends("junk");
        QTRY_VERIFY(link.bytesAvailable() > 0);
        link.discardInput();
        QCOMPARE(link.readAll(), QByteArray());
    }

    // Close-then-open: opening again while open must not trip over the port's own lock file.
    void reopeningAnOpenPortSucceeds()
    {
        PtyPair pty;
        SerialLink link;
        QVERIFY(link.open(pty.slavePath(), QStringLiteral("9600,N,8,1")));
        QString error;
        QVERIFY2(link.open(pty.slavePath(), QStringLiteral("4800,N,8,1"), &error), qPrintable(error));
        const termios t = pty.attributes();
        QCOMPARE(int(cfgetospeed(&t)), int(B4800));
    }

    void refusedSettingsLeaveThePortClosed_data()
    {
        QTest::addColumn<QString>("port"); // empty: the pty's own path
        QTest::addColumn<QString>("settings");
        QTest::newRow("even parity (driver refuses)") << ""
                                                      << "9600,E,8,1";
        QTest::newRow("7 data bits (driver refuses)") << ""
                                                      << "9600,N,7,1";
        QTest::newRow("4 data bits (no such setting)") << ""
                                                       << "9600,N,4,1";
        QTest::newRow("no port chosen") << " "
                                        << "9600,N,8,1";
        QTest::newRow("no such device") << "/dev/kivo-no-such-port"
                                        << "9600,N,8,1";
    }
    void refusedSettingsLeaveThePortClosed()
    {
        QFETCH(QString, port);
        QFETCH(QString, settings);
        PtyPair pty;
        SerialLink link;
        QString error;
        QVERIFY(!link.open(port.isEmpty() ? pty.slavePath() : port, settings, &error));
        QVERIFY(!error.isEmpty());
        QVERIFY(!link.isOpen());
        QVERIFY(!link.isReady());
    }

    void writeOnClosedPortIsRefusedWithOwnMessage()
    {
        SerialLink link;
        QString error;
        QVERIFY(!link.write("A", &error));
        QCOMPARE(error, QStringLiteral("The serial port is not open."));
        link.discardInput(); // must do nothing on a closed port
        QCOMPARE(link.readAll(), QByteArray());
    }

    // The far end going away makes Qt report ReadError in a tight loop; the link must close the
    // port, report once, and be able to open a port again.
    void unpluggedDeviceClosesPortAndReportsOnce()
    {
        PtyPair pty;
        SerialLink link;
        QVERIFY(link.open(pty.slavePath(), QStringLiteral("9600,N,8,1")));
        QSignalSpy failed(&link, &Link::failed);
        pty.unplug();
        QTRY_COMPARE(failed.count(), 1);
        QVERIFY(!link.isOpen());
        QVERIFY(!failed.at(0).at(0).toString().isEmpty());
        QTest::qWait(100);
        QCOMPARE(failed.count(), 1);

        PtyPair again;
        QVERIFY(link.open(again.slavePath(), QStringLiteral("9600,N,8,1")));
        QVERIFY(link.isOpen());
    }
};

KIVO_TEST_MAIN(SerialLinkTest)
#include "tst_SerialLink.moc"
