#pragma once

#include "SimLink.h"

#include <QTcpSocket>

namespace kivosim {

// One client connected to the simulator's TCP listener.
class TcpClientLink : public SimLink
{
    Q_OBJECT
public:
    // Bytes that may wait in the socket's own buffer before the link counts as full.
    static constexpr qint64 roomLimit = 4096;

    // Takes ownership of the connected socket.
    explicit TcpClientLink(QTcpSocket *socket, QObject *parent = nullptr);

    [[nodiscard]] QString name() const override { return m_name; }
    [[nodiscard]] bool hasRoom() const override;
    void send(const QByteArray &bytes) override;
    [[nodiscard]] qint64 backlog() const override { return m_socket->bytesToWrite(); }

    void close();

private:
    QTcpSocket *m_socket;
    QString m_name;
};

} // namespace kivosim
