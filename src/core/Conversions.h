#pragma once

#include <QString>

#include <cstdint>
#include <optional>

namespace kivo {

// Value conversions for stored settings and list-file values. Each gives std::nullopt when the
// text does not convert, so the caller can leave its setting as it was.

// The numeric value of the text's leading number: "1abc" gives 1, "abc" gives 0,
// " -2.5e1x" gives -25. Never fails.
[[nodiscard]] double leadingNumber(const QString &text);

// The whole text as a number (blanks around it allowed), rounded half to even to a 16-bit
// integer; empty text, non-numbers and values outside -32768..32767 do not convert.
[[nodiscard]] std::optional<int16_t> toInt16(const QString &text);

// A leading number rounded half to even to 16 bits (list-file Mode and Enabled fields);
// overflow does not convert.
[[nodiscard]] std::optional<int16_t> leadingInt16(const QString &text);

// "True"/"False" in any letter case, or a number (nonzero is true).
[[nodiscard]] std::optional<bool> toBool(const QString &text);

// The whole text as a 32-bit float (the splitter position).
[[nodiscard]] std::optional<float> toFloat32(const QString &text);

} // namespace kivo
