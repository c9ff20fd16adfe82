#pragma once

#include <QString>

namespace kivo {

// A profile is a folder that holds its own settings store (Kivo/Kivo.conf) and list file
// (kivo.ini), so one user can keep a set of choices per indicator. Using one never reads or
// writes the user's own stores.
//
// Creates the folder when it is missing, seeds its list file from the installed one (beside the
// executable in exeDir, or share/kivo/kivo.ini of the installation) when it has none, and points
// both stores of this process at it. Call before the main window exists. Returns an error line,
// or an empty text on success.
[[nodiscard]] QString useProfile(const QString &dir, const QString &exeDir);

// The main window's caption with the profile's name (its folder's name) after it.
[[nodiscard]] QString profileCaption(const QString &caption, const QString &dir);

} // namespace kivo
