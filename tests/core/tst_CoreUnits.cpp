#include "KivoTest.h"

#include "core/CodePage.h"
#include "core/Conversions.h"
#include "core/Delay.h"

#include <QElapsedTimer>
#include <QTimer>

#include <ctime>
#include <optional>

using namespace kivo;

enum Direction { Both, DecodeOnly, EncodeOnly };

namespace {
// A conversion's result as text, numbers exactly: "-" when the text does not convert.
template <typename T> QString shown(std::optional<T> value)
{
    if (!value)
        return u"-"_s;
    if constexpr (std::is_same_v<T, bool>)
        return *value ? u"true"_s : u"false"_s;
    else
        return QString::number(double(*value), 'g', QLocale::FloatingPointShortest);
}
} // namespace

// The widget-free core units: code pages, value conversions and Delay.
class tst_CoreUnits : public QObject
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

    // Each text through every conversion, as "Val toInt16 leadingInt16 toBool toFloat32": the leading
    // number reads like BASIC's Val; 16-bit values round half to even and refuse overflow; Booleans
    // take words or numbers; the float refuses what it cannot hold. "-": does not convert, so the
    // setting keeps its value.
    void settingValuesConvertOrAreRefused_data()
    {
        kivotest::DataTable<QString, QString> add("text", "results");
        const auto row = [&add](const char *text, const char *results) {
            add(*text ? text : "empty", text, results);
        };
        row("1abc", "1 - 1 - -");
        row("", "0 - 0 - -");
        row(" -2.5e1x", "-25 - -25 - -");
        row("3D2", "300 300 300 true 300");
        row("7e+", "7 - 7 - -");
        row(".5", "0.5 0 0 true 0.5");
        row("\t+12", "12 12 12 true 12");
        row("-", "0 - 0 - -");
        row("1.2.3", "1.2 - 1 - -");
        row("-1", "-1 -1 -1 true -1");
        row("  2  ", "2 2 2 true 2");
        row("2.5", "2.5 2 2 true 2.5");
        row("3.5", "3.5 4 4 true 3.5");
        row("-0.5", "-0.5 0 0 true -0.5");
        row("0", "0 0 0 false 0");
        row("32767", "32767 32767 32767 true 32767");
        row("-32768", "-32768 -32768 -32768 true -32768");
        row("32767.5", "32767.5 - - true 32767.5");
        row("-32769", "-32769 - - true -32769");
        row("1e999", "inf - - true -");
        row("1e39", "1e+39 - - true -");
        // The largest float as nine digits write it reads back; half a step beyond it does not.
        row("3.40282347e+38", "3.40282347e+38 - - true 3.4028234663852886e+38");
        row("-3.40282347e+38", "-3.40282347e+38 - - true -3.4028234663852886e+38");
        row("3.4028236e38", "3.4028236e+38 - - true -");
        row("2955.5", "2955.5 2956 2956 true 2955.5");
        row("True", "0 - 0 true -");
        row(" fALSE ", "0 - 0 false -");
        row("yes", "0 - 0 - -");
    }
    void settingValuesConvertOrAreRefused()
    {
        QFETCH(QString, text);
        const QStringList got{shown(std::optional(kivo::leadingNumber(text))), shown(kivo::toInt16(text)),
                              shown(kivo::leadingInt16(text)), shown(kivo::toBool(text)),
                              shown(kivo::toFloat32(text))};
        QTEST(got.join(u' '), "results");
    }

    // Delay waits at least its time with events running and the flag set meanwhile, sleeping
    // rather than spinning; a zero delay returns at once.
    void waitsAtLeastTheTimeWhileEventsRunAndSleeps()
    {
        int ticks = 0;
        bool flagSeenInside = false;
        QTimer t;
        connect(&t, &QTimer::timeout, this, [&] {
            ++ticks;
            flagSeenInside = flagSeenInside || isDelaying();
        });
        t.start(10);
        QElapsedTimer clock;
        clock.start();
        const std::clock_t cpuBefore = std::clock(); // the process's processor time
        Delay(0.3f);
        const double cpu = double(std::clock() - cpuBefore) / CLOCKS_PER_SEC;
        const qint64 ms = clock.elapsed();
        QVERIFY2(ms >= 300 && ms < 600, qPrintable(QString::number(ms)));
        QVERIFY2(cpu < 0.05, qPrintable(QString::number(cpu)));
        QVERIFY(ticks >= 3 && flagSeenInside && !isDelaying());
        clock.restart();
        Delay(0.0f);
        QVERIFY(clock.elapsed() < 50 && !isDelaying());
    }

    void nestedDelayClearsTheFlagAtItsEnd()
    {
        bool flagAfterInner = true;
        QTimer::singleShot(10, this, [&] {
            Delay(0.02f);
            flagAfterInner = isDelaying();
        });
        Delay(0.08f);
        QVERIFY(!flagAfterInner);
        QVERIFY(!isDelaying());
    }
};

KIVO_TEST_MAIN(tst_CoreUnits)
#include "tst_CoreUnits.moc"
