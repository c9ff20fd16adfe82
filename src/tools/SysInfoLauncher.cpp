#include "tools/SysInfoLauncher.h"

#include <QtGlobal>

#ifdef Q_OS_WIN
#include "tools/RegistrySysInfo.h"
#else
#include "tools/ProgramListLauncher.h"
#endif

namespace kivo {

std::unique_ptr<SysInfoLauncher> platformSysInfoLauncher()
{
#ifdef Q_OS_WIN
    return std::make_unique<RegistrySysInfo>();
#else
    return std::make_unique<ProgramListLauncher>();
#endif
}

} // namespace kivo
