#include "traffic/LineFormat.h"

#include <algorithm>

namespace kivo::lineformat {

bool textDue(const QString &buffer)
{
    return buffer.size() >= kLineChars || buffer.endsWith(kCrLf);
}

bool hexDue(const QString &buffer)
{
    return buffer.size() >= kHexLineChars || buffer.endsWith(kHexCrLf);
}

void appendHex(QString &buffer, const QByteArray &bytes)
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    const qsizetype start = buffer.size();
    buffer.resize(start + bytes.size() * 3);
    QChar *out = buffer.data() + start;
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        *out++ = QLatin1Char(kDigits[b >> 4]);
        *out++ = QLatin1Char(kDigits[b & 0x0F]);
        *out++ = QLatin1Char(' ');
    }
}

QString endMarkText(EndMark mark)
{
    switch (mark) {
    case EndMark::CrLf:
        return QStringLiteral("[CRLF]");
    case EndMark::Cr:
        return QStringLiteral("[CR]");
    case EndMark::Lf:
        return QStringLiteral("[LF]");
    case EndMark::None:
        break;
    }
    return {};
}

Line buildLine(const QString &buffer)
{
    Line line;
    qsizetype end = buffer.size();
    if (buffer.endsWith(kCrLf)) {
        line.mark = EndMark::CrLf;
        end -= 2;
    } else if (buffer.endsWith(QLatin1Char('\r'))) {
        line.mark = EndMark::Cr;
        end -= 1;
    } else if (buffer.endsWith(QLatin1Char('\n'))) {
        line.mark = EndMark::Lf;
        end -= 1;
    }

    line.body.resize(end);
    const QChar *in = buffer.constData();
    QChar *out = line.body.data();
    qsizetype n = 0;
    for (qsizetype i = 0; i < end; ++i) {
        const char16_t u = in[i].unicode();
        if (u >= 32 && u <= 127) {
            out[n++] = in[i];
        } else if (u == u'\r') {
            if (i + 1 < end && in[i + 1] == QLatin1Char('\n'))
                ++i;
            out[n++] = QLatin1Char('\n');
        } else if (u == u'\n') {
            out[n++] = QLatin1Char('\n');
        } else {
            if (QChar::isHighSurrogate(u) && i + 1 < end && in[i + 1].isLowSurrogate())
                ++i;
            out[n++] = QLatin1Char('?');
        }
    }
    line.body.truncate(n);
    return line;
}

QString terminalText(const QString &text, bool &pendingCr)
{
    QString out;
    out.reserve(text.size());
    const QChar *in = text.constData();
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t u = in[i].unicode();
        if (u == u'\n') {
            if (!pendingCr)
                out += QLatin1Char('\n');
            pendingCr = false;
        } else if (u == u'\r') {
            out += QLatin1Char('\n');
            pendingCr = true;
        } else {
            out += in[i];
            pendingCr = false;
        }
    }
    return out;
}

qsizetype charsToDrop(qsizetype length)
{
    if (length <= kViewLimit)
        return 0;
    // Lines longer than the 8999 characters a cut-back drops (a large chunk read at once makes
    // one line) would otherwise let the view grow with every line.
    return std::max(kKeepFrom, length - kViewLimit);
}

} // namespace kivo::lineformat
