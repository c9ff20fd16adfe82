#include "ProtocolFrames.h"

#include <cstdlib>

namespace kivosim {

namespace {

constexpr char STX = 0x02;
constexpr char ETX = 0x03;

bool over(const Reading &r)
{
    return r.status == Status::Overload && r.counts >= 0;
}

bool under(const Reading &r)
{
    return r.status == Status::Overload && r.counts < 0;
}

// The magnitude in counts, as digits with the decimal point ("1234", 2 -> "12.34"), clamped to
// the six digits every protocol's field holds.
QByteArray magnitudeText(qint64 counts, int decimals)
{
    const qint64 magnitude = std::min<qint64>(std::llabs(counts), ProtocolFrames::maxCounts);
    QByteArray digits = QByteArray::number(magnitude).rightJustified(decimals + 1, '0');
    if (decimals > 0)
        digits.insert(digits.size() - decimals, '.');
    return digits;
}

QByteArray signedText(qint64 counts, int decimals)
{
    return (counts < 0 ? "-" : "") + magnitudeText(counts, decimals);
}

// Status byte 1: bit 0 in motion, bit 1 at zero. Byte 2: bit 0 under capacity, bit 1 over
// capacity. Byte 3: bit 2 net. Bits 4 and 5 always set.
QByteArray nciStatus(const Reading &reading)
{
    const char first =
        char(0x30 | (reading.status == Status::Unstable ? 0x01 : 0) | (reading.counts == 0 ? 0x02 : 0));
    const char second = char(0x30 | (under(reading) ? 0x01 : 0) | (over(reading) ? 0x02 : 0));
    const char third = char(0x30 | (reading.net ? 0x04 : 0));
    return QByteArray() + first + second + third;
}

} // namespace

bool ProtocolFrames::protocolFromName(const QString &name, Protocol *protocol)
{
    static const struct
    {
        const char *name;
        Protocol protocol;
    } names[] = {{"toledo", Protocol::Toledo},
                 {"sics", Protocol::Sics},
                 {"nci", Protocol::Nci},
                 {"sma", Protocol::Sma}};
    for (const auto &entry : names) {
        if (name == QLatin1String(entry.name)) {
            *protocol = entry.protocol;
            return true;
        }
    }
    return false;
}

bool ProtocolFrames::unitFromName(const QString &name, Unit *unit)
{
    for (const Unit u : {Unit::G, Unit::Kg, Unit::Lb, Unit::T, Unit::Oz}) {
        if (name == QLatin1String(unitName(u))) {
            *unit = u;
            return true;
        }
    }
    return false;
}

QByteArray ProtocolFrames::unitName(Unit unit)
{
    switch (unit) {
    case Unit::G:
        return "g";
    case Unit::Kg:
        return "kg";
    case Unit::Lb:
        return "lb";
    case Unit::T:
        return "t";
    case Unit::Oz:
        return "oz";
    }
    return {};
}

bool ProtocolFrames::streams(Protocol protocol)
{
    return protocol == Protocol::None || protocol == Protocol::Toledo;
}

Request ProtocolFrames::request(Protocol protocol, const QByteArray &command)
{
    switch (protocol) {
    case Protocol::None:
    case Protocol::Toledo:
        if (command == "S")
            return Request::StreamToggle;
        break;
    case Protocol::Sics:
        if (command == "S")
            return Request::StableWeight;
        if (command == "SI")
            return Request::Weight;
        if (command == "SIR")
            return Request::RepeatWeight;
        if (command == "@")
            return Request::Reset;
        break;
    case Protocol::Nci:
        if (command == "S")
            return Request::Status;
        break;
    case Protocol::Sma:
        break;
    }
    if (command == "Z")
        return Request::Zero;
    if (command == "T")
        return Request::Tare;
    if (command == "W" && protocol != Protocol::Sics)
        return Request::Weight;
    return Request::Unknown;
}

QByteArray ProtocolFrames::weight(const ProtocolFormat &format, const Reading &reading, qint64 tare)
{
    switch (format.protocol) {
    case Protocol::Toledo:
        return toledo(format, reading, tare);
    case Protocol::Sics:
        return sics(format, reading);
    case Protocol::Nci:
        return nci(format, reading);
    case Protocol::Sma:
        return sma(format, reading);
    case Protocol::None:
        break;
    }
    return {};
}

// Status word A: bits 0-2 the decimal point (2: none, 3: one decimal ... 6: four), bits 3-4 the
// increment (01: x1), bit 5 always set. Status word B: bit 0 net, bit 1 negative, bit 2 out of
// range, bit 3 in motion, bit 4 kg (else lb), bit 5 always set. Status word C: bits 0-2 the unit
// when not lb or kg (1 g, 2 t, 3 oz), bit 5 always set. The checksum is the two's complement of
// the 7-bit sum of STX to CR.
QByteArray ProtocolFrames::toledo(const ProtocolFormat &format, const Reading &reading, qint64 tare)
{
    char wordC = 0x20;
    bool kg = false;
    switch (format.unit) {
    case Unit::Kg:
        kg = true;
        break;
    case Unit::Lb:
        break;
    case Unit::G:
        wordC |= 1;
        break;
    case Unit::T:
        wordC |= 2;
        break;
    case Unit::Oz:
        wordC |= 3;
        break;
    }
    const char wordA = char(0x20 | 0x08 | (format.decimals + 2));
    const char wordB = char(0x20 | (reading.net ? 0x01 : 0) | (reading.counts < 0 ? 0x02 : 0) |
                            (reading.status == Status::Overload ? 0x04 : 0) |
                            (reading.status == Status::Unstable ? 0x08 : 0) | (kg ? 0x10 : 0));
    const auto digits = [](qint64 counts) {
        return QByteArray::number(std::min<qint64>(std::llabs(counts), maxCounts)).rightJustified(6, '0');
    };
    QByteArray frame =
        QByteArray(1, STX) + wordA + wordB + wordC + digits(reading.counts) + digits(tare) + '\r';
    if (format.checksum) {
        unsigned sum = 0;
        for (const char c : frame)
            sum += quint8(c);
        frame += char((~sum + 1) & 0x7F);
    }
    return frame;
}

QByteArray ProtocolFrames::sics(const ProtocolFormat &format, const Reading &reading)
{
    if (over(reading))
        return "S +\r\n";
    if (under(reading))
        return "S -\r\n";
    const char kind = reading.status == Status::Stable ? 'S' : 'D';
    return QByteArray("S ") + kind + ' ' +
           signedText(reading.counts, format.decimals).rightJustified(10, ' ') + ' ' + unitName(format.unit) +
           "\r\n";
}

QByteArray ProtocolFrames::nci(const ProtocolFormat &format, const Reading &reading)
{
    QByteArray field;
    if (over(reading))
        field = "^^^^^^^";
    else if (under(reading))
        field = "_______";
    else
        field = (reading.counts < 0 ? "-" : "") +
                magnitudeText(reading.counts, format.decimals).rightJustified(6, '0') +
                unitName(format.unit).toUpper();
    return '\n' + field + "\r\n" + nciStatus(reading) + '\r' + ETX;
}

QByteArray ProtocolFrames::sma(const ProtocolFormat &format, const Reading &reading)
{
    char status = ' ';
    QByteArray field;
    if (over(reading)) {
        status = 'O';
        field = QByteArray(10, '^');
    } else if (under(reading)) {
        status = 'U';
        field = QByteArray(10, '_');
    } else {
        status = reading.counts == 0 ? 'Z' : ' ';
        field = signedText(reading.counts, format.decimals).rightJustified(10, ' ');
    }
    return QByteArray("\n") + status + '1' + (reading.net ? 'N' : 'G') +
           (reading.status == Status::Unstable ? 'M' : ' ') + ' ' + field +
           unitName(format.unit).leftJustified(3, ' ') + '\r';
}

QByteArray ProtocolFrames::reply(const ProtocolFormat &format, Request request, const Reading &reading,
                                 qint64 tare)
{
    switch (format.protocol) {
    case Protocol::Sics:
        switch (request) {
        case Request::Zero:
            return "Z A\r\n";
        case Request::Tare:
            return "T S " + signedText(tare, format.decimals).rightJustified(10, ' ') + ' ' +
                   unitName(format.unit) + "\r\n";
        case Request::Reset:
            return "I4 A \"" + QByteArray::number(format.id).rightJustified(10, '0') + "\"\r\n";
        case Request::Unknown:
            return "ES\r\n";
        default:
            return {};
        }
    case Protocol::Nci:
        if (request == Request::Status || request == Request::Zero || request == Request::Tare)
            return '\n' + nciStatus(reading) + '\r' + ETX;
        return request == Request::Unknown ? QByteArray("\n?\r\x03") : QByteArray();
    case Protocol::Sma:
        if (request == Request::Zero || request == Request::Tare)
            return sma(format, reading); // the weight after zeroing or taring
        return request == Request::Unknown ? QByteArray("\n?\r") : QByteArray();
    case Protocol::Toledo:
    case Protocol::None:
        break;
    }
    return {};
}

} // namespace kivosim
