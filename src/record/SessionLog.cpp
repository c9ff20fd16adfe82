#include "record/SessionLog.h"

namespace kivo::sessionlog {

namespace {
const QString kTimeFormat = QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz");

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// The link is one field between blanks: a blank, tab or '%' in it (a device path may hold a blank)
// is written as %20, %09 or %25.
QByteArray linkField(const QString &link)
{
    QByteArray field = link.toUtf8();
    return field.replace("%", "%25").replace(" ", "%20").replace("\t", "%09");
}

QString linkOfField(QByteArrayView field)
{
    return QString::fromUtf8(QByteArray::fromPercentEncoding(field.toByteArray()));
}
} // namespace

QString timeText(const QDateTime &time)
{
    return time.toString(kTimeFormat);
}

QString peopleText(const QString &decoded)
{
    QString text = decoded;
    for (QChar &c : text) {
        if (c.unicode() < 32 || c.unicode() > 127)
            c = u'?';
    }
    return text;
}

QByteArray chunkLine(const QDateTime &time, Direction direction, const QString &link, const QByteArray &bytes,
                     const QString &decoded)
{
    QByteArray line = timeText(time).toLatin1();
    line += direction == Direction::Rx ? " RX " : " TX ";
    line += linkField(link);
    line += ' ';
    line += bytes.toHex(' ').toUpper();
    line += '\t';
    line += peopleText(decoded).toLatin1();
    line += '\n';
    return line;
}

QByteArray commentLine(const QDateTime &time, const QString &text)
{
    QString flat = text;
    flat.replace(u'\r', u' ').replace(u'\n', u' ');
    return "# " + timeText(time).toLatin1() + ' ' + flat.toUtf8() + '\n';
}

std::optional<Entry> parseLine(QByteArrayView line)
{
    while (!line.isEmpty() && (line.back() == '\n' || line.back() == '\r'))
        line.chop(1);
    if (line.isEmpty() || line.front() == '#')
        return std::nullopt;
    const qsizetype tab = line.indexOf('\t');
    const QByteArrayView head = tab < 0 ? line : line.first(tab);

    // time, direction, link, then the hex pairs
    const qsizetype s1 = head.indexOf(' ');
    const qsizetype s2 = s1 < 0 ? -1 : head.indexOf(' ', s1 + 1);
    const qsizetype s3 = s2 < 0 ? -1 : head.indexOf(' ', s2 + 1);
    if (s1 < 0 || s2 < 0)
        return std::nullopt;
    Entry entry;
    entry.time = QDateTime::fromString(QString::fromLatin1(head.first(s1)), kTimeFormat);
    if (!entry.time.isValid())
        return std::nullopt;
    const QByteArrayView direction = head.sliced(s1 + 1, s2 - s1 - 1);
    if (direction == "RX")
        entry.direction = Direction::Rx;
    else if (direction == "TX")
        entry.direction = Direction::Tx;
    else
        return std::nullopt;
    const qsizetype linkEnd = s3 < 0 ? head.size() : s3;
    entry.link = linkOfField(head.sliced(s2 + 1, linkEnd - s2 - 1));
    if (entry.link.isEmpty())
        return std::nullopt;

    // Pairs separated by single blanks: "0D 0A".
    const QByteArrayView hex = s3 < 0 ? QByteArrayView() : head.sliced(s3 + 1);
    if (hex.isEmpty() || hex.size() % 3 != 2)
        return std::nullopt;
    entry.bytes.reserve(hex.size() / 3 + 1);
    for (qsizetype i = 0; i < hex.size(); i += 3) {
        const int hi = hexValue(hex[i]);
        const int lo = hexValue(hex[i + 1]);
        if (hi < 0 || lo < 0 || (i + 2 < hex.size() && hex[i + 2] != ' '))
            return std::nullopt;
        entry.bytes.append(char(hi * 16 + lo));
    }
    return entry;
}

} // namespace kivo::sessionlog
