#include "link/PortNames.h"

#include <algorithm>
#include <climits>

namespace kivo::PortNames {

namespace {

// Compares two runs of decimal digits by value, ignoring leading zeros; equal values with more
// leading zeros sort later so that the order stays strict.
int compareNumbers(QStringView a, QStringView b)
{
    auto strip = [](QStringView s) {
        qsizetype i = 0;
        while (i + 1 < s.size() && s[i] == QLatin1Char('0'))
            ++i;
        return s.mid(i);
    };
    const QStringView sa = strip(a), sb = strip(b);
    if (sa.size() != sb.size())
        return sa.size() < sb.size() ? -1 : 1;
    if (const int c = sa.compare(sb); c != 0)
        return c;
    if (a.size() != b.size())
        return a.size() < b.size() ? -1 : 1;
    return 0;
}

qsizetype runEnd(QStringView s, qsizetype from)
{
    const bool digits = s[from].isDigit();
    qsizetype i = from;
    while (i < s.size() && s[i].isDigit() == digits)
        ++i;
    return i;
}

} // namespace

bool naturalLess(const QString &a, const QString &b)
{
    qsizetype i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        const qsizetype ei = runEnd(a, i), ej = runEnd(b, j);
        const QStringView ra = QStringView(a).mid(i, ei - i), rb = QStringView(b).mid(j, ej - j);
        int c = 0;
        if (ra[0].isDigit() && rb[0].isDigit())
            c = compareNumbers(ra, rb);
        else
            c = ra.compare(rb, Qt::CaseInsensitive);
        if (c != 0)
            return c < 0;
        i = ei;
        j = ej;
    }
    if ((i < a.size()) != (j < b.size()))
        return j < b.size();
    return a < b; // equal apart from letter case: keep a strict, stable order
}

QStringList sortedNaturally(QStringList names)
{
    std::sort(names.begin(), names.end(), naturalLess);
    return names;
}

std::optional<int> comNumber(const QString &name)
{
    if (name.size() < 4 || !name.startsWith(QLatin1String("COM"), Qt::CaseInsensitive))
        return std::nullopt;
    const QStringView digits = QStringView(name).mid(3);
    if (!std::all_of(digits.begin(), digits.end(), [](QChar c) { return c >= u'0' && c <= u'9'; }))
        return std::nullopt;
    bool ok = false;
    const int n = digits.toInt(&ok);
    return ok ? n : INT_MAX;
}

} // namespace kivo::PortNames
