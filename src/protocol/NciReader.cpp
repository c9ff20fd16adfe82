#include "protocol/NciReader.h"

#include "protocol/WeightValue.h"

#include <algorithm>

namespace kivo {

namespace {

constexpr char ETX = 3;
constexpr char LF = 10;
constexpr char CR = 13;

bool isStatusByte(char byte)
{
    return (byte & 0x70) == 0x30;
}

// Where the reply that ends the collection begins: its weight line's LF, found back from the ETX
// through the status line; -1 when the bytes do not have that shape.
qsizetype replyStart(const QByteArray &bytes)
{
    const qsizetype n = bytes.size();
    if (n < 2 || bytes.at(n - 2) != CR)
        return -1;
    const qsizetype statusLf = bytes.lastIndexOf(LF, n - 3);
    if (statusLf < 1 || bytes.at(statusLf - 1) != CR)
        return -1;
    return bytes.lastIndexOf(LF, statusLf - 2);
}

} // namespace

ProtocolFrame NciReader::read(const QByteArray &reply)
{
    ProtocolFrame f;
    if (replyStart(reply) != 0)
        return f;
    const qsizetype statusLf = reply.lastIndexOf(LF, reply.size() - 3);
    const QByteArray status = reply.mid(statusLf + 1, reply.size() - 3 - statusLf);
    if (status.size() < 2 || status.size() > 3 || !std::all_of(status.begin(), status.end(), isStatusByte))
        return f;
    const QString field = QString::fromLatin1(reply.mid(1, statusLf - 2)).trimmed();

    // The number, then the unit from the first letter on.
    qsizetype letter = 0;
    while (letter < field.size() && !field.at(letter).isLetter())
        ++letter;
    const QString number = field.left(letter);
    f.unit = unitName(field.mid(letter));
    const bool under = (status.at(1) & 0x01) != 0;
    f.overload = under || (status.at(1) & 0x02) != 0;
    f.stable = (status.at(0) & 0x01) == 0 && !f.overload; // over the range there is no weight to be stable
    f.net = status.size() > 2 && (status.at(2) & 0x04) != 0;
    f.status = statusText(f.stable, f.overload);
    if (f.overload) {
        f.valid = true;
        f.weightText = overloadText(under);
        return f;
    }
    f.weight = weightValue(number);
    if (!f.weight)
        return {};
    f.valid = true;
    f.weightText = displayWeight(number);
    return f;
}

qint64 NciReader::feed(const QByteArray &bytes, const std::function<void(const ProtocolFrame &)> &onFrame)
{
    qint64 dropped = 0;
    for (const char raw : bytes) {
        const char byte = char(raw & 0x7F);
        dropped += m_collected.append(byte);
        if (byte != ETX)
            continue;
        const QByteArray collected = m_collected.bytes();
        m_collected.clear();
        qsizetype start = replyStart(collected);
        if (start < 0) // no weight reply: the reply is what follows the last LF, if any
            start = std::max<qsizetype>(0, collected.lastIndexOf(LF));
        dropped += start;
        const ProtocolFrame f = read(collected.mid(start));
        if (!f.valid)
            dropped += collected.size() - start;
        if (onFrame)
            onFrame(f);
    }
    return dropped;
}

void NciReader::reset()
{
    m_collected.clear();
}

} // namespace kivo
