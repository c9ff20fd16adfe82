#include "protocol/RequestText.h"

namespace kivo {

namespace {

int hexDigit(QChar c)
{
    if (c >= u'0' && c <= u'9')
        return c.unicode() - u'0';
    if (c >= u'a' && c <= u'f')
        return c.unicode() - u'a' + 10;
    if (c >= u'A' && c <= u'F')
        return c.unicode() - u'A' + 10;
    return -1;
}

std::optional<QByteArray> refuse(QString *error, const QString &reason)
{
    if (error)
        *error = reason;
    return std::nullopt;
}

} // namespace

QString requestText(const QByteArray &bytes)
{
    QString text;
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b == '\\')
            text += QStringLiteral("\\\\");
        else if (b == '\r')
            text += QStringLiteral("\\r");
        else if (b == '\n')
            text += QStringLiteral("\\n");
        else if (b == '\t')
            text += QStringLiteral("\\t");
        else if (b >= 0x20 && b < 0x7F)
            text += QChar(b);
        else
            text += QStringLiteral("\\x") + QString::number(b, 16).rightJustified(2, u'0').toUpper();
    }
    return text;
}

std::optional<QByteArray> requestBytes(const QString &text, QString *error)
{
    QByteArray bytes;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.unicode() > 0x7E || (c.unicode() < 0x20 && c != u'\t'))
            return refuse(error,
                          QStringLiteral("Character %1 is not plain ASCII: write it as \\xHH.").arg(i + 1));
        if (c != u'\\') {
            bytes.append(char(c.unicode()));
            continue;
        }
        if (++i >= text.size())
            return refuse(error, QStringLiteral("The text ends with a lone \\."));
        switch (text.at(i).unicode()) {
        case u'r':
            bytes.append('\r');
            break;
        case u'n':
            bytes.append('\n');
            break;
        case u't':
            bytes.append('\t');
            break;
        case u'\\':
            bytes.append('\\');
            break;
        case u'x': {
            const int hi = i + 1 < text.size() ? hexDigit(text.at(i + 1)) : -1;
            const int lo = i + 2 < text.size() ? hexDigit(text.at(i + 2)) : -1;
            if (hi < 0 || lo < 0)
                return refuse(error, QStringLiteral("\\x at character %1 needs two hex digits.").arg(i));
            bytes.append(char(hi * 16 + lo));
            i += 2;
            break;
        }
        default:
            return refuse(error,
                          QStringLiteral("Unknown escape \\%1 at character %2.").arg(text.at(i)).arg(i));
        }
    }
    return bytes;
}

} // namespace kivo
