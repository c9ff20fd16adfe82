#include "record/SessionRecorder.h"

#include <QDateTime>

namespace kivo {

SessionRecorder::SessionRecorder(QObject *parent) : QObject(parent)
{
    m_decode = [](const QByteArray &bytes) { return QString::fromLatin1(bytes); };
    m_tick.setInterval(1000);
    connect(&m_tick, &QTimer::timeout, this, [this] {
        m_file.check();
        emit statusChanged();
    });
    connect(&m_file, &LogFile::failed, this, &SessionRecorder::fileFailed);
}

SessionRecorder::~SessionRecorder()
{
    // A window deleted without its shut-down still leaves a complete file behind.
    if (isRecording()) {
        m_file.disconnect(this);
        comment(QStringLiteral("recording stopped"));
        m_file.close();
    }
}

void SessionRecorder::watchLink(Link *link)
{
    connect(link, &Link::opened, this, [this, link] { comment(link->endpoint() + QStringLiteral(" opened")); });
    connect(link, &Link::closed, this, [this, link](const QString &reason) {
        comment(link->endpoint() + QStringLiteral(" closed: ") + reason);
    });
}

bool SessionRecorder::start(const QString &path, QString *error)
{
    stop();
    if (!m_file.open(path, error))
        return false;
    comment(QStringLiteral("recording started"));
    m_tick.start();
    emit recordingChanged(true);
    emit statusChanged();
    return true;
}

void SessionRecorder::stop(const QString &why)
{
    if (!isRecording())
        return;
    comment(why.isEmpty() ? QStringLiteral("recording stopped") : QStringLiteral("recording stopped: ") + why);
    m_tick.stop();
    m_failureReported = false;
    m_file.close();
    if (!m_failureReported) { // a failure of the last writes has said so already
        emit recordingChanged(false);
        emit statusChanged();
    }
}

void SessionRecorder::recordReceived(const LinkChunk &chunk)
{
    record(sessionlog::Direction::Rx, chunk);
}

void SessionRecorder::recordSent(const LinkChunk &chunk)
{
    record(sessionlog::Direction::Tx, chunk);
}

void SessionRecorder::record(sessionlog::Direction direction, const LinkChunk &chunk)
{
    if (!isRecording() || chunk.bytes.isEmpty())
        return;
    const QDateTime time = chunk.time.isValid() ? chunk.time : QDateTime::currentDateTime();
    m_file.append(sessionlog::chunkLine(time, direction, chunk.endpoint, chunk.bytes, m_decode(chunk.bytes)));
}

void SessionRecorder::comment(const QString &text)
{
    if (isRecording())
        m_file.append(sessionlog::commentLine(QDateTime::currentDateTime(), text));
}

void SessionRecorder::fileFailed(const QString &reason)
{
    m_failureReported = true;
    m_tick.stop();
    emit recordingChanged(false);
    emit statusChanged();
    emit failed(m_file.path(), reason);
}

} // namespace kivo
