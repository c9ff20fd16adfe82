#pragma once

// A link whose far end the test plays: it queues bytes and raises readyRead as a port would,
// records what is written, refuses writes on demand and dies on demand.

#include "link/Link.h"

#include <utility>

class FakeLink : public kivo::Link
{
public:
    explicit FakeLink(QString endpoint = QStringLiteral("fake:1")) : m_endpoint(std::move(endpoint)) {}

    [[nodiscard]] bool isReady() const override { return m_refusal.isEmpty(); }
    bool write(const QByteArray &bytes, QString *error) override
    {
        if (!m_refusal.isEmpty() && error)
            *error = m_refusal;
        if (!m_refusal.isEmpty())
            return false;
        written += bytes;
        return true;
    }
    [[nodiscard]] qint64 bytesAvailable() const override { return m_input.size(); }
    QByteArray readAll() override { return std::exchange(m_input, {}); }
    void discardInput() override { m_input.clear(); }
    [[nodiscard]] QString endpoint() const override { return m_endpoint; }

    // The far end sends: the bytes wait behind those not yet read, and readyRead is raised.
    void deviceSends(const QByteArray &bytes)
    {
        m_input += bytes;
        emit readyRead();
    }
    // From now on every write is refused with this reason; an empty reason accepts writes again.
    void refuseWrites(const QString &reason) { m_refusal = reason; }
    // The link dies under the program.
    void die(const QString &description)
    {
        m_refusal = description;
        emit failed(description);
    }

    QByteArray written;

private:
    QString m_endpoint;
    QString m_refusal;
    QByteArray m_input;
};
