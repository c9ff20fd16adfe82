#pragma once

#include <QSerialPort>
#include <QString>

#include <optional>

namespace kivo {

// The four line parameters of the serial link, as the settings text "bit rate,parity,data
// bits,stop bits" (for example 9600,N,8,1) names them.
struct SerialSettings
{
    qint32 baudRate = 9600;
    QSerialPort::Parity parity = QSerialPort::NoParity;
    QSerialPort::DataBits dataBits = QSerialPort::Data8;
    QSerialPort::StopBits stopBits = QSerialPort::OneStop;

    // Joins the four list selections: bit rate, parity and stop bits as listed, data bits read as a
    // number and written back in decimal ("08" gives 8; a text that is no number gives 0).
    [[nodiscard]] static QString text(const QString &bps, const QString &parity, const QString &dataBits,
                                      const QString &stopBits);

    // Reads a settings text. Returns nothing, with the reason in *error, for a text the serial port
    // cannot take: a malformed field, or 4 data bits (which the port has no setting for).
    [[nodiscard]] static std::optional<SerialSettings> parse(const QString &text, QString *error = nullptr);
};

} // namespace kivo
