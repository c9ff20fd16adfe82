#include "KivoTest.h"

#include "app/CodePage.h"

using kivo::CodePage;

class TestCodePage : public QObject
{
    Q_OBJECT

private slots:
    void textAndBytesRoundTrip_data()
    {
        QTest::addColumn<QByteArray>("codePage");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("cp949 korean")
            << QByteArray("CP949") << QStringLiteral("한글 OK") << QByteArray("\xC7\xD1\xB1\xDB OK");
        QTest::newRow("cp949 ascii only")
            << QByteArray("CP949") << QStringLiteral("W:+0012.5kg\r\n") << QByteArray("W:+0012.5kg\r\n");
        QTest::newRow("cp949 uhc extension")
            << QByteArray("CP949") << QStringLiteral("똠") << QByteArray("\x8C\x63");
        QTest::newRow("1252") << QByteArray("WINDOWS-1252") << QStringLiteral("café €5")
                              << QByteArray("caf\xE9 \x80"
                                            "5");
        QTest::newRow("utf-8") << QByteArray("UTF-8") << QStringLiteral("저울 😀")
                               << QByteArray("\xEC\xA0\x80\xEC\x9A\xB8 \xF0\x9F\x98\x80");
        QTest::newRow("nul kept") << QByteArray("CP949") << QString(QChar(0)) + u'A' << QByteArray("\0A", 2);
        QTest::newRow("not ascii based")
            << QByteArray("UTF-16LE") << QStringLiteral("AB") << QByteArray("A\0B\0", 4);
    }
    void textAndBytesRoundTrip()
    {
        QFETCH(QByteArray, codePage);
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        const CodePage cp(codePage);
        QVERIFY(cp.isValid());
        QCOMPARE(cp.encode(text), bytes);
        QCOMPARE(cp.decode(bytes), text);
    }

    void badBytesGiveOneReplacementEach_data()
    {
        QTest::addColumn<QByteArray>("codePage");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        const QString R(QChar(0xFFFD));
        QTest::newRow("utf-8 cut sequence") << QByteArray("UTF-8")
                                            << QByteArray("\xE4\xB8"
                                                          "A")
                                            << R + R + u'A';
        QTest::newRow("utf-8 cut at end")
            << QByteArray("UTF-8") << QByteArray("A\xF0\x9F\x98") << u'A' + R + R + R;
        QTest::newRow("utf-8 overlong") << QByteArray("UTF-8") << QByteArray("\xC0\xAF") << R + R;
        QTest::newRow("utf-8 byte order mark kept")
            << QByteArray("UTF-8") << QByteArray("\xEF\xBB\xBFx") << QString(QChar(0xFEFF)) + u'x';
        QTest::newRow("cp949 bad lead") << QByteArray("CP949")
                                        << QByteArray("\xFF"
                                                      "A")
                                        << R + u'A';
        QTest::newRow("cp949 bad trail") << QByteArray("CP949") << QByteArray("\xC7 A") << R + u' ' + u'A';
        QTest::newRow("cp949 cut at end") << QByteArray("CP949") << QByteArray("A\xC7") << u'A' + R;
        QTest::newRow("1252 unassigned") << QByteArray("WINDOWS-1252")
                                         << QByteArray("a\x81"
                                                       "b")
                                         << u'a' + R + u'b';
    }
    void badBytesGiveOneReplacementEach()
    {
        QFETCH(QByteArray, codePage);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QCOMPARE(CodePage(codePage).decode(bytes), text);
    }

    void charactersTheCodePageLacksBecomeQuestionMarks_data()
    {
        QTest::addColumn<QByteArray>("codePage");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("korean in 1252")
            << QByteArray("WINDOWS-1252") << QStringLiteral("a한b") << QByteArray("a?b");
        QTest::newRow("emoji in cp949") << QByteArray("CP949") << QStringLiteral("😀x") << QByteArray("?x");
        QTest::newRow("lone surrogate")
            << QByteArray("CP949") << QString(QChar(0xD800)) + u'x' << QByteArray("?x");
        QTest::newRow("lone surrogate at end")
            << QByteArray("CP949") << u'x' + QString(QChar(0xD800)) << QByteArray("x?");
    }
    void charactersTheCodePageLacksBecomeQuestionMarks()
    {
        QFETCH(QByteArray, codePage);
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        QCOMPARE(CodePage(codePage).encode(text), bytes);
    }

    void emptyInputConvertsToEmpty()
    {
        for (const QByteArray name : {QByteArray("UTF-8"), QByteArray("CP949")}) {
            QVERIFY(CodePage(name).decode({}).isEmpty());
            QVERIFY(CodePage(name).encode({}).isEmpty());
        }
    }

    void asciiLocaleStillRoundTripsKorean()
    {
        const QByteArray saved = qgetenv("LC_ALL");
        qputenv("LC_ALL", "C");
        const CodePage cp;
        qputenv("LC_ALL", saved);
        QCOMPARE(cp.name(), QByteArray("UTF-8"));
        QCOMPARE(cp.decode(cp.encode(QStringLiteral("한글"))), QStringLiteral("한글"));
    }

    void unknownCodePageIsInvalidButLosesNothing()
    {
        const CodePage cp("NO-SUCH-CODE-PAGE");
        QVERIFY(!cp.isValid());
        QCOMPARE(cp.decode("abc"), QStringLiteral("abc"));
    }
};

KIVO_TEST_MAIN(TestCodePage)
#include "tst_codepage.moc"
