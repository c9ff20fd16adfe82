#include "detect/ProbePort.h"

#include <QStringList>

namespace kivo {

QList<Framing> probeFramings()
{
    return {Framing::Bits8None1, Framing::Bits7Even1, Framing::Bits7Odd1};
}

QString framingName(Framing framing)
{
    switch (framing) {
    case Framing::Bits7Even1:
        return QStringLiteral("7E1");
    case Framing::Bits7Odd1:
        return QStringLiteral("7O1");
    case Framing::Bits8None1:
        break;
    }
    return QStringLiteral("8N1");
}

QSerialPort::DataBits framingDataBits(Framing framing)
{
    return framing == Framing::Bits8None1 ? QSerialPort::Data8 : QSerialPort::Data7;
}

QSerialPort::Parity framingParity(Framing framing)
{
    switch (framing) {
    case Framing::Bits7Even1:
        return QSerialPort::EvenParity;
    case Framing::Bits7Odd1:
        return QSerialPort::OddParity;
    case Framing::Bits8None1:
        break;
    }
    return QSerialPort::NoParity;
}

QString lineSettingsText(qint32 bitRate, Framing framing)
{
    const QString name = framingName(framing);
    return QStringList{QString::number(bitRate), name.mid(1, 1), name.left(1), name.right(1)}.join(
        QLatin1Char(','));
}

} // namespace kivo
