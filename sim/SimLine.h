#pragma once

#include <QByteArray>
#include <QRandomGenerator>
#include <QString>

#include <optional>

namespace kivosim {

// A serial line's bit rate and character framing, as a real indicator is set up ("2400,8N1").
struct LineSetting
{
    int rate = 9600;
    int dataBits = 8;
    char parity = 'N'; // N, E or O
    int stopBits = 1;

    // "RATE,FRAMING": a standard bit rate and data bits 5-8, parity N/E/O, stop bits 1 or 2 ("19200,7E1").
    [[nodiscard]] static std::optional<LineSetting> parse(const QString &text);
    // What a terminal has set on the pseudo-terminal whose descriptor is given (either side: on
    // Linux the master reports the slave's settings). Nothing when they cannot be read.
    [[nodiscard]] static std::optional<LineSetting> ofTerminal(int fd);

    [[nodiscard]] QString text() const;
    bool operator==(const LineSetting &) const = default;
    // Whether a receiver set to `other` reads this line's characters as sent and checks their parity
    // as sent: rate, data bits and parity agree (a receiver reads one stop bit either way).
    [[nodiscard]] bool agrees(const LineSetting &other) const
    {
        return rate == other.rate && dataBits == other.dataBits && parity == other.parity;
    }
};

// What a receiver set to another line makes of the bytes a sender puts on its own: at another bit
// rate, garbage of about as many characters as the receiver's clock cuts the bits into; at the
// same rate with other data bits, the same characters with the parity bit read as data (or the
// eighth bit lost). The garbage is drawn from a seeded generator, so a run can be repeated.
class LineGarbler
{
public:
    explicit LineGarbler(quint32 seed) : m_random(seed) {}

    [[nodiscard]] QByteArray received(const QByteArray &sent, const LineSetting &line,
                                      const LineSetting &terminal);

private:
    QRandomGenerator m_random;
};

} // namespace kivosim
