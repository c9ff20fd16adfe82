#pragma once

#include <memory>

namespace kivo {

// Starts the operating system's system-information tool for the About box.
class SysInfoLauncher
{
public:
    virtual ~SysInfoLauncher() = default;
    // True when the tool was started; false when there is none or it would not start.
    [[nodiscard]] virtual bool start() = 0;
};

// The launcher of the platform the program was built for: the registry look-up on Windows, the
// list of installed programs elsewhere.
[[nodiscard]] std::unique_ptr<SysInfoLauncher> platformSysInfoLauncher();

} // namespace kivo
