#pragma once

#include <QString>

namespace kivo {

// Where the list file "kivo.ini" lives: beside the executable when that folder can be written and
// the program is not an installed one; otherwise Kivo/kivo.ini under the per-user configuration
// folder, first seeded from the installed list file when there is one. Reads and writes use the
// same place.
[[nodiscard]] QString listFilePath();

// Tests (and the demo profile) pin the list file to a path of their own. An empty path restores
// the normal rule.
void setListFilePathOverride(const QString &path);

// The list file a new per-user copy or profile starts from: kivo.ini beside the executable, else
// share/kivo/kivo.ini of the installation; empty when neither exists.
[[nodiscard]] QString installedListFilePath(const QString &exeDir);

// The rule behind listFilePath() for a given executable folder and per-user configuration folder.
// Tests the folder by creating a file there, and seeds the per-user copy when it falls back.
[[nodiscard]] QString resolveListFilePath(const QString &exeDir, const QString &configDir);

} // namespace kivo
