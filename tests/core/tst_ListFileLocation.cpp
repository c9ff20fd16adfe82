#include "KivoTest.h"

#include "core/IniFile.h"
#include "core/ListFileLocation.h"

using kivo::resolveListFilePath;

class tst_ListFileLocation : public QObject
{
    Q_OBJECT

private slots:
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
        QVERIFY(
            kivotest::writeFile(prefix.filePath("share/applications/org.kivobench.kivo.desktop"), "[x]\n"));
        QVERIFY(
            kivotest::writeFile(prefix.filePath("share/kivo/kivo.ini"), "[FuncKeyCap]\r\nString1=LAB\r\n"));

        const QString file = resolveListFilePath(prefix.filePath("bin"), config.path());
        QCOMPARE(file, config.filePath("Kivo/kivo.ini"));
        QCOMPARE(kivotest::readFile(file), QByteArray("[FuncKeyCap]\r\nString1=LAB\r\n"));
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

KIVO_TEST_MAIN(tst_ListFileLocation)
#include "tst_ListFileLocation.moc"
