#include "app/Profile.h"

#include "core/ListFileKeys.h"
#include "core/ListFileLocation.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryFile>

namespace kivo {

QString useProfile(const QString &dir, const QString &exeDir)
{
    const QString path = QDir(dir).absolutePath();
    if (!QDir().mkpath(path))
        return QStringLiteral("kivo: --profile: cannot create the folder '%1'").arg(path);
    if (QTemporaryFile probe(path + QStringLiteral("/.kivo-probe-XXXXXX")); !probe.open())
        return QStringLiteral("kivo: --profile: cannot write in the folder '%1'").arg(path);

    const QString listFile = QDir(path).filePath(ListFileKeys::FileName);
    const QString seed = installedListFilePath(exeDir);
    if (!QFileInfo::exists(listFile) && !seed.isEmpty() && QFile::copy(seed, listFile))
        QFile::setPermissions(listFile, QFile::permissions(listFile) | QFile::ReadOwner | QFile::WriteOwner);
    setListFilePathOverride(listFile);

    // The per-user store becomes <profile>/Kivo/Kivo.conf; nothing opens the user's own.
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, path);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, path);
    return {};
}

QString profileCaption(const QString &caption, const QString &dir)
{
    return QStringLiteral("%1 [%2]").arg(caption, QFileInfo(QDir(dir).absolutePath()).fileName());
}

} // namespace kivo
