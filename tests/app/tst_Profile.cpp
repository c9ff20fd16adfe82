#include "KivoTest.h"

#include "app/Profile.h"

#include <QSettings>

using namespace kivotest;

// A profile's folder holds both stores, so benches on one machine keep their settings apart.
class tst_Profile : public QObject
{
    Q_OBJECT

private slots:
    void profileHoldsBothStoresAndKeepsItsOwnListFile()
    {
        QTemporaryDir exe, root;
        QVERIFY(writeFile(exe.filePath("kivo.ini"), "seed"));
        const QString profile = root.filePath("a/b/bench-7");

        QCOMPARE(kivo::useProfile(profile, exe.path()), QString());
        QCOMPARE(kivo::listFilePath(), profile + "/kivo.ini");
        QCOMPARE(readFile(profile + "/kivo.ini"), QByteArray("seed"));
        QCOMPARE(QSettings(QSettings::NativeFormat, QSettings::UserScope, "Kivo", "Kivo").fileName(),
                 profile + "/Kivo/Kivo.conf");

        // A profile's own list file is never replaced by the seed.
        QVERIFY(writeFile(profile + "/kivo.ini", "edited"));
        QCOMPARE(kivo::useProfile(profile, exe.path()), QString());
        QCOMPARE(readFile(profile + "/kivo.ini"), QByteArray("edited"));
        kivo::setListFilePathOverride(listFilePath());
    }

    void unusableProfileFolderIsReportedNotIgnored()
    {
        QTemporaryDir root;
        QVERIFY(writeFile(root.filePath("file"), "x"));
        const QString error = kivo::useProfile(root.filePath("file/sub"), root.path());
        QVERIFY2(error.startsWith("kivo: --profile: "), qPrintable(error));
        QCOMPARE(kivo::listFilePath(), listFilePath());
    }
};

KIVO_TEST_MAIN(tst_Profile)
#include "tst_Profile.moc"
