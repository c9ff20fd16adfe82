#include "KivoTest.h"

#include "app/IniFile.h"
#include "app/ListFileLocation.h"

class TestListFileLocation : public QObject
{
    Q_OBJECT

private slots:
    void writableExeFolderHoldsTheFile()
    {
        QTemporaryDir exe;
        QTemporaryDir config;
        QCOMPARE(kivo::resolveListFilePath(exe.path(), config.path()), exe.filePath("kivo.ini"));
        QVERIFY(QDir(exe.path()).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
    }

    void unwritableExeFolderFallsBackToSeededUserCopy()
    {
        QTemporaryDir exe;
        QTemporaryDir config;
        QFile seed(exe.filePath("kivo.ini"));
        QVERIFY(seed.open(QIODevice::WriteOnly));
        seed.write("[AutoString]\r\nString1=seed\r\n");
        seed.close();
        QVERIFY(QFile::setPermissions(exe.path(), QFile::ReadOwner | QFile::ExeOwner));
        QVERIFY(QFile::setPermissions(seed.fileName(), QFile::ReadOwner));
        const bool canStillCreate = QFile(exe.filePath("probe")).open(QIODevice::WriteOnly);
        const QString first = kivo::resolveListFilePath(exe.path(), config.path());
        QFile::setPermissions(exe.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        if (canStillCreate)
            QSKIP("running with rights that ignore folder permissions");

        const QString expected = config.filePath("Kivo/kivo.ini");
        QCOMPARE(first, expected);
        QCOMPARE(kivo::ReadIni("AutoString", "String1", expected), QStringLiteral("seed"));
        QVERIFY(kivo::WriteIni("AutoString", "String1", "mine", expected));
        QCOMPARE(kivo::resolveListFilePath(exe.path(), config.path()), expected);
        QCOMPARE(kivo::ReadIni("AutoString", "String1", expected), QStringLiteral("mine"));
    }

    void missingExeFolderFallsBack()
    {
        QTemporaryDir config;
        QCOMPARE(kivo::resolveListFilePath(config.filePath("gone"), config.path()),
                 config.filePath("Kivo/kivo.ini"));
        QVERIFY(QFileInfo(config.filePath("Kivo")).isDir());
    }

    void overrideWinsUntilCleared()
    {
        kivo::setListFilePathOverride(QStringLiteral("/elsewhere/list.ini"));
        QCOMPARE(kivo::listFilePath(), QStringLiteral("/elsewhere/list.ini"));
        kivo::setListFilePathOverride({});
        const QString exeDir = QCoreApplication::applicationDirPath();
        const QString expected = QFileInfo(exeDir).isWritable() ? exeDir + QStringLiteral("/kivo.ini")
                                                                : qEnvironmentVariable("XDG_CONFIG_HOME") +
                                                                      QStringLiteral("/Kivo/kivo.ini");
        QCOMPARE(kivo::listFilePath(), expected);
        kivo::setListFilePathOverride(kivotest::listFilePath());
    }
};

KIVO_TEST_MAIN(TestListFileLocation)
#include "tst_listfilelocation.moc"
