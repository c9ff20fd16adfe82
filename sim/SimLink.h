#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

namespace kivosim {

// One place the frames go to and commands come from: a pseudo-terminal or one TCP client.
// Writes never block; a link with a backlog says so through hasRoom().
class SimLink : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    [[nodiscard]] virtual QString name() const = 0;

    // True when a frame written now would go out without piling up behind earlier ones.
    [[nodiscard]] virtual bool hasRoom() const = 0;

    // Queues bytes; they are written as the link takes them.
    virtual void send(const QByteArray &bytes) = 0;

    // The far end is not keeping up with a fixed-rate stream: drop what it has not read yet, as a
    // serial receiver that overruns would. Links that cannot tell do nothing.
    virtual void dropBacklog() {}

    // Bytes queued but not yet handed to the system.
    [[nodiscard]] virtual qint64 backlog() const = 0;

signals:
    void received(const QByteArray &bytes);
    void roomAvailable();
    void closed();
};

} // namespace kivosim
