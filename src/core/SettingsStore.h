#pragma once

#include <QString>

namespace kivo {

// The per-user settings store: QSettings("Kivo", "Kivo"), group "Setting", every value text.
// On Linux the file Kivo/Kivo.conf under $XDG_CONFIG_HOME.
[[nodiscard]] QString ReadSetting(const QString &key, const QString &defaultValue);
void WriteSetting(const QString &key, const QString &value);

} // namespace kivo
