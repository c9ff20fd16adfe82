#include "traffic/ViewSearch.h"

#include <QRegularExpression>

namespace kivo::viewsearch {

namespace {

// Where the stream's characters sit in the document.
struct Segment
{
    int streamStart = 0;
    int docStart = 0;
    int length = 0;
};

struct Stream
{
    QString text;
    std::vector<Segment> segments;

    // A break that no match may cross.
    void cut()
    {
        if (!text.isEmpty() && !text.endsWith(u'\n'))
            text += u'\n';
    }
    void add(int docStart, QStringView body)
    {
        if (body.isEmpty())
            return;
        segments.push_back({int(text.size()), docStart, int(body.size())});
        text += body;
    }
};

Stream lineStream(const QString &plainText)
{
    static const QRegularExpression prefix(
        QStringLiteral("(?:\\d\\d:\\d\\d:\\d\\d\\.\\d\\d\\d )?(RECV|SEND) : "));
    static const QString marks[] = {QStringLiteral("[CRLF]"), QStringLiteral("[CR]"), QStringLiteral("[LF]")};
    Stream stream;
    QString lastDirection;
    bool lastClosed = true;
    int lineStart = 0;
    while (lineStart <= plainText.size()) {
        int lineEnd = int(plainText.indexOf(u'\n', lineStart));
        if (lineEnd < 0)
            lineEnd = int(plainText.size());
        QStringView line = QStringView(plainText).sliced(lineStart, lineEnd - lineStart);
        int bodyStart = lineStart;
        const QRegularExpressionMatch m = prefix.match(plainText, lineStart, QRegularExpression::NormalMatch,
                                                       QRegularExpression::AnchorAtOffsetMatchOption);
        if (m.hasMatch()) {
            const QString direction = m.captured(1);
            if (lastClosed || direction != lastDirection)
                stream.cut();
            lastDirection = direction;
            bodyStart += int(m.capturedLength());
            line = line.sliced(m.capturedLength());
        } else {
            stream.cut(); // the line follows a line break inside a line
        }
        lastClosed = false;
        for (const QString &mark : marks) {
            if (line.endsWith(mark)) {
                line.chop(mark.size());
                lastClosed = true;
                break;
            }
        }
        stream.add(bodyStart, line);
        lineStart = lineEnd + 1;
    }
    return stream;
}

Match toMatch(const Stream &stream, int from, int length)
{
    Match match;
    const int to = from + length;
    for (const Segment &s : stream.segments) {
        const int a = std::max(from, s.streamStart);
        const int b = std::min(to, s.streamStart + s.length);
        if (a < b)
            match.pieces.push_back({s.docStart + (a - s.streamStart), b - a});
    }
    return match;
}

bool isHexDigit(QChar c)
{
    return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F') || (c >= u'a' && c <= u'f');
}

} // namespace

QString hexQuery(const QString &query)
{
    QString digits;
    for (const QChar c : query) {
        if (c.isSpace())
            continue;
        if (!isHexDigit(c))
            return {};
        digits += c.toUpper();
    }
    if (digits.isEmpty() || digits.size() % 2 != 0)
        return {};
    QString spaced;
    for (qsizetype i = 0; i < digits.size(); i += 2) {
        if (i > 0)
            spaced += u' ';
        spaced += digits.sliced(i, 2);
    }
    return spaced;
}

std::vector<Match> findAll(const QString &plainText, Kind kind, const QString &query)
{
    std::vector<Match> matches;
    QString needle = kind == Kind::Hex ? hexQuery(query) : query;
    if (needle.isEmpty())
        return matches;

    Stream stream;
    if (kind == Kind::Terminal)
        stream.add(0, plainText);
    else
        stream = lineStream(plainText);

    qsizetype at = 0;
    while ((at = stream.text.indexOf(needle, at, Qt::CaseInsensitive)) >= 0) {
        // A hex match starts at the first digit of a pair.
        if (kind == Kind::Hex && at > 0 && stream.text[at - 1] != u' ' && stream.text[at - 1] != u'\n') {
            ++at;
            continue;
        }
        matches.push_back(toMatch(stream, int(at), int(needle.size())));
        at += needle.size();
    }
    return matches;
}

} // namespace kivo::viewsearch
