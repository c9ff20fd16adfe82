#include "tools/OrielFrames.h"

#include "KivoTest.h"

using namespace kivo;

class tst_OrielFrames : public QObject
{
    Q_OBJECT
private slots:
    void hexFieldPadsOrRefusesWhatDoesNotFit_data()
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
    void hexFieldPadsOrRefusesWhatDoesNotFit()
    {
        QFETCH(qint64, value);
        QFETCH(int, size);
        QTEST(HexField(value, size).value_or(QString()), "field");
    }

    void fieldValueRefusesSizesAndValuesNoFieldHolds_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("size");
        QTest::addColumn<qint64>("result"); // -1: refused
        QTest::newRow("no bytes") << 1.0 << 0 << qint64(-1);
        QTest::newRow("negative size") << 1.0 << -1 << qint64(-1);
        QTest::newRow("2^63 in 8 bytes") << 0x1p63 << 8 << qint64(-1);
        QTest::newRow("largest double below 2^63") << 0x1.fffffffffffffp62 << 8 << qint64(0x7FFFFFFFFFFFFC00);
    }
    void fieldValueRefusesSizesAndValuesNoFieldHolds()
    {
        QFETCH(double, value);
        QFETCH(int, size);
        QTEST(fieldValue(value, size).value_or(-1), "result");
    }

    void readFrameKeepsTwoDigitsForALowLetter()
    {
        QCOMPARE(readFrame('\x05', 4, 0x10054).value_or(QString()), QStringLiteral("5205"
                                                                                   "00010054"
                                                                                   "2C"
                                                                                   "0004"
                                                                                   "3A"
                                                                                   "BF"
                                                                                   "0D"));
    }

    void sumCheckKeepsLowByteOfPairSum_data()
    {
        QTest::addColumn<QString>("hex");
        QTest::addColumn<QString>("sum");
        QTest::newRow("no carry") << QString("00010040 2C 0004 3A") << QString("AB");
        QTest::newRow("carry dropped") << QString("FF 02") << QString("01");
        QTest::newRow("leading zero kept") << QString("2C D9") << QString("05");
    }
    void sumCheckKeepsLowByteOfPairSum()
    {
        QFETCH(QString, hex);
        QTEST(SumCheck(hex), "sum");
    }

    void recordAddressStepsThroughTableAndRefusesBeyond32Bits_data()
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
        QTest::newRow("first record beyond 32 bits")
            << 93367429.0 << kRecordTable << kRecordSize << qint64(-1);
        QTest::newRow("negative address") << -1426.0 << kRecordTable << kRecordSize << qint64(-1);
        QTest::newRow("lowest record") << -1425.0 << kRecordTable << kRecordSize << qint64(24);
    }
    void recordAddressStepsThroughTableAndRefusesBeyond32Bits()
    {
        QFETCH(double, n);
        QFETCH(qint64, tableStart);
        QFETCH(qint64, recordSize);
        QTEST(recordAddress(n, tableStart, recordSize).value_or(-1), "address");
    }

    void outOfRangeReadSendsNothing()
    {
        int calls = 0;
        const HexSendFn count = [&calls](const QString &, int16_t) { ++calls; };
        QVERIFY(!SendReadX(46, -22, count));
        QVERIFY(!SendReadF(350, qint64(0x100000000), count));
        QVERIFY(!SendReadX(0x10000, 0x10054, count));
        QCOMPARE(calls, 0);
    }

    void transferCompleteCarriesTwoByteSerial_data()
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
    void transferCompleteCarriesTwoByteSerial()
    {
        QFETCH(double, boxValue);
        const auto serial = fieldValue(boxValue, 2);
        QTEST(serial ? transferCompleteFrame(*serial).value_or(QString()) : QString(), "frame");
    }
};

KIVO_TEST_MAIN(tst_OrielFrames)
#include "tst_OrielFrames.moc"
