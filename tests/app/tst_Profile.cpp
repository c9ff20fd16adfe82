#include "KivoTest.h"

#include "app/Profile.h"
#include "core/ListFileLocation.h"

#include <QSettings>

namespace {

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

QByteArray bytesOf(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

} // namespace

// Where the stores live for an installed program and for a profile.
class tst_Profile : public QObject
{
    Q_OBJECT

private slots:
    // Installed under a prefix (desktop entry in ../share) the program must not write into the
    // system's program folder even when it may (run as root), and a new user starts from the
    // installation's list file.
    void installedProgramKeepsTheListFileInTheUsersFolder()
    {
        QTemporaryDir prefix, config;
        QVERIFY(QDir().mkpath(prefix.filePath("bin")));
        QVERIFY(
            writeFile(prefix.filePath("share/applications/org.kivobench.kivo.desktop"), "[Desktop Entry]\n"));
        QVERIFY(writeFile(prefix.filePath("share/kivo/kivo.ini"), "[FuncKeyCap]\r\nString1=LAB\r\n"));

        const QString file = kivo::resolveListFilePath(prefix.filePath("bin"), config.path());
        QCOMPARE(file, config.filePath("Kivo/kivo.ini"));
        QCOMPARE(bytesOf(file), QByteArray("[FuncKeyCap]\r\nString1=LAB\r\n"));
        QVERIFY(QDir(prefix.filePath("bin")).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
    }

    void profileHoldsBothStoresAndKeepsItsOwnListFile()
    {
        QTemporaryDir exe, root;
        QVERIFY(writeFile(exe.filePath("kivo.ini"), "seed"));
        const QString profile = root.filePath("a/b/bench-7");

        QCOMPARE(kivo::useProfile(profile, exe.path()), QString());
        QCOMPARE(kivo::listFilePath(), profile + "/kivo.ini");
        QCOMPARE(bytesOf(profile + "/kivo.ini"), QByteArray("seed"));
        QCOMPARE(QSettings(QSettings::NativeFormat, QSettings::UserScope, "Kivo", "Kivo").fileName(),
                 profile + "/Kivo/Kivo.conf");

        // A profile's own list file is never replaced by the seed.
        QVERIFY(writeFile(profile + "/kivo.ini", "edited"));
        QCOMPARE(kivo::useProfile(profile, exe.path()), QString());
        QCOMPARE(bytesOf(profile + "/kivo.ini"), QByteArray("edited"));
        kivo::setListFilePathOverride(kivotest::listFilePath());
    }

    void unusableProfileFolderIsReportedNotIgnored()
    {
        QTemporaryDir root;
        QVERIFY(writeFile(root.filePath("file"), "x"));
        const QString error = kivo::useProfile(root.filePath("file/sub"), root.path());
        QVERIFY2(error.startsWith("kivo: --profile: "), qPrintable(error));
        QCOMPARE(kivo::listFilePath(), kivotest::listFilePath());
    }
};

KIVO_TEST_MAIN(tst_Profile)
#include "tst_Profile.moc"
