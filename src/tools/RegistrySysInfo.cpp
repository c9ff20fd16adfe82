#include "tools/RegistrySysInfo.h"

#ifdef Q_OS_WIN

#include <QFileInfo>
#include <QProcess>

namespace kivo {

bool GetKeyValue(HKEY keyRoot, const QString &keyName, const QString &subKeyRef, QString &keyVal)
{
    keyVal.clear();
    HKEY key = nullptr;
    if (RegOpenKeyExW(keyRoot, reinterpret_cast<LPCWSTR>(keyName.utf16()), 0, KEY_READ, &key) !=
        ERROR_SUCCESS)
        return false;
    wchar_t buffer[1024] = {};
    DWORD size = sizeof buffer;
    DWORD type = 0;
    const LSTATUS rc = RegQueryValueExW(key, reinterpret_cast<LPCWSTR>(subKeyRef.utf16()), nullptr, &type,
                                        reinterpret_cast<BYTE *>(buffer), &size);
    RegCloseKey(key);
    if (rc != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ))
        return false;
    QString text = QString::fromWCharArray(buffer, int(size / sizeof(wchar_t)));
    if (text.endsWith(QChar(0)))
        text.chop(1);
    keyVal = text;
    return true;
}

bool RegistrySysInfo::start()
{
    QString path;
    if (GetKeyValue(HKEY_LOCAL_MACHINE, QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO"),
                    QStringLiteral("PATH"), path))
        return QProcess::startDetached(path, {});
    if (GetKeyValue(HKEY_LOCAL_MACHINE, QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools Location"),
                    QStringLiteral("MSINFO"), path)) {
        const QString exe = path + QStringLiteral("\\MSINFO32.EXE");
        if (QFileInfo::exists(exe))
            return QProcess::startDetached(exe, {});
    }
    return false;
}

} // namespace kivo

#endif
