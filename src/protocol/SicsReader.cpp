#include "protocol/SicsReader.h"

#include "protocol/WeightValue.h"

namespace kivo {

ProtocolFrame SicsReader::read(const QByteArray &line)
{
    ProtocolFrame f;
    const QString text = QString::fromLatin1(line).trimmed();
    // "S", blanks, the status letter, then the weight and unit.
    if (text.size() < 3 || text.at(0) != u'S' || text.at(1) != u' ')
        return f;
    const QString rest = text.mid(2).trimmed();
    const QChar kind = rest.at(0);
    if (rest.size() == 1 && (kind == u'+' || kind == u'-')) {
        f.valid = true;
        f.overload = true;
        f.weightText = overloadText(kind == u'-');
        f.status = statusText(false, true);
        return f;
    }
    if ((kind != u'S' && kind != u'D') || rest.size() < 3 || rest.at(1) != u' ')
        return f;
    QString weight = rest.mid(2).trimmed();
    const qsizetype blank = weight.lastIndexOf(u' ');
    if (blank >= 0 && !weightValue(weight.mid(blank + 1))) {
        f.unit = unitName(weight.mid(blank + 1));
        weight.truncate(blank);
    }
    f.weight = weightValue(weight);
    if (!f.weight)
        return {};
    f.valid = true;
    f.weightText = displayWeight(weight);
    f.stable = kind == u'S';
    f.status = statusText(f.stable, false);
    return f;
}

qint64 SicsReader::feed(const QByteArray &bytes, const std::function<void(const ProtocolFrame &)> &onFrame)
{
    qint64 dropped = 0;
    for (const char byte : bytes) {
        if (byte != '\n') {
            dropped += m_line.append(byte);
            continue;
        }
        QByteArray line = m_line.bytes();
        m_line.clear();
        const qint64 length = line.size() + 1;
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.trimmed().isEmpty()) {
            dropped += length; // a blank line is no reply
            continue;
        }
        const ProtocolFrame f = read(line);
        if (!f.valid)
            dropped += length;
        if (onFrame)
            onFrame(f);
    }
    return dropped;
}

void SicsReader::reset()
{
    m_line.clear();
}

} // namespace kivo
