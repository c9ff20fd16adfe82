#include "protocol/ReaderText.h"

#include "protocol/WeightValue.h"

namespace kivo {

QString unitName(const QString &sent)
{
    const QString unit = sent.trimmed();
    const QString lower = unit.toLower();
    for (const char *known : {"g", "kg", "lb", "t", "oz"}) {
        if (lower == QLatin1String(known))
            return lower;
    }
    return unit;
}

QString displayWeight(const QString &field)
{
    const std::optional<double> value = weightValue(field);
    if (!value)
        return {};
    QString digits;
    bool negative = false;
    for (const QChar c : field) {
        if (c == u'-')
            negative = true;
        else if (c.isDigit() || c == u'.')
            digits.append(c);
    }
    qsizetype lead = 0;
    while (lead + 1 < digits.size() && digits.at(lead) == u'0' && digits.at(lead + 1) != u'.')
        ++lead;
    digits.remove(0, lead);
    if (digits.startsWith(u'.'))
        digits.prepend(u'0');
    return negative && *value != 0 ? u'-' + digits : digits;
}

QString overloadText(bool under)
{
    return under ? QStringLiteral("-OL") : QStringLiteral("OL");
}

QString statusText(bool stable, bool overload)
{
    if (overload)
        return QStringLiteral("OL");
    return stable ? QStringLiteral("ST") : QStringLiteral("US");
}

} // namespace kivo
