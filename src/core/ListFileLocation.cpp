#include "core/ListFileLocation.h"

#include "core/ListFileKeys.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace kivo {

namespace {

QString &overridePath()
{
    static QString path;
    return path;
}

// Whether a file can be created in the folder: permissions alone do not tell (read-only mounts,
// access control lists), so one is created and removed.
bool folderIsWritable(const QString &dir)
{
    QTemporaryFile probe(dir + QStringLiteral("/.kivo-probe-XXXXXX"));
    return probe.open();
}

// An installed program (its desktop entry, as the install puts it, under ../share) never writes
// into the system's program folder, also when it runs with the rights to.
bool isInstalled(const QString &exeDir)
{
    return QFileInfo::exists(
        QDir(exeDir).filePath(QStringLiteral("../share/applications/org.kivobench.kivo.desktop")));
}

} // namespace

QString resolveListFilePath(const QString &exeDir, const QString &configDir)
{
    const QString besideExe = QDir(exeDir).filePath(ListFileKeys::FileName);
    const QFileInfo exeFile(besideExe);
    if (!isInstalled(exeDir) && folderIsWritable(exeDir) && (!exeFile.exists() || exeFile.isWritable()))
        return besideExe;

    const QString userDir = QDir(configDir).filePath(QStringLiteral("Kivo"));
    const QString userFile = QDir(userDir).filePath(ListFileKeys::FileName);
    QDir().mkpath(userDir);
    const QString seed = installedListFilePath(exeDir);
    if (!QFileInfo::exists(userFile) && !seed.isEmpty() && QFile::copy(seed, userFile)) {
        // The copy keeps the installed file's permissions, which may be read-only.
        QFile::setPermissions(userFile, QFile::permissions(userFile) | QFile::ReadOwner | QFile::WriteOwner);
    }
    return userFile;
}

QString installedListFilePath(const QString &exeDir)
{
    const QDir dir(exeDir);
    for (const QString &candidate :
         {dir.filePath(ListFileKeys::FileName),
          dir.filePath(QStringLiteral("../share/kivo/") + ListFileKeys::FileName)}) {
        if (QFileInfo(candidate).isFile())
            return QDir::cleanPath(candidate);
    }
    return {};
}

QString listFilePath()
{
    if (!overridePath().isEmpty())
        return overridePath();
    // Decided once, so every read and write of a run goes to the same file.
    static const QString path =
        resolveListFilePath(QCoreApplication::applicationDirPath(),
                            QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation));
    return path;
}

void setListFilePathOverride(const QString &path)
{
    overridePath() = path;
}

} // namespace kivo
