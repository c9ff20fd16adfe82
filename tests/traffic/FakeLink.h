#pragma once

#include "link/Link.h"

#include <utility>

namespace kivotest {

// A link fed by hand: bytes put in wait until the pipeline reads them, like a port's input buffer.
class FakeLink : public kivo::Link
{
public:
    using kivo::Link::Link;

    [[nodiscard]] bool isReady() const override { return true; }
    bool write(const QByteArray &bytes, QString *) override
    {
        written += bytes;
        return true;
    }
    [[nodiscard]] qint64 bytesAvailable() const override { return waiting.size(); }
    QByteArray readAll() override
    {
        ++reads;
        return std::exchange(waiting, {});
    }
    void discardInput() override
    {
        waiting.clear();
        ++discards;
    }

    // Bytes arrive: they wait, and readyRead is raised.
    void arrive(const QByteArray &bytes)
    {
        waiting += bytes;
        emit readyRead();
    }

    QByteArray waiting;
    QByteArray written;
    int reads = 0;
    int discards = 0;
};

} // namespace kivotest
