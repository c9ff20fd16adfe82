#include "link/TcpLink.h"

#include <algorithm>
#include <array>

namespace kivo {

TcpLink::TcpLink(QObject *parent) : Link(parent)
{
    // A bounded read buffer: once it is full the socket stops reading, the kernel's window fills
    // and TCP slows the sender down, instead of a flood piling up in this process.
    m_socket.setReadBufferSize(kReadBufferBytes);
    connect(&m_socket, &QTcpSocket::readyRead, this, &Link::readyRead);
    connect(&m_socket, &QTcpSocket::errorOccurred, this, [this](QAbstractSocket::SocketError) {
        m_error = true;
        reportState();
    });
    // Queued: a failing socket may fall back to unconnected before it reports its error, and the
    // state should go straight to Error without showing Close in between.
    connect(&m_socket, &QTcpSocket::stateChanged, this, &TcpLink::reportState, Qt::QueuedConnection);
    connect(&m_socket, &QTcpSocket::connected, this, &Link::opened);
    connect(&m_socket, &QTcpSocket::disconnected, this,
            [this] { emit closed(m_closing ? QStringLiteral("closed") : m_socket.errorString()); });
}

TcpLink::~TcpLink()
{
    m_socket.disconnect(this);
    m_socket.abort();
}

void TcpLink::connectTo(const QString &host, const QString &portText)
{
    close();
    const quint16 port = portNumber(portText);
    m_host = host;
    m_port = port;
    if (port == 0) {
        m_error = true;
        reportState();
        return;
    }
    m_socket.connectToHost(host, port);
}

void TcpLink::close()
{
    m_closing = true;
    m_socket.abort();
    m_closing = false;
    m_error = false;
    reportState();
}

void TcpLink::reportState()
{
    const int now = state();
    if (now == m_reported)
        return;
    m_reported = now;
    emit stateChanged(now);
}

QString TcpLink::endpoint() const
{
    return QStringLiteral("tcp:%1:%2").arg(m_host).arg(m_port);
}

int TcpLink::state() const
{
    if (m_error)
        return Error;
    switch (m_socket.state()) {
    case QAbstractSocket::UnconnectedState:
        return Closed;
    case QAbstractSocket::HostLookupState:
        return ResolvingHost;
    case QAbstractSocket::ConnectingState:
        return Connecting;
    case QAbstractSocket::ConnectedState:
        return Connected;
    case QAbstractSocket::BoundState:
        return Open;
    case QAbstractSocket::ListeningState:
        return Listening;
    case QAbstractSocket::ClosingState:
        return Closing;
    }
    return Closed;
}

QString TcpLink::stateName(int state)
{
    static const std::array<const char *, 10> names = {
        "Close",          "Open",          "Listening",     "Connection Pending",
        "Resolving Host", "Host Resolved", "Connecting...", "Connected",
        "Closing",        "Error"};
    if (state < 0 || state >= int(names.size()))
        return {};
    return QString::fromLatin1(names[size_t(state)]);
}

quint16 TcpLink::portNumber(const QString &portText)
{
    if (portText.isEmpty() ||
        !std::all_of(portText.begin(), portText.end(), [](QChar c) { return c >= u'0' && c <= u'9'; }))
        return 0;
    bool ok = false;
    const uint value = portText.toUInt(&ok);
    return ok && value >= 1 && value <= 65535 ? quint16(value) : 0;
}

bool TcpLink::isReady() const
{
    return m_socket.state() == QAbstractSocket::ConnectedState;
}

bool TcpLink::write(const QByteArray &bytes, QString *error)
{
    if (!isReady()) {
        if (error)
            *error = QStringLiteral("The TCP connection is not open.");
        return false;
    }
    if (m_socket.write(bytes) != bytes.size()) {
        if (error)
            *error = QStringLiteral("Sending over TCP failed: %1").arg(m_socket.errorString());
        return false;
    }
    return true;
}

qint64 TcpLink::bytesAvailable() const
{
    return m_socket.bytesAvailable();
}

QByteArray TcpLink::readAll()
{
    // One block of the size the socket holds (see SerialLink::readAll).
    return m_socket.read(m_socket.bytesAvailable());
}

void TcpLink::discardInput()
{
    m_socket.readAll();
}

} // namespace kivo
