#include "KivoTest.h"

#include "core/IniFile.h"
#include "core/ListFileLocation.h"

#include <QRandomGenerator>
#include <QTemporaryDir>

using namespace kivotest;
using kivo::IniDocument;
using kivo::ReadIni;
using kivo::resolveListFilePath;
using kivo::WriteIni;

const QByteArray sample = "; list file\r\n[AutoString]\r\nString1=ABC\r\nUnknown=keep me\r\n\r\n"
                          "[FuncString]\r\nString1=F1\r\n";

// The list file: its reading and writing (IniFile) and where it lives (ListFileLocation).
class tst_ListFile : public QObject
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

    // A description typed on several lines is stored whole, on one line, and cannot forge entries.
    void lineBreaksInValueAreStoredAsBlanks_data()
    {
        DataTable<QString, QString> row("value", "stored");
        row("forged section", "x\r\n[FuncString]\r\nString1=evil", "x [FuncString] String1=evil");
        row("LF and CR", "a\nb\rc", "a b c");
        row("closing break", "end\n", "end ");
    }
    void lineBreaksInValueAreStoredAsBlanks()
    {
        QFETCH(QString, value);
        QVERIFY(writeFile(path(), sample));
        QVERIFY(WriteIni("AutoString", "String1", value, path()));
        QTEST(ReadIni("AutoString", "String1", path()), "stored");
        QTEST(kivo::iniStoredText(value), "stored");
        QCOMPARE(ReadIni("FuncString", "String1", path()), u"F1"_s);
        QCOMPARE(readFile(path()).count('\n'), sample.count('\n'));
    }

    // Entries that would read back as something else leave the file as it was, also in a batch.
    void entriesThatWouldNotReadBackAreRefused_data()
    {
        DataTable<QString, QString> row("key", "value");
        row("key read as comment", ";k", "v");
        row("key read as header", "[k", "]");
        row("NUL in value", "k", QString(QChar(0)));
    }
    void entriesThatWouldNotReadBackAreRefused()
    {
        const auto [key, value] = fetch<QString, QString>("key", "value");
        QVERIFY(writeFile(path(), sample));
        QVERIFY(!WriteIni("AutoString", key, value, path()));
        QVERIFY(!kivo::WriteIniEntries({{"AutoString", "String1", "changed"}, {"AutoString", key, value}},
                                       path()));
        QCOMPARE(readFile(path()), sample);
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

    void writableExeFolderHoldsTheFile()
    {
        QTemporaryDir exe, config;
        QCOMPARE(resolveListFilePath(exe.path(), config.path()), exe.filePath("kivo.ini"));
        QVERIFY(QDir(exe.path()).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
    }

    void missingExeFolderFallsBack()
    {
        QTemporaryDir config;
        QCOMPARE(resolveListFilePath(config.filePath("gone"), config.path()),
                 config.filePath("Kivo/kivo.ini"));
        QVERIFY(QFileInfo(config.filePath("Kivo")).isDir());
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
};

KIVO_TEST_MAIN(tst_ListFile)
#include "tst_ListFile.moc"
