#include "core/Version.h"

#include "core/VersionConfig.h"

namespace kivo {

Version appVersion()
{
    return {KIVO_VERSION_MAJOR, KIVO_VERSION_MINOR, KIVO_VERSION_PATCH};
}

QString captionText(const Version &v)
{
    return QStringLiteral("Kivo v%1.%2%3").arg(v.major).arg(v.minor).arg(v.revision);
}

QString versionText(const Version &v)
{
    return QStringLiteral("%1.%2.%3").arg(v.major).arg(v.minor).arg(v.revision);
}

} // namespace kivo
