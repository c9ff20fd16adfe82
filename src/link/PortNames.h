#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// Rules about serial port names that do not depend on any window.
namespace kivo::PortNames {

// Natural order of port names: digit runs compare by value, so COM2 comes before COM10 and ttyS1
// before ttyUSB0 (letters compare case-insensitively first).
[[nodiscard]] bool naturalLess(const QString &a, const QString &b);
[[nodiscard]] QStringList sortedNaturally(QStringList names);

// The port number of a name of the form COM followed by a number (any letter case); nothing for
// other names such as device paths. Numbers too large to count come back as INT_MAX.
[[nodiscard]] std::optional<int> comNumber(const QString &name);

// The highest port number the program may open (the port-limit rule for COM names).
inline constexpr int kHighestComPort = 15;

} // namespace kivo::PortNames
