#include "send/SendEncoding.h"

#include "KivoTest.h"

using namespace kivo;

class tst_SendEncoding : public QObject
{
    Q_OBJECT
private slots:
    // Each row: hex text, the bytes sent, the hex line shown, and their XOR checksum.
    void hexTextBecomesTheBytesOfItsPairs_data()
    {
        QTest::addColumn<QString>("hex");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("spaced");
        QTest::addColumn<int>("xorValue");
        QTest::newRow("two pairs") << "4142" << QByteArray("\x41\x42") << "41 42 " << 0x03;
        QTest::newRow("case kept on screen") << "0d0A" << QByteArray("\x0D\x0A") << "0d 0A " << 0x07;
        QTest::newRow("4Z reads 4") << "4Z" << QByteArray("\x04") << "4Z " << 0x04;
        QTest::newRow("ZZ reads 0") << "ZZ" << QByteArray(1, '\0') << "ZZ " << 0x00;
        QTest::newRow("blanks ignored") << " 02 4 1 03" << QByteArray("\x02\x41\x03") << "02 41 03 " << 0x40;
        QTest::newRow("lone last digit") << "414" << QByteArray("\x41\x04") << "41 4 " << 0x45;
        QTest::newRow("blanks only") << "   " << QByteArray() << "" << 0x00;
        QTest::newRow("xor of 02 31 32") << "02 31 32" << QByteArray("\x02\x31\x32") << "02 31 32 " << 0x01;
    }
    void hexTextBecomesTheBytesOfItsPairs()
    {
        QFETCH(QString, hex);
        QTEST(HexToBytes(hex), "bytes");
        QTEST(HexToSpaced(hex), "spaced");
        QTEST(int(xorOfHexBytes(hex)), "xorValue");
    }

    void asciiTextBecomesItsCodePageBytes_data()
    {
        QTest::addColumn<QByteArray>("codePage");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("hex");
        QTest::newRow("letters") << QByteArray("UTF-8") << "AB" << QString("4142");
        QTest::newRow("controls padded")
            << QByteArray("UTF-8") << QStringLiteral("\x02Z\r\n\x03") << "025A0D0A03";
        QTest::newRow("double-byte lead first") << QByteArray("CP949") << QStringLiteral(u"가A") << "B0A141";
    }
    void asciiTextBecomesItsCodePageBytes()
    {
        QFETCH(QByteArray, codePage);
        QFETCH(QString, text);
        const CodePage cp(codePage);
        QTEST(AscToHex(text, cp), "hex");
        QCOMPARE(HexToBytes(AscToHex(text, cp)), cp.encode(text));
    }

    void storedStringFramingKeepsLineEndInsideFrame_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("lineEnd");
        QTest::addColumn<bool>("stx");
        QTest::addColumn<QString>("lineEndChars");
        QTest::addColumn<QString>("framed");
        QTest::newRow("both") << 1 << true << true << "\r\n" << QString("\0025A\r\n\003");
        QTest::newRow("LF only") << 1 << true << false << "\n" << QString("5A\n");
        QTest::newRow("stx only") << 1 << false << true << "\r\n" << QString("\0025A\003");
        QTest::newRow("hexa never framed") << 2 << true << true << "\r\n" << QString("5A");
        QTest::newRow("mode 0 is hexa") << 0 << true << true << "\r\n" << QString("5A");
    }
    void storedStringFramingKeepsLineEndInsideFrame()
    {
        QFETCH(int, mode);
        QFETCH(bool, lineEnd);
        QFETCH(bool, stx);
        QFETCH(QString, lineEndChars);
        QTEST(frameStoredString(QStringLiteral("5A"), int16_t(mode), lineEnd, stx, lineEndChars), "framed");
    }

    // One change of the box: its new text, the counter before, the counter after, the unit sent and
    // the length caption. Format 1 is ASCII, 2 Hexa; all rows in Byte Data form unless named.
    void sendBoxCountsWholeUnitsOnly_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("format");
        QTest::addColumn<int>("before");
        QTest::addColumn<int>("after");
        QTest::addColumn<QString>("unit");
        QTest::addColumn<QString>("caption");
        const auto row = [](const char *tag, const char *text, int format, int before, int after,
                            const char *unit, const char *caption) {
            QTest::newRow(tag) << QString(text) << format << before << after << QString(unit)
                               << QString(caption);
        };
        row("ascii below count", "ABD", 1, 3, 3, "", "Length 3");
        row("one char resets", "A", 1, 5, 1, "A", "Length 1");
        row("empty hides label", "", 1, 5, 0, "", "");
        row("hexa half unit", "414", 2, 1, 1, "", "Length 1.5");
        row("hexa paste: last unit", "4142", 2, 0, 2, "42", "Length 2");
        row("hexa odd paste: last pair", "414", 2, 0, 1, "41", "Length 1.5");
        row("hexa odd paste grows", "41425", 2, 1, 2, "42", "Length 2.5");
        row("format 0 is hexa", "4142", 0, 0, 2, "42", "Length 2");
    }
    void sendBoxCountsWholeUnitsOnly()
    {
        QFETCH(QString, text);
        QFETCH(int, format);
        QFETCH(int, before);
        QFETCH(QString, caption);
        const SendBoxChange change = sendBoxChanged(text, int16_t(format), true, before);
        QTEST(change.sentUnits, "after");
        QTEST(change.unitToSend, "unit");
        QCOMPARE(change.lengthCaption, caption);
        // Message Data form counts and shows the same but never sends.
        QCOMPARE(sendBoxChanged(text, int16_t(format), false, 0).unitToSend, QString());
        QCOMPARE(sendBoxChanged(text, int16_t(format), false, 0).lengthCaption, caption);
    }

    void deletionIsOneRunTakenOut_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("after");
        QTest::addColumn<bool>("deletion");
        QTest::newRow("backspace") << QString("AB") << QString("A") << true;
        QTest::newRow("middle run") << QString("ABCD") << QString("AD") << true;
        QTest::newRow("select all, type") << QString("ABC") << QString("Z") << false;
        QTest::newRow("growing") << QString("AB") << QString("ABC") << false;
    }
    void deletionIsOneRunTakenOut()
    {
        QFETCH(QString, before);
        QFETCH(QString, after);
        QFETCH(bool, deletion);
        QCOMPARE(isDeletion(before, after), deletion);
        // After two units were sent, a deletion sends nothing (also down to one character); typing does.
        QCOMPARE(sendBoxChanged(after, 1, true, 2, deletion).unitToSend.isEmpty(), deletion);
    }
};

KIVO_TEST_MAIN(tst_SendEncoding)
#include "tst_SendEncoding.moc"
