#include "detect/SerialProbePort.h"

namespace kivo {

SerialProbePort::SerialProbePort(const QString &portName, QObject *parent)
    : ProbePort(parent), m_name(portName.trimmed())
{
    m_port.setPortName(m_name);
    connect(&m_port, &QSerialPort::readyRead, this, [this] {
        const QByteArray bytes = m_port.readAll();
        if (!bytes.isEmpty())
            emit bytesArrived(bytes);
    });
    connect(&m_port, &QSerialPort::errorOccurred, this, &SerialProbePort::onError);
}

SerialProbePort::~SerialProbePort()
{
    m_port.disconnect(this);
    m_port.close();
}

bool SerialProbePort::open(qint32 bitRate, Framing framing, QString *error)
{
    close();
    if (!m_port.open(QIODevice::ReadWrite)) {
        if (error)
            *error = QStringLiteral("Cannot open %1: %2").arg(m_name, m_port.errorString());
        return false;
    }
    // One setting at a time on the open port, so that each refusal of the driver is seen (a
    // pseudo-terminal refuses 7 data bits and even parity).
    const bool applied = m_port.setBaudRate(bitRate) && m_port.setDataBits(framingDataBits(framing)) &&
                         m_port.setParity(framingParity(framing)) && m_port.setStopBits(QSerialPort::OneStop);
    if (!applied) {
        if (error)
            *error = QStringLiteral("%1 refused %2 %3: %4")
                         .arg(m_name)
                         .arg(bitRate)
                         .arg(framingName(framing), m_port.errorString());
        m_port.close();
        return false;
    }
    // Bytes already waiting were read at other settings.
    m_port.clear(QSerialPort::Input);
    m_port.readAll();
    m_port.clearError();
    return true;
}

bool SerialProbePort::write(const QByteArray &bytes)
{
    return m_port.isOpen() && m_port.write(bytes) == bytes.size();
}

void SerialProbePort::close()
{
    if (m_port.isOpen())
        m_port.close();
}

void SerialProbePort::onError(QSerialPort::SerialPortError error)
{
    // A pseudo-terminal whose far end closed reports ReadError in a tight loop until it is closed.
    if ((error != QSerialPort::ReadError && error != QSerialPort::ResourceError) || !m_port.isOpen())
        return;
    const QString reason = QStringLiteral("%1: %2").arg(m_name, m_port.errorString());
    m_port.close();
    emit failed(reason);
}

} // namespace kivo
