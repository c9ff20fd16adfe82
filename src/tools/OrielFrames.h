#pragma once

#include "core/AppData.h"

#include <QString>
#include <QStringView>

#include <cstdint>
#include <functional>
#include <optional>

// Command frames of the retail scale's data protocol that the serial-number test form sends, built
// as hex text (two digits per byte, no blanks) for the send operation's Hexa format.
namespace kivo {

// Hands one frame's hex text to the send operation together with its send format.
using HexSendFn = std::function<void(const QString &text, int16_t format)>;

inline constexpr int16_t kHexaFormat = storedValue(SendFormat::Hexa);

// The memory tables the record reads step through: 46-byte registration records and 350-byte
// PLU records.
inline constexpr qint64 kRecordTable = 0x00010054;
inline constexpr qint64 kRecordSize = 46;
inline constexpr qint64 kPluTable = 0x00164105;
inline constexpr qint64 kPluSize = 350;

// The value as upper-case hex digits, left-padded with "0" to 2 x size digits. A value that does not
// fit size bytes unsigned (negative or too large) gives nothing, so no field is ever cut short.
[[nodiscard]] std::optional<QString> HexField(qint64 value, int size);

// The low byte of the sum of the hex pairs (blanks ignored) as two upper-case hex digits.
[[nodiscard]] QString SumCheck(QStringView hex);

// A number as the boxes give it, rounded half to even, when it fits a field of size bytes.
[[nodiscard]] std::optional<qint64> fieldValue(double value, int size);

// The start address of record n (1-based) of a table, when it fits 32 bits.
[[nodiscard]] std::optional<qint64> recordAddress(double n, qint64 tableStart, qint64 recordSize);

// The twelve-byte read frame: "R", the letter, address (4 bytes), ",", count (2 bytes), ":", the
// sum of the eight bytes after the letters, CR. Nothing when count or address does not fit.
[[nodiscard]] std::optional<QString> readFrame(char letter, qint64 count, qint64 address);

// Memory read (letter X) and PLU read (letter F): builds the read frame and sends it as Hexa. A
// count or address that does not fit sends nothing and gives false.
bool SendReadX(qint64 count, qint64 address, const HexSendFn &send);
bool SendReadF(qint64 count, qint64 address, const HexSendFn &send);

// The transfer-complete acknowledgment "G" "S", the serial number in 2 bytes, "0", CR; nothing when
// the serial number does not fit 2 bytes.
[[nodiscard]] std::optional<QString> transferCompleteFrame(qint64 serial);

// The short requests: pending upload data ("R" "S" CR) and the scale's version ("R" "V" CR).
[[nodiscard]] QString uploadWaitingFrame();
[[nodiscard]] QString versionFrame();

} // namespace kivo
