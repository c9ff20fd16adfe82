#include "link/SerialLink.h"

#include "link/SerialSettings.h"

#include <QMetaObject>

namespace kivo {

SerialLink::SerialLink(QObject *parent) : Link(parent)
{
    connect(&m_port, &QSerialPort::readyRead, this, &Link::readyRead);
    connect(&m_port, &QSerialPort::errorOccurred, this, &SerialLink::onError);
}

SerialLink::~SerialLink()
{
    // The port's signals must not reach this half-destroyed object while it closes.
    m_port.disconnect(this);
    if (m_port.isOpen())
        m_port.close();
}

bool SerialLink::open(const QString &portName, const QString &settingsText, QString *error)
{
    close();
    ++m_openCount;
    m_failing = false;

    QString why;
    const std::optional<SerialSettings> settings = SerialSettings::parse(settingsText, &why);
    if (!settings) {
        if (error)
            *error = why;
        return false;
    }
    if (portName.trimmed().isEmpty()) {
        if (error)
            *error = QStringLiteral("No serial port is chosen.");
        return false;
    }

    m_name = portName.trimmed();
    m_settings = settingsText;
    m_port.setPortName(m_name);
    if (!m_port.open(QIODevice::ReadWrite)) {
        if (error)
            *error = QStringLiteral("Cannot open %1: %2").arg(portName, m_port.errorString());
        return false;
    }
    // Applied one by one on the open port, so that each refusal of the driver is seen.
    const bool applied = m_port.setBaudRate(settings->baudRate) && m_port.setParity(settings->parity) &&
                         m_port.setDataBits(settings->dataBits) && m_port.setStopBits(settings->stopBits);
    if (!applied) {
        why = QStringLiteral("%1 refused the settings %2: %3")
                  .arg(portName, settingsText, m_port.errorString());
        m_port.close();
    }
    if (!m_port.isOpen()) {
        if (error)
            *error = why.isEmpty() ? QStringLiteral("%1 did not stay open.").arg(portName) : why;
        return false;
    }
    m_port.clearError();
    emit opened();
    return true;
}

void SerialLink::close()
{
    if (!m_port.isOpen())
        return;
    m_port.close();
    emit closed(QStringLiteral("closed"));
}

bool SerialLink::write(const QByteArray &bytes, QString *error)
{
    if (!m_port.isOpen()) {
        if (error)
            *error = QStringLiteral("The serial port is not open.");
        return false;
    }
    const qint64 written = m_port.write(bytes);
    if (written != bytes.size()) {
        if (error)
            *error = QStringLiteral("Writing to %1 failed: %2").arg(m_port.portName(), m_port.errorString());
        return false;
    }
    return true;
}

qint64 SerialLink::bytesAvailable() const
{
    return m_port.isOpen() ? m_port.bytesAvailable() : 0;
}

QByteArray SerialLink::readAll()
{
    // What the port holds, in one block of its size: QIODevice::readAll reserves a large block and
    // trims it again, at every arrival of a stream.
    return m_port.isOpen() ? m_port.read(m_port.bytesAvailable()) : QByteArray();
}

void SerialLink::discardInput()
{
    if (!m_port.isOpen())
        return;
    m_port.clear(QSerialPort::Input);
    m_port.readAll();
}

void SerialLink::onError(QSerialPort::SerialPortError error)
{
    // A port that dies under us (unplugged, far end of a pseudo-terminal closed) reports ReadError
    // or ResourceError, on a pseudo-terminal in a tight loop: close it here, which ends the loop,
    // and report once. The report is queued so that the port's own handler has returned first.
    if (error != QSerialPort::ReadError && error != QSerialPort::ResourceError)
        return;
    if (!m_port.isOpen() || m_failing)
        return;
    m_failing = true;
    const QString description = m_port.errorString();
    m_port.close();
    emit closed(description);
    const quint64 openCount = m_openCount;
    QMetaObject::invokeMethod(
        this,
        [this, description, openCount] {
            if (openCount == m_openCount)
                emit failed(description);
        },
        Qt::QueuedConnection);
}

} // namespace kivo
