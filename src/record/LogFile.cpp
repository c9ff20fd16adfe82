#include "record/LogFile.h"

#include <QFile>
#include <QFileInfo>

namespace kivo {

// Lives in the writer thread and does the file work there.
class LogFileWorker : public QObject
{
    Q_OBJECT
public:
    explicit LogFileWorker(const QString &path) : m_file(path) {}

    bool open(QString *error)
    {
        if (m_file.open(QIODevice::WriteOnly | QIODevice::Append))
            return true;
        *error = m_file.errorString();
        return false;
    }

    void write(const QByteArray &bytes)
    {
        if (!m_file.isOpen())
            return; // already failed: the rest is dropped, the failure was reported once
        // The path must still lead to this file: an open file whose folder is removed can still be
        // written, but what is written then is lost with it.
        if (!QFileInfo::exists(m_file.fileName())) {
            fail(QStringLiteral("the file is no longer there"));
            return;
        }
        if (m_file.write(bytes) != bytes.size() || !m_file.flush())
            fail(m_file.errorString());
    }

    // Closes the file; returns the reason of a failure, empty when every write went through.
    QString close()
    {
        if (m_file.isOpen())
            m_file.close();
        return m_failure;
    }

signals:
    void failed(const QString &reason);

private:
    void fail(const QString &reason)
    {
        m_file.close();
        m_failure = reason;
        emit failed(reason);
    }

    QFile m_file;
    QString m_failure;
};

LogFile::LogFile(QObject *parent) : QObject(parent)
{
    m_thread.setObjectName(QStringLiteral("LogFile"));
    m_batchTimer.setInterval(kBatchInterval);
    m_batchTimer.setSingleShot(true);
    connect(&m_batchTimer, &QTimer::timeout, this, &LogFile::handOver);
}

LogFile::~LogFile()
{
    close();
}

bool LogFile::open(const QString &path, QString *error)
{
    close();
    auto worker = std::make_unique<LogFileWorker>(path);
    QString why;
    if (!worker->open(&why)) {
        if (error)
            *error = why;
        return false;
    }
    m_path = path;
    m_size = QFileInfo(path).size();
    m_worker = worker.release();
    m_worker->moveToThread(&m_thread);
    connect(&m_thread, &QThread::finished, m_worker, &QObject::deleteLater);
    connect(m_worker, &LogFileWorker::failed, this, &LogFile::workerFailed, Qt::QueuedConnection);
    m_thread.start();
    m_open = true;
    return true;
}

void LogFile::append(const QByteArray &bytes)
{
    if (!m_open)
        return;
    m_batch += bytes;
    m_size += bytes.size();
    if (m_batch.size() >= kBatchBytes)
        handOver();
    else if (!m_batchTimer.isActive())
        m_batchTimer.start();
}

void LogFile::handOver()
{
    m_batchTimer.stop();
    if (m_batch.isEmpty() || !m_worker)
        return;
    QMetaObject::invokeMethod(m_worker, [worker = m_worker, bytes = std::move(m_batch)] { worker->write(bytes); });
    m_batch = QByteArray();
}

void LogFile::check()
{
    if (!m_open)
        return;
    if (!m_batch.isEmpty()) {
        handOver();
        return;
    }
    QMetaObject::invokeMethod(m_worker, [worker = m_worker] { worker->write({}); });
}

void LogFile::close()
{
    if (!m_open)
        return;
    handOver();
    QString failure;
    QMetaObject::invokeMethod(
        m_worker, [worker = m_worker] { return worker->close(); }, Qt::BlockingQueuedConnection, &failure);
    m_thread.quit();
    m_thread.wait();
    m_worker = nullptr;
    m_open = false;
    // A failure of the last batches is reported here: the queued report would find the file closed.
    if (!failure.isEmpty())
        emit failed(failure);
}

void LogFile::workerFailed(const QString &reason)
{
    if (!m_open)
        return;
    Q_UNUSED(reason) // close() reports it, with the file closed
    m_batch.clear();
    close();
}

} // namespace kivo

#include "LogFile.moc"
