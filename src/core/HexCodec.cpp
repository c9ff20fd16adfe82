#include "core/HexCodec.h"

namespace kivo {

namespace {

constexpr QChar kBlank = u' ';

int hexDigitValue(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    return -1;
}

// A pair read from its leading hex digits: "4Z" is 4, "Z4" is 0.
uint8_t pairValue(QStringView pair)
{
    int value = 0;
    for (const QChar c : pair) {
        const int digit = hexDigitValue(c);
        if (digit < 0)
            break;
        value = value * 16 + digit;
    }
    return static_cast<uint8_t>(value);
}

} // namespace

QString withoutBlanks(QStringView text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        if (c != kBlank)
            out.append(c);
    }
    return out;
}

QString trimBlanks(QStringView text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text[first] == kBlank)
        ++first;
    while (last > first && text[last - 1] == kBlank)
        --last;
    return text.mid(first, last - first).toString();
}

QString AscToHex(const QString &text, const CodePage &codePage)
{
    return QString::fromLatin1(codePage.encode(text).toHex().toUpper());
}

QByteArray HexToBytes(QStringView hex)
{
    const QString digits = withoutBlanks(hex);
    QByteArray bytes;
    bytes.reserve((digits.size() + 1) / 2);
    for (qsizetype i = 0; i < digits.size(); i += 2)
        bytes.append(static_cast<char>(pairValue(QStringView(digits).mid(i, 2))));
    return bytes;
}

QString HexToSpaced(QStringView hex)
{
    const QString digits = withoutBlanks(hex);
    QString out;
    out.reserve(digits.size() + digits.size() / 2 + 1);
    for (qsizetype i = 0; i < digits.size(); i += 2) {
        out.append(QStringView(digits).mid(i, 2));
        out.append(kBlank);
    }
    return out;
}

uint8_t xorOfHexBytes(QStringView hex)
{
    uint8_t x = 0;
    for (const char b : HexToBytes(hex))
        x ^= static_cast<uint8_t>(b);
    return x;
}

} // namespace kivo
