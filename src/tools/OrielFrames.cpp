#include "tools/OrielFrames.h"

#include <cmath>
#include <limits>

namespace kivo {

namespace {

constexpr qint64 maxForSize(int size)
{
    return size >= 8 ? std::numeric_limits<qint64>::max() : (qint64(1) << (8 * size)) - 1;
}

bool sendRead(char letter, qint64 count, qint64 address, const HexSendFn &send)
{
    const auto frame = readFrame(letter, count, address);
    if (!frame)
        return false;
    send(*frame, kHexaFormat);
    return true;
}

} // namespace

std::optional<QString> HexField(qint64 value, int size)
{
    if (size <= 0 || value < 0 || value > maxForSize(size))
        return std::nullopt;
    return QString::number(value, 16).toUpper().rightJustified(2 * size, QLatin1Char('0'));
}

QString SumCheck(QStringView hex)
{
    QString digits;
    for (QChar c : hex)
        if (c != QLatin1Char(' '))
            digits += c;
    unsigned sum = 0;
    for (qsizetype i = 0; i + 1 < digits.size(); i += 2)
        sum += digits.mid(i, 2).toUInt(nullptr, 16);
    return QString::number(sum & 0xFF, 16).toUpper().rightJustified(2, QLatin1Char('0'));
}

std::optional<qint64> fieldValue(double value, int size)
{
    // Half to even, as the number boxes' values have always been rounded.
    // 2^63 is where qint64 ends; double(maxForSize(8)) rounds up to it, so it is tested apart.
    const double r = std::nearbyint(value);
    if (size <= 0 || !(r >= 0 && r <= double(maxForSize(size)) && r < 0x1p63))
        return std::nullopt;
    return qint64(r);
}

std::optional<qint64> recordAddress(double n, qint64 tableStart, qint64 recordSize)
{
    return fieldValue((n - 1) * double(recordSize) + double(tableStart), 4);
}

std::optional<QString> readFrame(char letter, qint64 count, qint64 address)
{
    const auto addressField = HexField(address, 4);
    const auto countField = HexField(count, 2);
    if (!addressField || !countField)
        return std::nullopt;
    const QString body = *addressField + QStringLiteral("2C") + *countField + QStringLiteral("3A");
    const QString command = QStringLiteral("52") +
                            QString::number(uchar(letter), 16).toUpper().rightJustified(2, QLatin1Char('0'));
    return command + body + SumCheck(body) + QStringLiteral("0D");
}

bool SendReadX(qint64 count, qint64 address, const HexSendFn &send)
{
    return sendRead('X', count, address, send);
}

bool SendReadF(qint64 count, qint64 address, const HexSendFn &send)
{
    return sendRead('F', count, address, send);
}

std::optional<QString> transferCompleteFrame(qint64 serial)
{
    const auto field = HexField(serial, 2);
    if (!field)
        return std::nullopt;
    return QStringLiteral("4753") + *field + QStringLiteral("300D");
}

QString uploadWaitingFrame()
{
    return QStringLiteral("52530D");
}

QString versionFrame()
{
    return QStringLiteral("52560D");
}

} // namespace kivo
