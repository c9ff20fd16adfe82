#pragma once

#include "detect/ProbePort.h"

#include <QSerialPort>

namespace kivo {

// The settings finder's port over QSerialPort. Like the serial link it sets no DTR, RTS or flow
// control (a pseudo-terminal refuses those ioctls).
class SerialProbePort final : public ProbePort
{
    Q_OBJECT
public:
    explicit SerialProbePort(const QString &portName, QObject *parent = nullptr);
    ~SerialProbePort() override;

    bool open(qint32 bitRate, Framing framing, QString *error) override;
    bool write(const QByteArray &bytes) override;
    void close() override;

private:
    void onError(QSerialPort::SerialPortError error);

    QSerialPort m_port;
    QString m_name;
};

} // namespace kivo
