#pragma once

#include <QString>

namespace kivo {

// Where the list file "kivo.ini" lives: beside the executable when that folder can be written;
// otherwise Kivo/kivo.ini under the per-user configuration folder, first seeded from a kivo.ini
// beside the executable when one is there. Reads and writes use the same place.
[[nodiscard]] QString listFilePath();

// Tests (and the demo profile) pin the list file to a path of their own. An empty path restores
// the normal rule.
void setListFilePathOverride(const QString &path);

// The rule behind listFilePath() for a given executable folder and per-user configuration folder.
// Tests the folder by creating a file there, and seeds the per-user copy when it falls back.
[[nodiscard]] QString resolveListFilePath(const QString &exeDir, const QString &configDir);

} // namespace kivo
