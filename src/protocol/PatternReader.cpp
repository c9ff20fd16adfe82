#include "protocol/PatternReader.h"

#include "protocol/WeightValue.h"

namespace kivo {

namespace {

constexpr char STX = 2;
constexpr char ETX = 3;
constexpr char LF = 10;
constexpr char CR = 13;

bool flag(const QRegularExpressionMatch &match, const QString &group, const QStringList &trueValues)
{
    const QString value = match.captured(group);
    if (match.capturedStart(group) < 0)
        return false;
    return trueValues.isEmpty() ? !value.isEmpty() : trueValues.contains(value);
}

} // namespace

QString PatternLayout::problem() const
{
    if (expression.isEmpty())
        return QStringLiteral("The expression is empty.");
    const QRegularExpression re(expression);
    if (!re.isValid())
        return QStringLiteral("The expression is not valid: %1 (at character %2).")
            .arg(re.errorString())
            .arg(re.patternErrorOffset() + 1);
    if (!re.namedCaptureGroups().contains(QStringLiteral("weight")))
        return QStringLiteral("The expression has no group named \"weight\": write (?<weight>...).");
    if (end == End::Length && (length < 1 || length > PatternReader::kLongestFrame))
        return QStringLiteral("A fixed frame length must be 1 to %1 bytes.")
            .arg(PatternReader::kLongestFrame);
    return {};
}

PatternReader::PatternReader(const PatternLayout &layout) : m_layout(layout), m_expression(layout.expression)
{
    m_expression.optimize();
}

int PatternReader::endLength() const
{
    const qsizetype n = m_collected.size();
    const char last = m_collected.back();
    switch (m_layout.end) {
    case PatternLayout::End::CR:
        return last == CR ? 1 : 0;
    case PatternLayout::End::LF:
        return last == LF ? 1 : 0;
    case PatternLayout::End::CRLF:
        return n >= 2 && last == LF && m_collected.at(n - 2) == CR ? 2 : 0;
    case PatternLayout::End::ETX:
        return last == ETX ? 1 : 0;
    case PatternLayout::End::Length:
        return n == m_layout.length ? -1 : 0;
    }
    return 0;
}

ProtocolFrame PatternReader::read(const QByteArray &frame) const
{
    ProtocolFrame f;
    const QRegularExpressionMatch match = m_expression.match(QString::fromLatin1(frame));
    if (!match.hasMatch())
        return f;
    f.weightText = match.captured(QStringLiteral("weight")).trimmed();
    if (f.weightText.isEmpty())
        return f;
    f.valid = true;
    f.weight = weightValue(f.weightText);
    f.unit = match.captured(QStringLiteral("unit")).trimmed();
    f.overload = flag(match, QStringLiteral("overload"), m_layout.overloadTrue);
    // As for every layout, a weight over the range is not stable.
    f.stable = !f.overload && flag(match, QStringLiteral("stable"), m_layout.stableTrue);
    f.status = f.overload ? QStringLiteral("OL") : f.stable ? QStringLiteral("ST") : QStringLiteral("US");
    return f;
}

qint64 PatternReader::feed(const QByteArray &bytes, const std::function<void(const ProtocolFrame &)> &onFrame)
{
    qint64 dropped = 0;
    for (const char byte : bytes) {
        m_collected.append(byte);
        const int end = endLength();
        if (end == 0) {
            if (m_collected.size() >= kLongestFrame) {
                dropped += m_collected.size();
                m_collected.resize(0);
            }
            continue;
        }
        // A fixed length keeps every byte; the other ends are left out of the text matched, and so
        // are line breaks and STX left over in front of it from the frame before.
        QByteArray frame = end < 0 ? m_collected : m_collected.left(m_collected.size() - end);
        qsizetype lead = 0;
        if (end > 0) {
            while (lead < frame.size() &&
                   (frame.at(lead) == CR || frame.at(lead) == LF || frame.at(lead) == STX))
                ++lead;
        }
        frame.remove(0, lead);
        m_collected.resize(0);
        if (frame.isEmpty()) {
            dropped += lead + end;
            continue;
        }
        const ProtocolFrame f = read(frame);
        if (!f.valid)
            dropped += frame.size() + lead + qMax(end, 0);
        m_lastFrame = std::move(frame);
        if (onFrame)
            onFrame(f);
    }
    return dropped;
}

void PatternReader::reset()
{
    m_collected.resize(0);
}

} // namespace kivo
