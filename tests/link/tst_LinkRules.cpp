#include "KivoTest.h"

#include "link/PortNames.h"
#include "link/SerialSettings.h"
#include "link/TcpLink.h"

using namespace kivo;

class LinkRulesTest : public QObject
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
        QFETCH(QStringList, expected);
        QCOMPARE(PortNames::sortedNaturally(names), expected);
    }

    void portLimitAppliesOnlyToComNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("number"); // -1: not a COM name
        QTest::newRow("COM15") << "COM15" << 15;
        QTest::newRow("COM16") << "COM16" << 16;
        QTest::newRow("huge number") << "COM99999999999" << INT_MAX;
        QTest::newRow("device path") << "/dev/ttyUSB20" << -1;
        QTest::newRow("bare COM") << "COM" << -1;
    }
    void portLimitAppliesOnlyToComNames()
    {
        QFETCH(QString, name);
        QFETCH(int, number);
        const std::optional<int> got = PortNames::comNumber(name);
        QCOMPARE(got.value_or(-1), number);
    }

    void settingsTextIsReadOrRefused_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("9600,N,8,1") << "9600,N,8,1" << true;
        QTest::newRow("space parity, 2 stop") << "256000,S,6,2" << true;
        QTest::newRow("4 data bits") << "9600,N,4,1" << false;
        QTest::newRow("unknown parity") << "9600,X,8,1" << false;
        QTest::newRow("stop bits 3") << "9600,N,8,3" << false;
        QTest::newRow("empty") << "" << false;
    }
    void settingsTextIsReadOrRefused()
    {
        QFETCH(QString, text);
        QFETCH(bool, accepted);
        QString error;
        const std::optional<SerialSettings> s = SerialSettings::parse(text, &error);
        QCOMPARE(s.has_value(), accepted);
        if (accepted)
            QCOMPARE(s->toText(), text);
        else
            QVERIFY(!error.isEmpty());
    }

    void remotePortMustBeWholeNumberInRange_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("port");
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
        QFETCH(int, port);
        QCOMPARE(int(TcpLink::portNumber(text)), port);
    }
};

KIVO_TEST_MAIN(LinkRulesTest)
#include "tst_LinkRules.moc"
