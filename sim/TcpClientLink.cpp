#include "TcpClientLink.h"

#include <QHostAddress>

namespace kivosim {

TcpClientLink::TcpClientLink(QTcpSocket *socket, QObject *parent)
    : SimLink(parent), m_socket(socket),
      m_name(QStringLiteral("tcp %1:%2").arg(socket->peerAddress().toString()).arg(socket->peerPort()))
{
    m_socket->setParent(this);
    connect(m_socket, &QTcpSocket::readyRead, this, [this] { emit received(m_socket->readAll()); });
    connect(m_socket, &QTcpSocket::bytesWritten, this, [this] {
        if (hasRoom())
            emit roomAvailable();
    });
    connect(m_socket, &QTcpSocket::disconnected, this, &SimLink::closed);
}

bool TcpClientLink::hasRoom() const
{
    return m_socket->state() == QAbstractSocket::ConnectedState && m_socket->bytesToWrite() < roomLimit;
}

void TcpClientLink::send(const QByteArray &bytes)
{
    if (m_socket->state() == QAbstractSocket::ConnectedState)
        m_socket->write(bytes);
}

void TcpClientLink::close()
{
    m_socket->disconnectFromHost();
}

} // namespace kivosim
