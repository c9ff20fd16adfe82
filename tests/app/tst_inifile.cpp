#include "KivoTest.h"

#include "app/IniFile.h"

#include <QTemporaryDir>

#include <unistd.h>

using kivo::ReadIni;
using kivo::WriteIni;

namespace {

void putFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

const QByteArray sample = "; list file\r\n"
                          "[AutoString]\r\n"
                          "String1=ABC\r\n"
                          "Unknown=keep me\r\n"
                          "\r\n"
                          "[FuncString]\r\n"
                          "String1=F1\r\n";

} // namespace

class TestIniFile : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString path() const { return m_dir.filePath(QStringLiteral("kivo.ini")); }

private slots:
    void init() { QFile::remove(path()); }

    void readFindsTheValue_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::newRow("plain") << sample << "FuncString"
                               << "String1"
                               << "F1";
        QTest::newRow("letter case ignored") << sample << "autostring"
                                             << "STRING1"
                                             << "ABC";
        QTest::newRow("blanks in header and line") << QByteArray("  [ S ]  \n  k  =  v 1  \n") << "S"
                                                   << "k"
                                                   << "v 1";
        QTest::newRow("double quotes removed") << QByteArray("[S]\nk=\" a \"\n") << "S"
                                               << "k"
                                               << " a ";
        QTest::newRow("single quotes removed") << QByteArray("[S]\nk='a'\n") << "S"
                                               << "k"
                                               << "a";
        QTest::newRow("one pair only") << QByteArray("[S]\nk=\"\"a\"\"\n") << "S"
                                       << "k"
                                       << "\"a\"";
        QTest::newRow("unmatched quotes kept") << QByteArray("[S]\nk=\"a'\n") << "S"
                                               << "k"
                                               << "\"a'";
        QTest::newRow("equals in value") << QByteArray("[S]\nk=a=b;c\n") << "S"
                                         << "k"
                                         << "a=b;c";
        QTest::newRow("comment is no key") << QByteArray("[S]\n;k=1\n") << "S"
                                           << "k"
                                           << "";
        QTest::newRow("other section") << sample << "AutoString"
                                       << "F1"
                                       << "";
        QTest::newRow("before any section") << QByteArray("k=1\n[S]\n") << "S"
                                            << "k"
                                            << "";
        QTest::newRow("duplicate key first wins") << QByteArray("[S]\nk=1\nk=2\n") << "S"
                                                  << "k"
                                                  << "1";
        QTest::newRow("duplicate section first wins") << QByteArray("[S]\nk=1\n[S]\nk=2\n") << "S"
                                                      << "k"
                                                      << "1";
        QTest::newRow("key in repeated section") << QByteArray("[S]\na=1\n[T]\n[S]\nk=2\n") << "S"
                                                 << "k"
                                                 << "2";
        QTest::newRow("no final line end") << QByteArray("[S]\r\nk=last") << "S"
                                           << "k"
                                           << "last";
        QTest::newRow("binary garbage around")
            << QByteArray("\xFF\x00[\x01\n[S]\n\x80\x00=\x81\nk=ok\n", 20) << "S"
            << "k"
            << "ok";
        QTest::newRow("backslashes kept") << QByteArray("[S]\nk=C:\\dir\\n\n") << "S"
                                          << "k"
                                          << "C:\\dir\\n";
    }
    void readFindsTheValue()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, value);
        putFile(path(), content);
        QCOMPARE(ReadIni(section, key, path()), value);
    }

    void readOfMissingFileIsEmpty() { QCOMPARE(ReadIni("S", "k", m_dir.filePath("none.ini")), QString()); }

    void writeChangesOnlyItsOwnLine_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QByteArray>("after");
        QByteArray replaced = sample;
        replaced.replace("String1=ABC", "String1=XYZ");
        QTest::newRow("replace in place, CR LF") << sample << "AUTOSTRING"
                                                 << "string1"
                                                 << "XYZ" << replaced;
        QByteArray added = sample;
        added.replace("keep me\r\n", "keep me\r\nString2=new\r\n");
        QTest::newRow("new key after the section's last key") << sample << "AutoString"
                                                              << "String2"
                                                              << "new" << added;
        QTest::newRow("new section, LF kept") << QByteArray("[A]\nx=1\n") << "B"
                                              << "y"
                                              << "2" << QByteArray("[A]\nx=1\n[B]\ny=2\n");
        QTest::newRow("new file gets CR LF") << QByteArray() << "S"
                                             << "k"
                                             << "v" << QByteArray("[S]\r\nk=v\r\n");
        QTest::newRow("no final line end, replace") << QByteArray("[S]\nk=1") << "S"
                                                    << "k"
                                                    << "2" << QByteArray("[S]\nk=2");
        QTest::newRow("no final line end, add") << QByteArray("[S]\nk=1") << "S"
                                                << "j"
                                                << "2" << QByteArray("[S]\nk=1\nj=2");
        QTest::newRow("file's spelling and spacing kept") << QByteArray("[s]\nKEY = old ; x\n") << "S"
                                                          << "key"
                                                          << "new" << QByteArray("[s]\nKEY = new\n");
        QTest::newRow("first duplicate changed") << QByteArray("[S]\nk=1\n[S]\nk=2\n") << "S"
                                                 << "k"
                                                 << "3" << QByteArray("[S]\nk=3\n[S]\nk=2\n");
        QTest::newRow("value needing quotes") << QByteArray("[S]\n") << "S"
                                              << "k"
                                              << " x" << QByteArray("[S]\nk=\" x\"\n");
    }
    void writeChangesOnlyItsOwnLine()
    {
        QFETCH(QByteArray, before);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, value);
        QFETCH(QByteArray, after);
        if (!before.isNull())
            putFile(path(), before);
        QVERIFY(WriteIni(section, key, value, path()));
        QCOMPARE(fileBytes(path()), after);
    }

    void valuesReadBackAsWritten_data()
    {
        QTest::addColumn<QString>("value");
        QTest::newRow("leading blank") << " lead";
        QTest::newRow("trailing tab") << "trail\t";
        QTest::newRow("double quoted") << "\"q\"";
        QTest::newRow("single quoted") << "'q'";
        QTest::newRow("lone quote") << "\"";
        QTest::newRow("empty") << "";
        QTest::newRow("korean") << QStringLiteral("무게 확인");
        QTest::newRow("32767 characters") << QString(32767, u'x');
    }
    void valuesReadBackAsWritten()
    {
        QFETCH(QString, value);
        putFile(path(), sample);
        QVERIFY(WriteIni("AutoString", "String1", value, path()));
        QCOMPARE(ReadIni("AutoString", "String1", path()), value);
        QCOMPARE(ReadIni("AutoString", "Unknown", path()), QStringLiteral("keep me"));
    }

    void lineBreakInValueCannotForgeEntries()
    {
        putFile(path(), sample);
        QVERIFY(!WriteIni("AutoString", "String1", "x\r\n[FuncString]\r\nString1=evil", path()));
        QCOMPARE(fileBytes(path()), sample);
    }

    void replacementKeepsPermissions()
    {
        putFile(path(), sample);
        const auto perms = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup;
        QVERIFY(QFile::setPermissions(path(), perms));
        QVERIFY(WriteIni("AutoString", "String1", "new", path()));
        QCOMPARE(QFile::permissions(path()) & ~(QFile::ReadUser | QFile::WriteUser), perms);
        QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"kivo.ini"});
    }

    void writeThroughSymbolicLinkReachesTarget()
    {
        const QString target = m_dir.filePath("real.ini");
        const QString link = m_dir.filePath("link.ini");
        putFile(target, sample);
        QVERIFY(QFile::link(target, link));
        QVERIFY(WriteIni("AutoString", "String1", "via link", link));
        QVERIFY(QFileInfo(link).isSymLink());
        QCOMPARE(ReadIni("AutoString", "String1", target), QStringLiteral("via link"));
        QFile::remove(link);
        QFile::remove(target);
    }

    void readOnlyFolderLeavesOldFileIntact()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath("kivo.ini");
        putFile(file, sample);
        QVERIFY(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner));
        const bool canStillCreate = QFile(dir.filePath("probe")).open(QIODevice::WriteOnly);
        const bool written = WriteIni("AutoString", "String1", "new", file);
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        if (canStillCreate)
            QSKIP("running with rights that ignore folder permissions");
        QVERIFY(!written);
        QCOMPARE(fileBytes(file), sample);
    }

    void hugeCorruptFileKeepsItsGarbage()
    {
        QByteArray garbage(10 * 1024 * 1024, Qt::Uninitialized);
        quint32 seed = 12345;
        for (char &c : garbage) {
            seed = seed * 1103515245u + 12345u;
            const char byte = char(seed >> 24);
            c = (byte == '\n' || byte == '[') ? '\0' : byte;
        }
        const QByteArray before = garbage + "\r\n[S]\r\nj=" + garbage.first(1000);
        putFile(path(), before);
        QVERIFY(WriteIni("S", "k", "v", path()));
        QCOMPARE(ReadIni("S", "k", path()), QStringLiteral("v"));
        QCOMPARE(fileBytes(path()), before + "\r\nk=v");
    }
};

KIVO_TEST_MAIN(TestIniFile)
#include "tst_inifile.moc"
