#include "SimLine.h"

#include <QRegularExpression>

#include <algorithm>
#include <bit>
#include <cmath>
#include <termios.h>

namespace kivosim {

namespace {

struct Speed
{
    int rate;
    speed_t code;
};

// The bit rates a terminal sets with the standard speed codes (custom rates are not simulated).
constexpr Speed kSpeeds[] = {{300, B300},      {600, B600},       {1200, B1200},     {2400, B2400},
                             {4800, B4800},    {9600, B9600},     {19200, B19200},   {38400, B38400},
                             {57600, B57600},  {115200, B115200}, {230400, B230400}, {460800, B460800},
                             {921600, B921600}};

int rateOf(speed_t code)
{
    for (const Speed &s : kSpeeds) {
        if (s.code == code)
            return s.rate;
    }
    return 0;
}

bool isStandardRate(int rate)
{
    return std::any_of(std::begin(kSpeeds), std::end(kSpeeds),
                       [rate](const Speed &s) { return s.rate == rate; });
}

// The parity bit a sender adds to a character of the given data bits.
int parityBit(quint8 character, int dataBits, char parity)
{
    const int ones = std::popcount(unsigned(character) & ((1u << dataBits) - 1));
    return parity == 'E' ? ones % 2 : 1 - ones % 2;
}

} // namespace

std::optional<LineSetting> LineSetting::parse(const QString &text)
{
    static const QRegularExpression form(QStringLiteral("^(\\d+),([5-8])([NEO])([12])$"),
                                         QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = form.match(text.trimmed());
    if (!match.hasMatch())
        return std::nullopt;
    LineSetting line;
    line.rate = match.captured(1).toInt();
    if (!isStandardRate(line.rate))
        return std::nullopt;
    line.dataBits = match.captured(2).toInt();
    line.parity = match.captured(3).toUpper().at(0).toLatin1();
    line.stopBits = match.captured(4).toInt();
    return line;
}

std::optional<LineSetting> LineSetting::ofTerminal(int fd)
{
    termios mode{};
    if (::tcgetattr(fd, &mode) != 0)
        return std::nullopt;
    LineSetting line;
    line.rate = rateOf(::cfgetospeed(&mode));
    switch (mode.c_cflag & CSIZE) {
    case CS5:
        line.dataBits = 5;
        break;
    case CS6:
        line.dataBits = 6;
        break;
    case CS7:
        line.dataBits = 7;
        break;
    default:
        line.dataBits = 8;
    }
    line.parity = (mode.c_cflag & PARENB) ? ((mode.c_cflag & PARODD) ? 'O' : 'E') : 'N';
    line.stopBits = (mode.c_cflag & CSTOPB) ? 2 : 1;
    return line;
}

QString LineSetting::text() const
{
    return QStringLiteral("%1,%2%3%4").arg(rate).arg(dataBits).arg(QLatin1Char(parity)).arg(stopBits);
}

QByteArray LineGarbler::received(const QByteArray &sent, const LineSetting &line, const LineSetting &terminal)
{
    if (line.rate != terminal.rate) {
        // A faster receiver cuts each sent character into several, a slower one merges several
        // into one; either way nothing of the frame survives. Bounded so a far faster receiver
        // does not flood the terminal.
        const double scale = double(terminal.rate) / std::max(line.rate, 1);
        const auto count = qsizetype(std::clamp(std::lround(sent.size() * scale), 1L, long(sent.size()) * 4));
        QByteArray noise(count, Qt::Uninitialized);
        for (char &c : noise)
            c = char(m_random.bounded(256));
        return noise;
    }
    if (line.dataBits == terminal.dataBits)
        return sent; // a parity or stop bit the receiver does not expect leaves the data as it is
    // The receiver reads as many bits as it expects: a shorter character is followed by its parity
    // bit (if any), then the stop bit and the idle line, both ones; a longer one loses its top bits.
    const unsigned keep = (1u << terminal.dataBits) - 1;
    QByteArray bytes = sent;
    for (char &c : bytes) {
        const unsigned data = quint8(c) & ((1u << line.dataBits) - 1);
        unsigned after = 0xFFu << line.dataBits;
        if (line.parity != 'N')
            after = unsigned(parityBit(quint8(data), line.dataBits, line.parity)) << line.dataBits |
                    0xFFu << (line.dataBits + 1);
        c = char((data | after) & keep);
    }
    return bytes;
}

} // namespace kivosim
