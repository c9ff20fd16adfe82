#include "send/SendEncoding.h"

namespace kivo {

namespace {

constexpr QChar kBlank = u' ';
constexpr QChar kSTX = QChar(0x02);
constexpr QChar kETX = QChar(0x03);

int unitWidth(int16_t format)
{
    return format == 1 ? 1 : 2;
}

} // namespace

QString frameStoredString(const QString &text, int16_t mode, bool lineEnd, bool stx, QStringView lineEndChars)
{
    if (mode != 1)
        return text;
    QString framed = text;
    if (lineEnd)
        framed.append(lineEndChars);
    if (stx)
        framed = kSTX + framed + kETX;
    return framed;
}

QString sendLengthCaption(int characters, int16_t format)
{
    if (characters <= 0)
        return {};
    const int width = unitWidth(format);
    QString units = QString::number(characters / width);
    if (characters % width != 0)
        units += QStringLiteral(".5");
    return QStringLiteral("Length ") + units;
}

SendBoxChange sendBoxChanged(const QString &text, int16_t format, bool byteForm, int sentUnits, bool deletion)
{
    SendBoxChange change;
    const int n = static_cast<int>(text.size());
    const int width = unitWidth(format);
    change.sentUnits = n <= 1 ? 0 : sentUnits;
    change.lengthCaption = sendLengthCaption(n, format);

    // Only whole units count: a lone last hex digit is half of a unit not yet typed, and sending
    // the two characters before the end would pair it with the digit of the previous unit.
    const int wholeUnits = n / width;
    if (byteForm && wholeUnits > change.sentUnits) {
        change.sentUnits = wholeUnits;
        if (!deletion)
            change.unitToSend = text.mid((wholeUnits - 1) * width, width);
    }
    return change;
}

bool isDeletion(QStringView before, QStringView after)
{
    if (after.size() >= before.size())
        return false;
    qsizetype prefix = 0;
    while (prefix < after.size() && after[prefix] == before[prefix])
        ++prefix;
    const qsizetype suffix = after.size() - prefix;
    return after.right(suffix) == before.right(suffix);
}

bool sendBoxSendable(const QString &text, int16_t format)
{
    return !text.isEmpty() && !sendLengthCaption(static_cast<int>(text.size()), format).endsWith(u".5");
}

} // namespace kivo
