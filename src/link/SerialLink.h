#pragma once

#include "link/Link.h"

#include <QSerialPort>

namespace kivo {

// The serial link: one QSerialPort with the program's line settings. Nothing here sets the DTR
// or RTS lines or flow control (a pseudo-terminal refuses those ioctls; a real port keeps its
// defaults).
class SerialLink : public Link
{
    Q_OBJECT
public:
    explicit SerialLink(QObject *parent = nullptr);
    ~SerialLink() override;

    // Closes a port left open, then opens portName (a name such as COM3 or ttyUSB0, or a device
    // path) with the settings text (for example 9600,N,8,1). Success is judged by reading back
    // whether the port is open after every setting was applied; any setting the driver refuses
    // (and 4 data bits, which the port has no setting for) closes it again. On failure returns
    // false and sets *error to the reason.
    bool open(const QString &portName, const QString &settingsText, QString *error = nullptr);
    void close();

    [[nodiscard]] bool isOpen() const { return m_port.isOpen(); }
    [[nodiscard]] QString portName() const { return m_port.portName(); }
    // The port and the settings text of the last open, as they were given.
    [[nodiscard]] QString openedName() const { return m_name; }
    [[nodiscard]] QString openedSettings() const { return m_settings; }

    [[nodiscard]] bool isReady() const override { return isOpen(); }
    bool write(const QByteArray &bytes, QString *error) override;
    [[nodiscard]] qint64 bytesAvailable() const override;
    QByteArray readAll() override;
    void discardInput() override;
    [[nodiscard]] QString endpoint() const override { return QStringLiteral("serial:") + m_name; }

private:
    void onError(QSerialPort::SerialPortError error);

    QSerialPort m_port;
    QString m_name; // the port as it was named when opened (a path stays a path)
    QString m_settings;
    // Counts opens, so that a failure reported for an earlier open is never taken for the current one.
    quint64 m_openCount = 0;
    bool m_failing = false;
};

} // namespace kivo
