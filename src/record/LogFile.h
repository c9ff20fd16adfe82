#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QThread>
#include <QTimer>

namespace kivo {

class LogFileWorker;

// A file that text is appended to without holding up the window: appends collect in memory and
// go to a writer thread in batches (every kBatchInterval, or at once past kBatchBytes); close()
// hands over the last batch and returns once everything is on disk and the file is closed.
//
// A write that fails (disk full) or a file whose path no longer leads to it (its folder was
// removed or renamed) ends the file: it is closed, nothing more is written, and failed() is
// emitted once with the reason.
class LogFile : public QObject
{
    Q_OBJECT
public:
    static constexpr int kBatchInterval = 100; // ms
    static constexpr qsizetype kBatchBytes = 256 * 1024;

    explicit LogFile(QObject *parent = nullptr);
    ~LogFile() override;

    // Opens `path` for appending (creating it); on failure returns false with the reason.
    bool open(const QString &path, QString *error);
    void append(const QByteArray &bytes);
    // Hands over what waits, or without anything waiting makes sure the file is still there, so a
    // removed folder is noticed on a quiet line too.
    void check();
    // Writes what is left and closes the file; does nothing when not open.
    void close();

    [[nodiscard]] bool isOpen() const { return m_open; }
    [[nodiscard]] QString path() const { return m_path; }
    // What the file holds, counting appends not yet written.
    [[nodiscard]] qint64 size() const { return m_size; }

signals:
    void failed(const QString &reason);

private:
    void handOver();
    void workerFailed(const QString &reason);

    QThread m_thread;
    LogFileWorker *m_worker = nullptr;
    QTimer m_batchTimer;
    QByteArray m_batch;
    QString m_path;
    qint64 m_size = 0;
    bool m_open = false;
};

} // namespace kivo
