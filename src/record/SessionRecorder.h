#pragma once

#include "link/Link.h"
#include "record/LogFile.h"
#include "record/SessionLog.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>

namespace kivo {

// Records a session into a log file: every chunk received and sent on any link, in the order the
// program saw them, and the links' open and close events as comments. It plugs into the receive
// and send seams and into the links' own signals, and touches nothing else.
class SessionRecorder : public QObject
{
    Q_OBJECT
public:
    explicit SessionRecorder(QObject *parent = nullptr);
    ~SessionRecorder() override;

    // The links whose open and close events go into the log.
    void watchLink(Link *link);

    // Starts recording into `path` (appending when it exists); stops a recording first. On
    // failure returns false with the reason.
    bool start(const QString &path, QString *error);
    // Writes everything and closes the file, with an end comment; `why` is said in it.
    void stop(const QString &why = QString());

    [[nodiscard]] bool isRecording() const { return m_file.isOpen(); }
    [[nodiscard]] QString path() const { return m_file.path(); }
    [[nodiscard]] qint64 size() const { return m_file.size(); }

    // The receive and send seams.
    void recordReceived(const LinkChunk &chunk);
    void recordSent(const LinkChunk &chunk);

    // How the text column decodes bytes; the default is Latin-1. The window sets the views' code page.
    void setDecoder(std::function<QString(const QByteArray &)> decode) { m_decode = std::move(decode); }

signals:
    // Recording started or stopped (by stop() or a failure).
    void recordingChanged(bool recording);
    // The file could not be written any more: the recording has stopped, the file is closed.
    void failed(const QString &path, const QString &reason);
    // About once a second while recording, and at start and stop: for the status bar.
    void statusChanged();

private:
    void record(sessionlog::Direction direction, const LinkChunk &chunk);
    void comment(const QString &text);
    void fileFailed(const QString &reason);

    LogFile m_file;
    QTimer m_tick;
    std::function<QString(const QByteArray &)> m_decode;
    bool m_failureReported = false;
};

} // namespace kivo
