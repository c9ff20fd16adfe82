#pragma once

#include <QString>

#include <optional>

namespace kivo {

// A weight field as a number: optional sign, digits and one decimal point, blanks around or
// between sign and digits ignored ("- 12.50", "+0012.3"). Anything else is no number.
[[nodiscard]] std::optional<double> weightValue(const QString &text);

} // namespace kivo
