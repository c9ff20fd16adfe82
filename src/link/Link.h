#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QObject>
#include <QString>

namespace kivo {

// One communication link to the indicator (serial port or TCP client). The receive pipeline and
// SendData know only this interface, so either link can be fed or observed in tests.
class Link : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    // True when a write can be taken now: the port is open, or the socket is connected. A socket
    // that is still connecting would buffer the bytes and lose them if the connection failed.
    [[nodiscard]] virtual bool isReady() const = 0;

    // Hands all bytes to the link. On refusal returns false and sets *error to a message of our
    // own that names the cause (Qt's own error text is often just "Unknown error").
    virtual bool write(const QByteArray &bytes, QString *error) = 0;

    // Bytes waiting to be read, and reading all of them at once.
    [[nodiscard]] virtual qint64 bytesAvailable() const = 0;
    virtual QByteArray readAll() = 0;

    // Throws away whatever input is waiting; does nothing when the link is closed.
    virtual void discardInput() = 0;

    // The link as a log names it: "serial:/dev/ttyUSB0", "tcp:HOST:PORT"; the last one opened.
    [[nodiscard]] virtual QString endpoint() const = 0;

signals:
    // New bytes are waiting. Not re-emitted for bytes that were already waiting: read everything.
    void readyRead();
    // The link died under the program (device unplugged, peer gone). It is already closed when
    // this is emitted; the description is the failure's own text.
    void failed(const QString &description);
    // The link opened (port open, socket connected), and closed again for the reason given
    // (closed by the program, the failure's own text, the peer going away).
    void opened();
    void closed(const QString &reason);
};

// Bytes that passed on a link in one direction, with the link, its endpoint at that moment and
// the time they were read or written.
struct LinkChunk
{
    Link *link = nullptr;
    QString endpoint;
    QByteArray bytes;
    QDateTime time;
};

[[nodiscard]] inline LinkChunk chunkNow(Link *link, const QByteArray &bytes)
{
    return {link, link ? link->endpoint() : QString(), bytes, QDateTime::currentDateTime()};
}

} // namespace kivo
