#pragma once

#include <QtGlobal>

#ifdef Q_OS_WIN

#include "tools/SysInfoLauncher.h"

#include <QString>

#include <windows.h>

namespace kivo {

// Reads one string value of the registry into keyVal; false (and an empty keyVal) when the key or
// the value cannot be read.
bool GetKeyValue(HKEY keyRoot, const QString &keyName, const QString &subKeyRef, QString &keyVal);

// Finds the system-information tool through the two registry values where Windows records it.
class RegistrySysInfo : public SysInfoLauncher
{
public:
    [[nodiscard]] bool start() override;
};

} // namespace kivo

#endif
