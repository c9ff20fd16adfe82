#include "KivoTest.h"

#include "core/CodePage.h"
#include "core/Conversions.h"
#include "core/Delay.h"
#include "core/IniFile.h"
#include "core/LateTimer.h"
#include "core/ListFileLocation.h"

#include <ctime>
#include <optional>

using namespace kivo;
using namespace kivotest;

const QByteArray sample = "; list file\r\n[AutoString]\r\nString1=ABC\r\nUnknown=keep me\r\n\r\n"
                          "[FuncString]\r\nString1=F1\r\n";

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

// The widget-free core: the list file (its reading and writing, and where it lives), code pages,
// value conversions and Delay.
class tst_Core : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString path() const { return m_dir.filePath(u"kivo.ini"_s); }

private slots:
    void init() { QFile::remove(path()); }

    // "at" is "Section/Key"; a null content means no file.
    void readFindsTheValue_data()
    {
        DataTable<QByteArray, QString, QString> row("content", "at", "value");
        row("letter case ignored", sample, "autostring/STRING1", "ABC");
        row("blanks in header and line", "  [ S ]  \n  k  =  v 1  \n", "S/k", "v 1");
        row("double quotes removed", "[S]\nk=\" a \"\n", "S/k", " a ");
        row("single quotes removed", "[S]\nk='a'\n", "S/k", "a");
        row("one pair only", "[S]\nk=\"\"a\"\"\n", "S/k", "\"a\"");
        row("unmatched quotes kept", "[S]\nk=\"a'\n", "S/k", "\"a'");
        row("equals in value", "[S]\nk=a=b;c\n", "S/k", "a=b;c");
        row("comment is no key", "[S]\n;k=1\n", "S/k", "");
        row("other section", sample, "AutoString/F1", "");
        row("before any section", "k=1\n[S]\n", "S/k", "");
        row("duplicate key first wins", "[S]\nk=1\nk=2\n", "S/k", "1");
        row("duplicate section first wins", "[S]\nk=1\n[S]\nk=2\n", "S/k", "1");
        row("key in repeated section", "[S]\na=1\n[T]\n[S]\nk=2\n", "S/k", "2");
        row("no final line end", "[S]\r\nk=last", "S/k", "last");
        row("binary garbage around", QByteArray("\xFF\x00[\x01\n[S]\n\x80\x00=\x81\nk=ok\n", 20), "S/k",
            "ok");
        row("backslashes kept", "[S]\nk=C:\\dir\\n\n", "S/k", "C:\\dir\\n");
        row("missing file", QByteArray(), "S/k", "");
        row("CR-only line ends", "[S]\rSTX=-1\rCRLF=True\r", "S/CRLF", "True");
        row("mixed line ends", "[S]\r\na=1\rb=2\nk=3", "S/k", "3");
        row("query key with equals", "[a=b]\nc=1\n", "a/b=c", "");
        row("vertical tab before header", "\v[S]\nk=1\n", "S/k", "1");
    }
    void readFindsTheValue()
    {
        const auto [content, at] = fetch<QByteArray, QString>("content", "at");
        if (!content.isNull())
            QVERIFY(writeFile(path(), content));
        QTEST(ReadIni(at.section(u'/', 0, 0), at.section(u'/', 1), path()), "value");
        // The parsed document reads every value as ReadIni does.
        QTEST(IniDocument::read(path()).value(at.section(u'/', 0, 0), at.section(u'/', 1)), "value");
    }

    void writeChangesOnlyItsOwnLineAndReadsBack_data()
    {
        DataTable<QByteArray, QString, QString, QByteArray> row("before", "at", "value", "after");
        row("replace in place, CR LF", sample, "AUTOSTRING/string1", "XYZ",
            QByteArray(sample).replace("String1=ABC", "String1=XYZ"));
        row("new key after the section's last key", sample, "AutoString/String2", "new",
            QByteArray(sample).replace("keep me\r\n", "keep me\r\nString2=new\r\n"));
        row("new section, LF kept", "[A]\nx=1\n", "B/y", "2", "[A]\nx=1\n[B]\ny=2\n");
        row("new file gets CR LF", QByteArray(), "S/k", "v", "[S]\r\nk=v\r\n");
        row("no final line end, replace", "[S]\nk=1", "S/k", "2", "[S]\nk=2");
        row("no final line end, add", "[S]\nk=1", "S/j", "2", "[S]\nk=1\nj=2");
        row("file's spelling and spacing kept", "[s]\nKEY = old ; x\n", "S/key", "new", "[s]\nKEY = new\n");
        row("first duplicate changed", "[S]\nk=1\n[S]\nk=2\n", "S/k", "3", "[S]\nk=3\n[S]\nk=2\n");
        // Values the reader would change are quoted, so they come back whole.
        row("leading blank", "[S]\n", "S/k", " lead", "[S]\nk=\" lead\"\n");
        row("trailing tab", "[S]\n", "S/k", "trail\t", "[S]\nk=\"trail\t\"\n");
        row("double quoted", "[S]\n", "S/k", "\"q\"", "[S]\nk=\"\"q\"\"\n");
        row("single quoted", "[S]\n", "S/k", "'q'", "[S]\nk=\"'q'\"\n");
        row("lone quote", "[S]\n", "S/k", "\"", "[S]\nk=\"\n");
        row("empty", "[S]\n", "S/k", "", "[S]\nk=\n");
        row("korean", "[S]\n", "S/k", u"무게 확인"_s, "[S]\nk=무게 확인\n");
        row("CR-only file keeps its other lines", "[S]\rSTX=-1\rCRLF=True", "S/STX", "0",
            "[S]\rSTX=0\rCRLF=True");
        row("new key ends as the first line", "[S]\rk=1\r", "S/j", "2", "[S]\rk=1\rj=2\r");
        row("mixed line ends kept", "[S]\r\nk=1\rj=2\n", "S/m", "3", "[S]\r\nk=1\rj=2\nm=3\n");
        row("32767 characters", "[S]\n", "S/k", QString(32767, u'x'),
            "[S]\nk=" + QByteArray(32767, 'x') + "\n");
    }
    void writeChangesOnlyItsOwnLineAndReadsBack()
    {
        const auto [before, at, value] = fetch<QByteArray, QString, QString>("before", "at", "value");
        if (!before.isNull())
            QVERIFY(writeFile(path(), before));
        QVERIFY(WriteIni(at.section(u'/', 0, 0), at.section(u'/', 1), value, path()));
        QTEST(readFile(path()), "after");
        QCOMPARE(ReadIni(at.section(u'/', 0, 0), at.section(u'/', 1), path()), value);
    }

    // A description typed on several lines is stored whole, on one line, and cannot forge entries;
    // an entry that would read back as something else (no "stored") leaves the file as it was, also
    // in a batch.
    void valuesAreStoredOnOneLineOrRefused_data()
    {
        DataTable<QString, QString, QString> row("key", "value", "stored");
        row("forged section", "String1", "x\r\n[FuncString]\r\nString1=evil", "x [FuncString] String1=evil");
        row("LF and CR", "String1", "a\nb\rc", "a b c");
        row("closing break", "String1", "end\n", "end ");
        row("key read as comment refused", ";k", "v", {});
        row("key read as header refused", "[k", "]", {});
        row("NUL in value refused", "k", QString(QChar(0)), {});
    }
    void valuesAreStoredOnOneLineOrRefused()
    {
        const auto [key, value, stored] = fetch<QString, QString, QString>("key", "value", "stored");
        QVERIFY(writeFile(path(), sample));
        QCOMPARE(WriteIni("AutoString", key, value, path()), !stored.isNull());
        if (stored.isNull()) {
            QVERIFY(
                !WriteIniEntries({{"AutoString", "String1", "changed"}, {"AutoString", key, value}}, path()));
            QCOMPARE(readFile(path()), sample);
            return;
        }
        QCOMPARE(ReadIni("AutoString", key, path()), stored);
        QCOMPARE(iniStoredText(value), stored);
        QCOMPARE(ReadIni("FuncString", "String1", path()), u"F1"_s);
        QCOMPARE(readFile(path()).count('\n'), sample.count('\n'));
    }

    // The file is replaced through a temporary file; the link, the permissions and nothing else stay.
    void replacementKeepsLinkAndPermissionsAndLeavesNoTemporaryFile()
    {
        QTemporaryDir dir;
        const QString target = dir.filePath("real.ini"), link = dir.filePath("link.ini");
        QVERIFY(writeFile(target, sample));
        const auto perms = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup;
        QVERIFY(QFile::setPermissions(target, perms) && QFile::link(target, link));
        QVERIFY(WriteIni("AutoString", "String1", "via link", link));
        QVERIFY(QFileInfo(link).isSymLink());
        QCOMPARE(ReadIni("AutoString", "String1", target), u"via link"_s);
        QCOMPARE(QFile::permissions(target) & ~(QFile::ReadUser | QFile::WriteUser), perms);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System),
                 (QStringList{"link.ini", "real.ini"}));
    }

    void readOnlyFolderLeavesOldFileIntact()
    {
        QVERIFY(writeFile(path(), sample));
        QVERIFY(QFile::setPermissions(m_dir.path(), QFile::ReadOwner | QFile::ExeOwner));
        const bool canStillCreate = QFile(m_dir.filePath("probe")).open(QIODevice::WriteOnly);
        const bool written = WriteIni("AutoString", "String1", "new", path());
        QFile::setPermissions(m_dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        if (canStillCreate)
            QSKIP("running with rights that ignore folder permissions");
        QVERIFY(!written);
        QCOMPARE(readFile(path()), sample);
    }

    void hugeCorruptFileKeepsItsGarbage()
    {
        QByteArray garbage(10 * 1024 * 1024, Qt::Uninitialized);
        QRandomGenerator(12345).fillRange(reinterpret_cast<quint32 *>(garbage.data()), garbage.size() / 4);
        garbage.replace('\n', '\0').replace('\r', '\0').replace('[', '\0');
        const QByteArray before = garbage + "\r\n[S]\r\nj=" + garbage.first(1000);
        QVERIFY(writeFile(path(), before));
        QVERIFY(WriteIni("S", "k", "v", path()));
        QCOMPARE(ReadIni("S", "k", path()), u"v"_s);
        QCOMPARE(readFile(path()), before + "\r\nk=v");
    }

    // A writable program folder holds the file (made only when written); a missing one falls back
    // to the user's folder, which is made.
    void listFileGoesBesideTheProgramOrToTheUsersFolder()
    {
        QTemporaryDir exe, config, home;
        QCOMPARE(resolveListFilePath(exe.path(), config.path()), exe.filePath("kivo.ini"));
        QVERIFY(QDir(exe.path()).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
        QCOMPARE(resolveListFilePath(home.filePath("gone"), home.path()), home.filePath("Kivo/kivo.ini"));
        QVERIFY(QFileInfo(home.filePath("Kivo")).isDir());
    }

    // Installed under a prefix (desktop entry in ../share) the program must not write into the
    // system's program folder even when it may (run as root), and a new user starts from the
    // installation's list file.
    void installedProgramKeepsTheListFileInTheUsersFolder()
    {
        QTemporaryDir prefix, config;
        QVERIFY(QDir().mkpath(prefix.filePath("bin")));
        QVERIFY(writeFile(prefix.filePath("share/applications/org.kivobench.kivo.desktop"), "[x]\n"));
        QVERIFY(writeFile(prefix.filePath("share/kivo/kivo.ini"), "[FuncKeyCap]\r\nString1=LAB\r\n"));

        const QString file = resolveListFilePath(prefix.filePath("bin"), config.path());
        QCOMPARE(file, config.filePath("Kivo/kivo.ini"));
        QCOMPARE(readFile(file), QByteArray("[FuncKeyCap]\r\nString1=LAB\r\n"));
        QVERIFY(QDir(prefix.filePath("bin")).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
    }

    // An installed program in a read-only folder must not lose the lists shipped beside it.
    void unwritableExeFolderFallsBackToSeededUserCopy()
    {
        QTemporaryDir exe, config;
        QVERIFY(kivo::WriteIni("AutoString", "String1", "seed", exe.filePath("kivo.ini")));
        QVERIFY(QFile::setPermissions(exe.filePath("kivo.ini"), QFile::ReadOwner));
        QVERIFY(QFile::setPermissions(exe.path(), QFile::ReadOwner | QFile::ExeOwner));
        const bool canStillCreate = QFile(exe.filePath("probe")).open(QIODevice::WriteOnly);
        const QString first = resolveListFilePath(exe.path(), config.path());
        QFile::setPermissions(exe.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        if (canStillCreate)
            QSKIP("running with rights that ignore folder permissions");

        const QString expected = config.filePath("Kivo/kivo.ini");
        QCOMPARE(first, expected);
        QCOMPARE(kivo::ReadIni("AutoString", "String1", expected), u"seed"_s);
        QVERIFY(kivo::WriteIni("AutoString", "String1", "mine", expected));
        QCOMPARE(resolveListFilePath(exe.path(), config.path()), expected);
        QCOMPARE(kivo::ReadIni("AutoString", "String1", expected), u"mine"_s);
    }

    // Bad input bytes give one replacement character each; characters a code page lacks become '?'.
    void everyCharacterConvertsOrIsMarked_data()
    {
        DataTable<QByteArray, QString, QByteArray, int> row("codePage", "text", "bytes", "direction");
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
            fetch<QByteArray, QString, QByteArray, int>("codePage", "text", "bytes", "direction");
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
        DataTable<QString, QString> add("text", "results");
        const auto row = [&add](const char *text, const char *results) { add(text, text, results); };
        row("1abc", "1 - 1 - -");
        add("empty", "", "0 - 0 - -");
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
    }

    // Due work waits for its deadline and then runs with whatever wakes the event loop next (here
    // an unrelated timer), long before its backstop; with nothing else to wake the loop, the
    // backstop runs it; a stopped timer runs nothing.
    void lateTimerRidesAlongWithTheNextWakeUpOrItsBackstop()
    {
        QEventLoop loop;
        QElapsedTimer clock;
        qint64 ranAt = -1;
        LateTimer late(std::chrono::milliseconds(3000), [&] {
            ranAt = clock.elapsed();
            loop.quit();
        });
        clock.start();
        late.start(100);
        QVERIFY(!late.runIfDue());
        QTimer::singleShot(150, [] {});
        QTimer::singleShot(2000, &loop, &QEventLoop::quit);
        loop.exec();
        QVERIFY2(ranAt >= 100 && ranAt < 1000, QByteArray::number(ranAt));
        QVERIFY(!late.isActive());

        int runs = 0;
        LateTimer alone(std::chrono::milliseconds(50), [&] { ++runs; });
        alone.start(20);
        QTRY_COMPARE(runs, 1);
        alone.start(20);
        alone.stop();
        QTest::qWait(150);
        QCOMPARE(runs, 1);
    }
};

KIVO_TEST_MAIN(tst_Core)
#include "tst_Core.moc"
