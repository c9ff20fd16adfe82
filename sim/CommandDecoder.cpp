#include "CommandDecoder.h"

namespace kivosim {

CommandDecoder::CommandDecoder(QObject *parent) : QObject(parent)
{
    m_quiet.setSingleShot(true);
    m_quiet.setInterval(quietMs);
    connect(&m_quiet, &QTimer::timeout, this, &CommandDecoder::finish);
}

void CommandDecoder::feed(const QByteArray &bytes)
{
    for (const char byte : bytes) {
        if (byte == '\x02' || byte == '\x03' || byte == '\r' || byte == '\n')
            finish();
        else
            m_pending += byte;
    }
    if (m_pending.isEmpty())
        m_quiet.stop();
    else
        m_quiet.start();
}

void CommandDecoder::finish()
{
    const QByteArray text = m_pending.trimmed();
    m_pending.clear();
    if (!text.isEmpty())
        emit command(text);
}

} // namespace kivosim
