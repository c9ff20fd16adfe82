#include "KivoTest.h"

#include "core/CodePage.h"

using kivo::CodePage;

enum Direction { Both, DecodeOnly, EncodeOnly };

class tst_CodePage : public QObject
{
    Q_OBJECT

private slots:
    // Bad input bytes give one replacement character each; characters a code page lacks become '?'.
    void everyCharacterConvertsOrIsMarked_data()
    {
        kivotest::DataTable<QByteArray, QString, QByteArray, int> row("codePage", "text", "bytes",
                                                                      "direction");
        const QString R(QChar(0xFFFD));
        row("cp949 korean", "CP949", "한글 OK", "\xC7\xD1\xB1\xDB OK", Both);
        row("cp949 uhc extension", "CP949", "똠", "\x8C\x63", Both);
        row("1252", "WINDOWS-1252", "café €5", "caf\xE9 \x80\x35", Both);
        row("utf-8", "UTF-8", "저울 😀", "\xEC\xA0\x80\xEC\x9A\xB8 \xF0\x9F\x98\x80", Both);
        row("nul kept", "CP949", QString(QChar(0)) + u'A', QByteArray("\0A", 2), Both);
        row("not ascii based", "UTF-16LE", "AB", QByteArray("A\0B\0", 4), Both);
        row("empty utf-8", "UTF-8", {}, {}, Both);
        row("utf-8 cut sequence", "UTF-8", R + R + u'A', "\xE4\xB8\x41", DecodeOnly);
        row("utf-8 cut at end", "UTF-8", u'A' + R + R + R, "A\xF0\x9F\x98", DecodeOnly);
        row("utf-8 overlong", "UTF-8", R + R, "\xC0\xAF", DecodeOnly);
        row("utf-8 byte order mark kept", "UTF-8", QChar(0xFEFF) + QString(u'x'), "\xEF\xBB\xBFx",
            DecodeOnly);
        row("cp949 bad lead", "CP949", R + u'A', "\xFF\x41", DecodeOnly);
        row("cp949 bad trail", "CP949", R + u' ' + u'A', "\xC7 A", DecodeOnly);
        row("cp949 cut at end", "CP949", u'A' + R, "A\xC7", DecodeOnly);
        row("1252 unassigned", "WINDOWS-1252", u'a' + R + u'b', "a\x81\x62", DecodeOnly);
        row("korean in 1252", "WINDOWS-1252", u"a한b"_s, "a?b", EncodeOnly);
        row("emoji in cp949", "CP949", u"😀x"_s, "?x", EncodeOnly);
        row("lone surrogate", "CP949", QChar(0xD800) + QString(u'x'), "?x", EncodeOnly);
        row("lone surrogate at end", "CP949", u'x' + QString(QChar(0xD800)), "x?", EncodeOnly);
    }
    void everyCharacterConvertsOrIsMarked()
    {
        const auto [codePage, text, bytes, direction] =
            kivotest::fetch<QByteArray, QString, QByteArray, int>("codePage", "text", "bytes", "direction");
        const CodePage cp(codePage);
        QVERIFY(cp.isValid());
        if (direction != EncodeOnly)
            QCOMPARE(cp.decode(bytes), text);
        if (direction != DecodeOnly)
            QCOMPARE(cp.encode(text), bytes);
    }

    void asciiLocaleStillRoundTripsKorean()
    {
        const QByteArray saved = qgetenv("LC_ALL");
        qputenv("LC_ALL", "C");
        const CodePage cp;
        qputenv("LC_ALL", saved);
        QCOMPARE(cp.name(), QByteArray("UTF-8"));
        QCOMPARE(cp.decode(cp.encode(u"한글"_s)), u"한글"_s);
    }

    void unknownCodePageIsInvalidButLosesNothing()
    {
        const CodePage cp("NO-SUCH-CODE-PAGE");
        QVERIFY(!cp.isValid());
        QCOMPARE(cp.decode("abc"), u"abc"_s);
    }
};

KIVO_TEST_MAIN(tst_CodePage)
#include "tst_CodePage.moc"
