#include "link/SerialSettings.h"

#include <QStringList>

namespace kivo {

namespace {

bool fail(QString *error, const QString &why)
{
    if (error)
        *error = why;
    return false;
}

} // namespace

QString SerialSettings::text(const QString &bps, const QString &parity, const QString &dataBits,
                             const QString &stopBits)
{
    const int bits = dataBits.trimmed().toShort();
    return QStringList{bps, parity, QString::number(bits), stopBits}.join(QLatin1Char(','));
}

std::optional<SerialSettings> SerialSettings::parse(const QString &text, QString *error)
{
    const QStringList fields = text.split(QLatin1Char(','));
    if (fields.size() != 4) {
        fail(error, QStringLiteral("Settings \"%1\" do not have four fields.").arg(text));
        return std::nullopt;
    }
    SerialSettings s;
    bool ok = false;
    s.baudRate = fields[0].trimmed().toInt(&ok);
    if (!ok || s.baudRate <= 0) {
        fail(error, QStringLiteral("Bit rate \"%1\" is not a positive number.").arg(fields[0]));
        return std::nullopt;
    }

    const QString parity = fields[1].trimmed().toUpper();
    if (parity == QLatin1String("N"))
        s.parity = QSerialPort::NoParity;
    else if (parity == QLatin1String("E"))
        s.parity = QSerialPort::EvenParity;
    else if (parity == QLatin1String("O"))
        s.parity = QSerialPort::OddParity;
    else if (parity == QLatin1String("M"))
        s.parity = QSerialPort::MarkParity;
    else if (parity == QLatin1String("S"))
        s.parity = QSerialPort::SpaceParity;
    else {
        fail(error, QStringLiteral("Parity \"%1\" is not one of E, M, N, O, S.").arg(fields[1]));
        return std::nullopt;
    }

    const int bits = fields[2].trimmed().toInt(&ok);
    if (ok && bits == 4) {
        fail(error, QStringLiteral("4 data bits are not supported by the serial port."));
        return std::nullopt;
    }
    if (!ok || bits < 5 || bits > 8) {
        fail(error, QStringLiteral("Data bits \"%1\" are not 5 to 8.").arg(fields[2]));
        return std::nullopt;
    }
    s.dataBits = static_cast<QSerialPort::DataBits>(bits);

    const QString stop = fields[3].trimmed();
    if (stop == QLatin1String("1"))
        s.stopBits = QSerialPort::OneStop;
    else if (stop == QLatin1String("1.5"))
        s.stopBits = QSerialPort::OneAndHalfStop;
    else if (stop == QLatin1String("2"))
        s.stopBits = QSerialPort::TwoStop;
    else {
        fail(error, QStringLiteral("Stop bits \"%1\" are not 1, 1.5 or 2.").arg(fields[3]));
        return std::nullopt;
    }
    return s;
}

} // namespace kivo
