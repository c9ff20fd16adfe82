#include "KivoTest.h"

#include "traffic/LineFormat.h"

using namespace kivo::lineformat;

class tst_LineFormat : public QObject
{
    Q_OBJECT
private slots:
    void bufferBecomesDueAtThresholdOrLineEnd_data();
    void bufferBecomesDueAtThresholdOrLineEnd();
    void hexTextIsTwoUpperDigitsAndBlankPerByte_data();
    void hexTextIsTwoUpperDigitsAndBlankPerByte();
    void lineSplitsIntoBodyAndEndMark_data();
    void lineSplitsIntoBodyAndEndMark();
    void terminalTextBreaksOncePerLineEndAcrossAppends();
    void viewIsCutBackOnlyPastTheLimit_data();
    void viewIsCutBackOnlyPastTheLimit();
};

void tst_LineFormat::bufferBecomesDueAtThresholdOrLineEnd_data()
{
    QTest::addColumn<bool>("hex");
    QTest::addColumn<QString>("buffer");
    QTest::addColumn<bool>("due");
    QTest::newRow("21 chars wait") << false << QString(21, u'A') << false;
    QTest::newRow("22 chars print") << false << QString(22, u'A') << true;
    QTest::newRow("closing CR LF prints") << false << QStringLiteral("AB\r\n") << true;
    QTest::newRow("bare CR LF prints") << false << QStringLiteral("\r\n") << true;
    QTest::newRow("LF CR waits") << false << QStringLiteral("AB\n\r") << false;
    QTest::newRow("inner CR LF waits") << false << QStringLiteral("A\r\nB") << false;
    QTest::newRow("hex 65 chars wait") << true << QString(65, u'4') << false;
    QTest::newRow("hex 66 chars print") << true << QString(66, u'4') << true;
    QTest::newRow("hex closing 0D 0A prints") << true << QStringLiteral("41 0D 0A ") << true;
    QTest::newRow("hex 0A 0D waits") << true << QStringLiteral("41 0A 0D ") << false;
}

void tst_LineFormat::bufferBecomesDueAtThresholdOrLineEnd()
{
    QFETCH(bool, hex);
    QFETCH(QString, buffer);
    QFETCH(bool, due);
    QCOMPARE(hex ? hexDue(buffer) : textDue(buffer), due);
}

void tst_LineFormat::hexTextIsTwoUpperDigitsAndBlankPerByte_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("after");
    QTest::newRow("line end") << QString() << QByteArray("\r\n") << QStringLiteral("0D 0A ");
    QTest::newRow("leading zero and upper case")
        << QString() << QByteArray("\x00\x0f\xab\xff", 4) << QStringLiteral("00 0F AB FF ");
    QTest::newRow("appends to what waits")
        << QStringLiteral("41 ") << QByteArray("B") << QStringLiteral("41 42 ");
    QTest::newRow("nothing to add") << QStringLiteral("41 ") << QByteArray() << QStringLiteral("41 ");
}

void tst_LineFormat::hexTextIsTwoUpperDigitsAndBlankPerByte()
{
    QFETCH(QString, before);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, after);
    appendHex(before, bytes);
    QCOMPARE(before, after);
}

void tst_LineFormat::lineSplitsIntoBodyAndEndMark_data()
{
    QTest::addColumn<QString>("buffer");
    QTest::addColumn<QString>("body");
    QTest::addColumn<QString>("mark");
    QTest::newRow("CR LF") << QStringLiteral("AB\r\n") << QStringLiteral("AB") << QStringLiteral("[CRLF]");
    QTest::newRow("CR LF alone") << QStringLiteral("\r\n") << QString() << QStringLiteral("[CRLF]");
    QTest::newRow("CR") << QStringLiteral("AB\r") << QStringLiteral("AB") << QStringLiteral("[CR]");
    QTest::newRow("LF CR keeps the LF as a break")
        << QStringLiteral("AB\n\r") << QStringLiteral("AB\n") << QStringLiteral("[CR]");
    QTest::newRow("LF") << QStringLiteral("AB\n") << QStringLiteral("AB") << QStringLiteral("[LF]");
    QTest::newRow("no line end") << QStringLiteral("AB") << QStringLiteral("AB") << QString();
    QTest::newRow("inner CR LF is one break")
        << QStringLiteral("A\r\nB\rC\nD") << QStringLiteral("A\nB\nC\nD") << QString();
    QTest::newRow("TAB NUL 128 and DEL") << (QStringLiteral("\t\0x") + QChar(0x80) + QChar(0x7f))
                                         << (QStringLiteral("??x?") + QChar(0x7f)) << QString();
    QTest::newRow("Hangul and decode errors become one ? each")
        << (QStringLiteral("A") + QChar(0xD55C) + QChar(0xFFFD) + QChar(0xFFFD)) << QStringLiteral("A???")
        << QString();
    QTest::newRow("char outside the basic plane is one ?")
        << (QStringLiteral("A") + QString::fromUcs4(U"\U0001F600") + QStringLiteral("\r\n"))
        << QStringLiteral("A?") << QStringLiteral("[CRLF]");
    QTest::newRow("hex text has no mark")
        << QStringLiteral("41 42 0D 0A ") << QStringLiteral("41 42 0D 0A ") << QString();
}

void tst_LineFormat::lineSplitsIntoBodyAndEndMark()
{
    QFETCH(QString, buffer);
    QFETCH(QString, body);
    QFETCH(QString, mark);
    const Line line = buildLine(buffer);
    QCOMPARE(line.body, body);
    QCOMPARE(endMarkText(line.mark), mark);
}

void tst_LineFormat::terminalTextBreaksOncePerLineEndAcrossAppends()
{
    bool pendingCr = false;
    QCOMPARE(terminalText(QString::fromLatin1("A\tB\0\r", 5), pendingCr), QString::fromLatin1("A\tB\0\n", 5));
    QVERIFY(pendingCr);
    QCOMPARE(terminalText(QStringLiteral("\nC\n\nD\r\r\n"), pendingCr), QStringLiteral("C\n\nD\n\n"));
    QVERIFY(!pendingCr);
}

void tst_LineFormat::viewIsCutBackOnlyPastTheLimit_data()
{
    QTest::addColumn<qsizetype>("length");
    QTest::addColumn<qsizetype>("dropped");
    QTest::newRow("at the limit") << qsizetype(10000) << qsizetype(0);
    QTest::newRow("one past keeps from the 9000th") << qsizetype(10001) << qsizetype(8999);
    QTest::newRow("past by more than a cut-back keeps 10000") << qsizetype(25000) << qsizetype(15000);
}

void tst_LineFormat::viewIsCutBackOnlyPastTheLimit()
{
    QFETCH(qsizetype, length);
    QFETCH(qsizetype, dropped);
    QCOMPARE(charsToDrop(length), dropped);
}

KIVO_TEST_MAIN(tst_LineFormat)
#include "tst_LineFormat.moc"
