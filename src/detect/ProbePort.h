#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QSerialPort>
#include <QString>

namespace kivo {

// The character framings the settings finder tries, most common first.
enum class Framing { Bits8None1, Bits7Even1, Bits7Odd1 };

[[nodiscard]] QList<Framing> probeFramings();
// "8N1", "7E1", "7O1".
[[nodiscard]] QString framingName(Framing framing);
[[nodiscard]] QSerialPort::DataBits framingDataBits(Framing framing);
[[nodiscard]] QSerialPort::Parity framingParity(Framing framing);
// The serial link's settings text for the bit rate and framing: "19200,N,8,1".
[[nodiscard]] QString lineSettingsText(qint32 bitRate, Framing framing);

// The port the settings finder listens on: opened once for every bit rate and framing it tries.
// The serial port in the program; a scripted indicator in tests.
class ProbePort : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    // Opens the port with these settings (closing it first when open). Returns false, with the
    // reason in *error, when the port cannot be opened or the driver refuses a setting; the port
    // is closed then. Bytes that were waiting from before are thrown away.
    virtual bool open(qint32 bitRate, Framing framing, QString *error) = 0;
    // Hands the bytes to the open port; false when they could not all be taken.
    virtual bool write(const QByteArray &bytes) = 0;
    virtual void close() = 0;

signals:
    // Bytes read from the open port, everything that was waiting.
    void bytesArrived(const QByteArray &bytes);
    // The port died under the finder (unplugged, far end gone); it is closed already.
    void failed(const QString &reason);
};

} // namespace kivo
