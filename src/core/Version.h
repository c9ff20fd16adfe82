#pragma once

#include <QString>

namespace kivo {

// The build's version, from the CMake project version.
struct Version
{
    int major;
    int minor;
    int revision;
};

[[nodiscard]] Version appVersion();

// The main window's caption: "Kivo v" + major + "." + minor and revision run together
// (0.9.92 gives "Kivo v0.992").
[[nodiscard]] QString captionText(const Version &v);

// "major.minor.revision", as the About box shows it.
[[nodiscard]] QString versionText(const Version &v);

} // namespace kivo
