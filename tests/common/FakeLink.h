#pragma once

// A link whose far end the test plays: it queues bytes and raises readyRead as a port would, and
// takes every write.

#include "link/Link.h"

#include <utility>

class FakeLink : public kivo::Link
{
public:
    explicit FakeLink(QString endpoint = QStringLiteral("fake:1")) : m_endpoint(std::move(endpoint)) {}

    [[nodiscard]] bool isReady() const override { return true; }
    bool write(const QByteArray &, QString *) override { return true; }
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

private:
    QString m_endpoint;
    QByteArray m_input;
};
