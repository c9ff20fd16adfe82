#include "protocol/SmaReader.h"

#include "protocol/WeightValue.h"

#include <algorithm>

namespace kivo {

namespace {

constexpr char LF = 10;
constexpr char CR = 13;
constexpr int kWeightAt = 5;
constexpr int kWeightLength = 10;
constexpr int kUnitLength = 3;

} // namespace

ProtocolFrame SmaReader::read(const QByteArray &reply)
{
    ProtocolFrame f;
    if (reply.size() <= kWeightAt + kWeightLength || reply.size() > kWeightAt + kWeightLength + kUnitLength)
        return f;
    const char status = reply.at(0);
    const char mode = reply.at(2);
    const char motion = reply.at(3);
    if (!QByteArrayView("ZOUEIT ").contains(status) || (motion != 'M' && motion != ' '))
        return f;
    if (!std::all_of(reply.begin(), reply.end(), [](char c) { return c >= 0x20 && c < 0x7F; }))
        return f;
    f.unit = unitName(QString::fromLatin1(reply.mid(kWeightAt + kWeightLength)));
    f.net = mode == 'N' || mode == 'n';
    f.overload = status == 'O' || status == 'U';
    f.stable = motion != 'M' && !f.overload; // over the range there is no weight to be stable
    f.status = statusText(f.stable, f.overload);
    if (f.overload) {
        f.valid = true;
        f.weightText = overloadText(status == 'U');
        return f;
    }
    const QString field = QString::fromLatin1(reply.mid(kWeightAt, kWeightLength));
    f.weight = weightValue(field);
    if (!f.weight)
        return {};
    f.valid = true;
    f.weightText = displayWeight(field);
    return f;
}

qint64 SmaReader::feed(const QByteArray &bytes, const std::function<void(const ProtocolFrame &)> &onFrame)
{
    qint64 dropped = 0;
    for (const char raw : bytes) {
        const char byte = char(raw & 0x7F); // 7-bit ASCII: a parity bit read as data is left out
        if (byte == LF) {
            dropped += m_collected.bytes().size(); // a reply begins: what came before is junk
            m_collected.clear();
        }
        dropped += m_collected.append(byte);
        if (byte != CR)
            continue;
        const QByteArray collected = m_collected.bytes();
        m_collected.clear();
        if (!collected.startsWith(LF)) {
            dropped += collected.size();
            continue;
        }
        const ProtocolFrame f = read(collected.mid(1, collected.size() - 2));
        if (!f.valid)
            dropped += collected.size();
        if (onFrame)
            onFrame(f);
    }
    return dropped;
}

void SmaReader::reset()
{
    m_collected.clear();
}

} // namespace kivo
