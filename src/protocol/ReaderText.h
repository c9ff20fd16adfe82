#pragma once

#include <QByteArray>
#include <QString>

namespace kivo {

// Small pieces the protocol readers share, so every protocol reports alike.

// A unit as the readings carry it: the common ones in lower case ("KG" -> "kg", "LB" -> "lb",
// also "g", "t", "oz"), any other unit as sent, blanks trimmed.
[[nodiscard]] QString unitName(const QString &sent);

// A weight field as the display shows it: blanks and a plus sign left out, leading zeros
// suppressed down to one before the decimal point ("+0012.50" -> "12.50", "-  0.5" -> "-0.5",
// "000000" -> "0"); a zero keeps no minus sign. Empty when the field is no number.
[[nodiscard]] QString displayWeight(const QString &field);

// What the display shows over or under capacity: "OL", "-OL" under.
[[nodiscard]] QString overloadText(bool under);

// The short status of a reading: "OL" over or under capacity, else "ST" stable or "US" in motion.
[[nodiscard]] QString statusText(bool stable, bool overload);

// Bytes collected while waiting for the end of a frame that can only be so long: the oldest bytes
// beyond the limit are thrown away, so a line of junk that never ends keeps memory bounded.
class BoundedCollection
{
public:
    explicit BoundedCollection(qsizetype limit) : m_limit(limit) {}

    // Appends a byte; returns the bytes thrown away to stay within the limit (0 or 1).
    qint64 append(char byte)
    {
        m_bytes.append(byte);
        if (m_bytes.size() <= m_limit)
            return 0;
        m_bytes.remove(0, 1);
        return 1;
    }
    [[nodiscard]] const QByteArray &bytes() const { return m_bytes; }
    void clear() { m_bytes.resize(0); }

private:
    qsizetype m_limit;
    QByteArray m_bytes;
};

} // namespace kivo
