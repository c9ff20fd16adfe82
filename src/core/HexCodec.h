#pragma once

#include "core/CodePage.h"

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <cstdint>

// The hex notation of bytes and the blank rules shared by the send box, the stored strings, the
// traffic views and the frame fields. ASCII text stands for its code-page bytes, hex text for pairs
// of hex digits with blanks as separators.
namespace kivo {

// The upper-case hex digits of the text's code-page bytes, two per byte, no separators: AB -> 4142.
[[nodiscard]] QString AscToHex(const QString &text, const CodePage &codePage = CodePage::system());

// Hex text to bytes. Blanks are dropped, the rest is cut into pairs from the left and each pair is
// read from its leading hex digits (0d -> 0D, 4Z -> 04, ZZ -> 00). A lone last digit is a byte of
// its own value (414 -> 41 04). Text without anything but blanks gives no bytes.
[[nodiscard]] QByteArray HexToBytes(QStringView hex);

// The pairs HexToBytes reads, each followed by one blank, in the letter case given: 4142 -> "41 42 ".
// A lone last digit is shown the same way ("4 ").
[[nodiscard]] QString HexToSpaced(QStringView hex);

// The text without its blanks (the Hexa send box and HexToBytes ignore them).
[[nodiscard]] QString withoutBlanks(QStringView text);

// The text less its leading and trailing blanks (other white space is kept: it is data).
[[nodiscard]] QString trimBlanks(QStringView text);

// XOR of the bytes a hex range stands for (as HexToBytes reads them); no bytes give 0.
[[nodiscard]] uint8_t xorOfHexBytes(QStringView hex);

} // namespace kivo
