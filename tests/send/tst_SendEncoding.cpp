#include "send/SendEncoding.h"

#include "KivoTest.h"

using namespace kivo;

class tst_SendEncoding : public QObject
{
    Q_OBJECT
private slots:
    void hexTextBecomesTheBytesOfItsPairs_data();
    void hexTextBecomesTheBytesOfItsPairs();
    void asciiTextBecomesItsCodePageBytes_data();
    void asciiTextBecomesItsCodePageBytes();
    void storedStringFraming_data();
    void storedStringFraming();
    void sendBoxUnitCounting_data();
    void sendBoxUnitCounting();
    void deletionIsOneRunTakenOut_data();
    void deletionIsOneRunTakenOut();
    void sendButtonRefusesEmptyOrHalfUnit_data();
    void sendButtonRefusesEmptyOrHalfUnit();
};

// Each row: hex text, the bytes sent, the hex line shown, and their XOR checksum.
void tst_SendEncoding::hexTextBecomesTheBytesOfItsPairs_data()
{
    QTest::addColumn<QString>("hex");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("spaced");
    QTest::addColumn<int>("xorValue");
    QTest::newRow("two pairs") << "4142" << QByteArray("\x41\x42") << "41 42 " << 0x03;
    QTest::newRow("lower case kept on screen") << "0d0A" << QByteArray("\x0D\x0A") << "0d 0A " << 0x07;
    QTest::newRow("pair read to its first non-digit") << "4Z" << QByteArray("\x04") << "4Z " << 0x04;
    QTest::newRow("pair starting with non-digit") << "ZZ" << QByteArray(1, '\0') << "ZZ " << 0x00;
    QTest::newRow("blanks between pairs ignored")
        << "02 41 03" << QByteArray("\x02\x41\x03") << "02 41 03 " << 0x40;
    QTest::newRow("blank splitting a pair ignored") << " 4 1 " << QByteArray("\x41") << "41 " << 0x41;
    QTest::newRow("lone last digit is its own byte") << "414" << QByteArray("\x41\x04") << "41 4 " << 0x45;
    QTest::newRow("blanks only give nothing") << "   " << QByteArray() << "" << 0x00;
    QTest::newRow("empty gives nothing") << "" << QByteArray() << "" << 0x00;
    QTest::newRow("checksum of 02 31 32") << "02 31 32" << QByteArray("\x02\x31\x32") << "02 31 32 " << 0x01;
    QTest::newRow("high values") << "FFfe" << QByteArray("\xFF\xFE") << "FF fe " << 0x01;
}

void tst_SendEncoding::hexTextBecomesTheBytesOfItsPairs()
{
    QFETCH(QString, hex);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, spaced);
    QFETCH(int, xorValue);
    QCOMPARE(HexToBytes(hex), bytes);
    QCOMPARE(HexToSpaced(hex), spaced);
    QCOMPARE(int(xorOfHexBytes(hex)), xorValue);
}

void tst_SendEncoding::asciiTextBecomesItsCodePageBytes_data()
{
    QTest::addColumn<QByteArray>("codePage");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("hex");
    QTest::newRow("letters") << QByteArray("UTF-8") << "AB"
                             << "4142";
    QTest::newRow("control characters padded to two digits")
        << QByteArray("UTF-8") << QStringLiteral("\x02Z\r\n\x03") << "025A0D0A03";
    QTest::newRow("double-byte character lead byte first")
        << QByteArray("CP949") << QStringLiteral(u"가A") << "B0A141";
    QTest::newRow("utf-8 multibyte") << QByteArray("UTF-8") << QStringLiteral(u"가") << "EAB080";
}

void tst_SendEncoding::asciiTextBecomesItsCodePageBytes()
{
    QFETCH(QByteArray, codePage);
    QFETCH(QString, text);
    QFETCH(QString, hex);
    const CodePage cp(codePage);
    QVERIFY(cp.isValid());
    QCOMPARE(AscToHex(text, cp), hex);
    QCOMPARE(HexToBytes(AscToHex(text, cp)), cp.encode(text));
}

void tst_SendEncoding::storedStringFraming_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("lineEnd");
    QTest::addColumn<bool>("stx");
    QTest::addColumn<QString>("lineEndChars");
    QTest::addColumn<QString>("framed");
    const QString crlf = QStringLiteral("\r\n");
    QTest::newRow("ascii both: line end inside frame") << "ABC" << 1 << true << true << crlf
                                                       << QStringLiteral("\x02"
                                                                         "ABC\r\n\x03");
    QTest::newRow("ascii line end only") << "Z" << 1 << true << false << crlf << QStringLiteral("Z\r\n");
    QTest::newRow("ascii stx only") << "ABC" << 1 << false << true << crlf
                                    << QStringLiteral("\x02"
                                                      "ABC\x03");
    QTest::newRow("ascii LF chosen") << "ABC" << 1 << true << true << "\n"
                                     << QStringLiteral("\x02"
                                                       "ABC\n\x03");
    QTest::newRow("ascii CR chosen") << "ABC" << 1 << true << false << "\r" << QStringLiteral("ABC\r");
    QTest::newRow("hexa never framed") << "5A" << 2 << true << true << crlf << "5A";
    QTest::newRow("mode 0 is hexa, never framed") << "02 41" << 0 << true << true << crlf << "02 41";
    QTest::newRow("no options") << "AB" << 1 << false << false << crlf << "AB";
}

void tst_SendEncoding::storedStringFraming()
{
    QFETCH(QString, text);
    QFETCH(int, mode);
    QFETCH(bool, lineEnd);
    QFETCH(bool, stx);
    QFETCH(QString, lineEndChars);
    QFETCH(QString, framed);
    QCOMPARE(frameStoredString(text, int16_t(mode), lineEnd, stx, lineEndChars), framed);
}

// Each row is one change of the box: the text after it, the counter before it, and what follows.
void tst_SendEncoding::sendBoxUnitCounting_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("format");
    QTest::addColumn<bool>("byteForm");
    QTest::addColumn<int>("sentBefore");
    QTest::addColumn<int>("sentAfter");
    QTest::addColumn<QString>("unit");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<bool>("deletion");
    QTest::newRow("ascii first char") << "A" << 1 << true << 0 << 1 << "A"
                                      << "Length 1" << false;
    QTest::newRow("ascii third char") << "ABC" << 1 << true << 2 << 3 << "C"
                                      << "Length 3" << false;
    QTest::newRow("ascii delete sends nothing, keeps count") << "AB" << 1 << true << 3 << 3 << ""
                                                             << "Length 2" << false;
    QTest::newRow("ascii retype below count sends nothing") << "ABD" << 1 << true << 3 << 3 << ""
                                                            << "Length 3" << false;
    QTest::newRow("ascii growing past count sends last") << "ABDE" << 1 << true << 3 << 4 << "E"
                                                         << "Length 4" << false;
    QTest::newRow("one char left resets count") << "A" << 1 << true << 5 << 1 << "A"
                                                << "Length 1" << false;
    QTest::newRow("empty resets and hides") << "" << 1 << true << 5 << 0 << ""
                                            << "" << false;
    QTest::newRow("hexa lone digit sends nothing") << "4" << 2 << true << 0 << 0 << ""
                                                   << "Length 0.5" << false;
    QTest::newRow("hexa pair sends it") << "41" << 2 << true << 0 << 1 << "41"
                                        << "Length 1" << false;
    QTest::newRow("hexa third digit waits") << "414" << 2 << true << 1 << 1 << ""
                                            << "Length 1.5" << false;
    QTest::newRow("hexa fourth digit sends pair") << "4142" << 2 << true << 1 << 2 << "42"
                                                  << "Length 2" << false;
    QTest::newRow("hexa paste sends only last unit") << "4142" << 2 << true << 0 << 2 << "42"
                                                     << "Length 2" << false;
    QTest::newRow("hexa odd paste sends last whole pair") << "414" << 2 << true << 0 << 1 << "41"
                                                          << "Length 1.5" << false;
    QTest::newRow("hexa five digits after odd paste") << "41425" << 2 << true << 1 << 2 << "42"
                                                      << "Length 2.5" << false;
    QTest::newRow("message form never sends") << "ABCDE" << 1 << false << 0 << 0 << ""
                                              << "Length 5" << false;
    QTest::newRow("message form hexa half") << "41424" << 2 << false << 0 << 0 << ""
                                            << "Length 2.5" << false;
    QTest::newRow("deleting to one char sends nothing") << "A" << 1 << true << 2 << 1 << ""
                                                        << "Length 1" << true;
    QTest::newRow("typing over a selection to one char sends it") << "Z" << 1 << true << 3 << 1 << "Z"
                                                                  << "Length 1" << false;
    QTest::newRow("format 0 counts as hexa") << "4142" << 0 << true << 0 << 2 << "42"
                                             << "Length 2" << false;
}

void tst_SendEncoding::sendBoxUnitCounting()
{
    QFETCH(QString, text);
    QFETCH(int, format);
    QFETCH(bool, byteForm);
    QFETCH(int, sentBefore);
    QFETCH(int, sentAfter);
    QFETCH(QString, unit);
    QFETCH(QString, caption);
    QFETCH(bool, deletion);
    const SendBoxChange change = sendBoxChanged(text, int16_t(format), byteForm, sentBefore, deletion);
    QCOMPARE(change.sentUnits, sentAfter);
    QCOMPARE(change.unitToSend, unit);
    QCOMPARE(change.lengthCaption, caption);
}

void tst_SendEncoding::deletionIsOneRunTakenOut_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("after");
    QTest::addColumn<bool>("deletion");
    QTest::newRow("backspace at end") << "ABC"
                                      << "AB" << true;
    QTest::newRow("delete in middle") << "ABCD"
                                      << "AD" << true;
    QTest::newRow("delete repeated letter") << "AAB"
                                            << "AB" << true;
    QTest::newRow("select all and type") << "ABC"
                                         << "Z" << false;
    QTest::newRow("replace middle shorter") << "ABCD"
                                            << "AXD" << false;
    QTest::newRow("growing") << "AB"
                             << "ABC" << false;
    QTest::newRow("cleared") << "AB"
                             << "" << true;
}

void tst_SendEncoding::deletionIsOneRunTakenOut()
{
    QFETCH(QString, before);
    QFETCH(QString, after);
    QFETCH(bool, deletion);
    QCOMPARE(isDeletion(before, after), deletion);
}

void tst_SendEncoding::sendButtonRefusesEmptyOrHalfUnit_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("format");
    QTest::addColumn<bool>("sendable");
    QTest::newRow("empty ascii") << "" << 1 << false;
    QTest::newRow("one ascii char") << "A" << 1 << true;
    QTest::newRow("odd hex digits") << "414" << 2 << false;
    QTest::newRow("even hex digits") << "4142" << 2 << true;
    QTest::newRow("odd ascii length") << "ABC" << 1 << true;
}

void tst_SendEncoding::sendButtonRefusesEmptyOrHalfUnit()
{
    QFETCH(QString, text);
    QFETCH(int, format);
    QFETCH(bool, sendable);
    QCOMPARE(sendBoxSendable(text, int16_t(format)), sendable);
}

KIVO_TEST_MAIN(tst_SendEncoding)
#include "tst_SendEncoding.moc"
