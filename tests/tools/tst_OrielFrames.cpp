#include "tools/OrielFrames.h"

#include "KivoTest.h"

using namespace kivo;

class tst_OrielFrames : public QObject
{
    Q_OBJECT
private slots:
    void hexFieldPadsOrRefusesWhatDoesNotFit_data();
    void hexFieldPadsOrRefusesWhatDoesNotFit();
    void sumCheckKeepsLowByteOfPairSum_data();
    void sumCheckKeepsLowByteOfPairSum();
    void readFramesCarryAddressCountAndSum_data();
    void readFramesCarryAddressCountAndSum();
    void recordAddressStepsThroughTableAndRefusesBeyond32Bits_data();
    void recordAddressStepsThroughTableAndRefusesBeyond32Bits();
    void outOfRangeReadSendsNothing();
    void transferCompleteCarriesTwoByteSerial_data();
    void transferCompleteCarriesTwoByteSerial();
};

void tst_OrielFrames::hexFieldPadsOrRefusesWhatDoesNotFit_data()
{
    QTest::addColumn<qint64>("value");
    QTest::addColumn<int>("size");
    QTest::addColumn<QString>("field");
    QTest::newRow("padded to four digits") << qint64(1) << 2 << "0001";
    QTest::newRow("upper case") << qint64(0x1005e) << 4 << "0001005E";
    QTest::newRow("already full width") << qint64(0xFFFF) << 2 << "FFFF";
    QTest::newRow("32-bit maximum") << qint64(0xFFFFFFFF) << 4 << "FFFFFFFF";
    QTest::newRow("one too large for 2 bytes") << qint64(0x10000) << 2 << QString();
    QTest::newRow("one too large for 4 bytes") << qint64(0x100000000) << 4 << QString();
    QTest::newRow("negative") << qint64(-1) << 4 << QString();
}

void tst_OrielFrames::hexFieldPadsOrRefusesWhatDoesNotFit()
{
    QFETCH(qint64, value);
    QFETCH(int, size);
    QFETCH(QString, field);
    QCOMPARE(HexField(value, size).value_or(QString()), field);
}

void tst_OrielFrames::sumCheckKeepsLowByteOfPairSum_data()
{
    QTest::addColumn<QString>("hex");
    QTest::addColumn<QString>("sum");
    QTest::newRow("no carry") << "00010040 2C 0004 3A"
                              << "AB";
    QTest::newRow("carry dropped") << "FF 02"
                                   << "01";
    QTest::newRow("leading zero kept") << "2C D9"
                                       << "05";
}

void tst_OrielFrames::sumCheckKeepsLowByteOfPairSum()
{
    QFETCH(QString, hex);
    QFETCH(QString, sum);
    QCOMPARE(SumCheck(hex), sum);
}

// Every read button's frame when its number box holds 1, and the record reads of later records.
void tst_OrielFrames::readFramesCarryAddressCountAndSum_data()
{
    QTest::addColumn<char>("letter");
    QTest::addColumn<qint64>("count");
    QTest::addColumn<qint64>("address");
    QTest::addColumn<QString>("frame");
    QTest::newRow("Command1") << 'X' << qint64(4) << qint64(0x00010040) << "5258000100402C00043AAB0D";
    QTest::newRow("Command2") << 'X' << qint64(4) << qint64(0x00010044) << "5258000100442C00043AAF0D";
    QTest::newRow("Command3") << 'X' << qint64(4) << qint64(0x00010048) << "5258000100482C00043AB30D";
    QTest::newRow("Command4") << 'X' << qint64(4) << qint64(0x0001004C) << "52580001004C2C00043AB70D";
    QTest::newRow("Command5") << 'X' << qint64(2) << qint64(0x00010050) << "5258000100502C00023AB90D";
    QTest::newRow("Command6") << 'X' << qint64(2) << qint64(0x00010052) << "5258000100522C00023ABB0D";
    QTest::newRow("Command7 record 1")
        << 'X' << qint64(46) << qint64(0x00010054) << "5258000100542C002E3AE90D";
    QTest::newRow("Command7 record 3")
        << 'X' << qint64(46) << qint64(0x000100B0) << "5258000100B02C002E3A450D";
    QTest::newRow("Command11 record 1") << 'F' << qint64(350) << qint64(0x00164105)
                                        << "524600164105"
                                           "2C015E3A210D";
    QTest::newRow("Command11 record 2") << 'F' << qint64(350) << qint64(0x00164263)
                                        << "524600164263"
                                           "2C015E3A800D";
}

void tst_OrielFrames::readFramesCarryAddressCountAndSum()
{
    QFETCH(char, letter);
    QFETCH(qint64, count);
    QFETCH(qint64, address);
    QFETCH(QString, frame);
    QStringList sent;
    const HexSendFn collect = [&sent](const QString &text, int16_t format) {
        QCOMPARE(format, kHexaFormat);
        sent << text;
    };
    QVERIFY(letter == 'X' ? SendReadX(count, address, collect) : SendReadF(count, address, collect));
    QCOMPARE(sent, QStringList{frame});
}

void tst_OrielFrames::recordAddressStepsThroughTableAndRefusesBeyond32Bits_data()
{
    QTest::addColumn<double>("n");
    QTest::addColumn<qint64>("tableStart");
    QTest::addColumn<qint64>("recordSize");
    QTest::addColumn<qint64>("address"); // -1: refused
    QTest::newRow("record 3") << 3.0 << kRecordTable << kRecordSize << qint64(0x000100B0);
    QTest::newRow("letters count 0") << 0.0 << kRecordTable << kRecordSize << qint64(0x00010026);
    QTest::newRow("PLU record 2") << 2.0 << kPluTable << kPluSize << qint64(0x00164263);
    QTest::newRow("last record below 4 GiB")
        << 93367428.0 << kRecordTable << kRecordSize << qint64(0xFFFFFFDE);
    QTest::newRow("first record beyond 32 bits") << 93367429.0 << kRecordTable << kRecordSize << qint64(-1);
    QTest::newRow("negative address") << -1426.0 << kRecordTable << kRecordSize << qint64(-1);
    QTest::newRow("lowest record") << -1425.0 << kRecordTable << kRecordSize << qint64(24);
}

void tst_OrielFrames::recordAddressStepsThroughTableAndRefusesBeyond32Bits()
{
    QFETCH(double, n);
    QFETCH(qint64, tableStart);
    QFETCH(qint64, recordSize);
    QFETCH(qint64, address);
    QCOMPARE(recordAddress(n, tableStart, recordSize).value_or(-1), address);
}

void tst_OrielFrames::outOfRangeReadSendsNothing()
{
    int calls = 0;
    const HexSendFn count = [&calls](const QString &, int16_t) { ++calls; };
    QVERIFY(!SendReadX(46, -22, count));
    QVERIFY(!SendReadF(350, qint64(0x100000000), count));
    QVERIFY(!SendReadX(0x10000, 0x10054, count));
    QCOMPARE(calls, 0);
}

void tst_OrielFrames::transferCompleteCarriesTwoByteSerial_data()
{
    QTest::addColumn<double>("boxValue");
    QTest::addColumn<QString>("frame");
    QTest::newRow("1") << 1.0 << "47530001300D";
    QTest::newRow("300") << 300.0 << "4753012C300D";
    QTest::newRow("4096") << 4096.0 << "47531000300D";
    QTest::newRow("2.5 rounds half to even") << 2.5 << "47530002300D";
    QTest::newRow("65535") << 65535.0 << "4753FFFF300D";
    QTest::newRow("65536 refused") << 65536.0 << QString();
    QTest::newRow("negative refused") << -1.0 << QString();
}

void tst_OrielFrames::transferCompleteCarriesTwoByteSerial()
{
    QFETCH(double, boxValue);
    QFETCH(QString, frame);
    const auto serial = fieldValue(boxValue, 2);
    QCOMPARE(serial ? transferCompleteFrame(*serial).value_or(QString()) : QString(), frame);
}

KIVO_TEST_MAIN(tst_OrielFrames)
#include "tst_OrielFrames.moc"
