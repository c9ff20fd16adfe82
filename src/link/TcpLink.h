#pragma once

#include "link/Link.h"

#include <QTcpSocket>

namespace kivo {

// The TCP client link. Its state() reports the ten socket states the state label names; unlike
// QTcpSocket, which falls back to unconnected at once, a failed or dropped connection reads
// Error until the next close or connect, so the label can show the failure. Failures are
// reported only through that state: this link never emits failed().
class TcpLink : public Link
{
    Q_OBJECT
public:
    enum State {
        Closed = 0,
        Open = 1,
        Listening = 2,
        ConnectionPending = 3,
        ResolvingHost = 4,
        HostResolved = 5,
        Connecting = 6,
        Connected = 7,
        Closing = 8,
        Error = 9
    };

    // The most received bytes the socket holds for the program to read.
    static constexpr qint64 kReadBufferBytes = 64 * 1024;

    explicit TcpLink(QObject *parent = nullptr);
    ~TcpLink() override;

    // Closes the socket whatever its state, then starts connecting to host and port; the connection
    // completes in the background. A port text that is not a whole number from 1 to 65535 (empty
    // included) makes no attempt and leaves the state at Error.
    void connectTo(const QString &host, const QString &portText);
    // Closes the socket at once (pending output is dropped) and clears a reported Error.
    void close();

    [[nodiscard]] int state() const;
    // The state label's name of a state value; empty outside 0 to 9.
    [[nodiscard]] static QString stateName(int state);
    // The port number a port text names, or 0 when it names none.
    [[nodiscard]] static quint16 portNumber(const QString &portText);

    [[nodiscard]] bool isReady() const override;
    bool write(const QByteArray &bytes, QString *error) override;
    [[nodiscard]] qint64 bytesAvailable() const override;
    QByteArray readAll() override;
    void discardInput() override;
    [[nodiscard]] QString endpoint() const override;

signals:
    // state() has a new value.
    void stateChanged(int state);

private:
    void reportState();

    QTcpSocket m_socket;
    bool m_error = false;
    bool m_closing = false; // a disconnect seen now is the program's own close
    QString m_host;
    quint16 m_port = 0;
    int m_reported = Closed;
};

} // namespace kivo
