#include "tools/OrielFrames.h"

#include "KivoTest.h"

using namespace kivo;
using kivotest::DataTable;
using kivotest::fetch;

class tst_OrielFrames : public QObject
{
    Q_OBJECT
private slots:
    void hexFieldPadsOrRefusesWhatDoesNotFit_data()
    {
        DataTable<qint64, int, QString> row("value", "size", "field");
        row("padded to four digits", 1, 2, "0001");
        row("upper case", 0x1005e, 4, "0001005E");
        row("already full width", 0xFFFF, 2, "FFFF");
        row("32-bit maximum", 0xFFFFFFFF, 4, "FFFFFFFF");
        row("one too large for 2 bytes", 0x10000, 2, {});
        row("one too large for 4 bytes", 0x100000000, 4, {});
        row("negative", -1, 4, {});
    }
    void hexFieldPadsOrRefusesWhatDoesNotFit()
    {
        const auto [value, size] = fetch<qint64, int>("value", "size");
        QTEST(HexField(value, size).value_or(QString()), "field");
    }

    void fieldValueRefusesSizesAndValuesNoFieldHolds_data()
    {
        DataTable<double, int, qint64> row("value", "size", "result"); // -1: refused
        row("no bytes", 1.0, 0, -1);
        row("negative size", 1.0, -1, -1);
        row("2^63 in 8 bytes", 0x1p63, 8, -1);
        row("largest double below 2^63", 0x1.fffffffffffffp62, 8, 0x7FFFFFFFFFFFFC00);
    }
    void fieldValueRefusesSizesAndValuesNoFieldHolds()
    {
        const auto [value, size] = fetch<double, int>("value", "size");
        QTEST(fieldValue(value, size).value_or(-1), "result");
    }

    void readFrameKeepsTwoDigitsForALowLetter()
    {
        QCOMPARE(readFrame('\x05', 4, 0x10054).value_or(QString()),
                 QString("5205 00010054 2C 0004 3A BF 0D").remove(' '));
    }

    void sumCheckKeepsLowByteOfPairSum_data()
    {
        DataTable<QString, QString> row("hex", "sum");
        row("no carry", "00010040 2C 0004 3A", "AB");
        row("carry dropped", "FF 02", "01");
        row("leading zero kept", "2C D9", "05");
    }
    void sumCheckKeepsLowByteOfPairSum()
    {
        QFETCH(QString, hex);
        QTEST(SumCheck(hex), "sum");
    }

    // Ordinary records (3, 0, PLU 2) and the first refused on either side (-1426, 93367429) are
    // read through the form in tst_frmOriel, with the same numbers.
    void recordAddressStepsThroughTableAndRefusesBeyond32Bits_data()
    {
        DataTable<double, qint64, qint64, qint64> row("n", "tableStart", "recordSize",
                                                      "address"); // -1: refused
        row("last record below 4 GiB", 93367428, kRecordTable, kRecordSize, 0xFFFFFFDE);
        row("lowest record", -1425, kRecordTable, kRecordSize, 24);
    }
    void recordAddressStepsThroughTableAndRefusesBeyond32Bits()
    {
        const auto [n, tableStart, recordSize] =
            fetch<double, qint64, qint64>("n", "tableStart", "recordSize");
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

    // 65536 and -1 are refused through the form in tst_frmOriel.
    void transferCompleteCarriesTwoByteSerial_data()
    {
        DataTable<double, QString> row("boxValue", "frame");
        row("1", 1, "47530001300D");
        row("300", 300, "4753012C300D");
        row("4096", 4096, "47531000300D");
        row("2.5 rounds half to even", 2.5, "47530002300D");
        row("65535", 65535, "4753FFFF300D");
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
