#include "protocol/WeightValue.h"

namespace kivo {

std::optional<double> weightValue(const QString &text)
{
    QString compact;
    compact.reserve(text.size());
    for (const QChar c : text) {
        if (c != u' ')
            compact.append(c);
    }
    qsizetype i = 0;
    if (i < compact.size() && (compact[i] == u'+' || compact[i] == u'-'))
        ++i;
    int digits = 0;
    int points = 0;
    for (; i < compact.size(); ++i) {
        const QChar c = compact[i];
        if (c >= u'0' && c <= u'9')
            ++digits;
        else if (c == u'.' && ++points == 1)
            continue;
        else
            return std::nullopt;
    }
    if (digits == 0)
        return std::nullopt;
    bool ok = false;
    const double value = compact.toDouble(&ok);
    return ok ? std::optional<double>(value) : std::nullopt;
}

} // namespace kivo
