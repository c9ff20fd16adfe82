#include "core/Conversions.h"

#include <QLocale>

#include <cmath>
#include <limits>

namespace kivo {

namespace {

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\v' || c == u'\f';
}

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// A number at the start of a text: blanks, sign, digits, point, digits, and an exponent (E or D,
// as old BASIC programs write them) when digits follow it.
struct ScannedNumber
{
    double value = 0;
    qsizetype end = 0; // index just past the number (or past the leading blanks when none)
    bool hasDigits = false;
};

ScannedNumber scanNumber(QStringView text)
{
    ScannedNumber result;
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && isBlank(text[i]))
        ++i;
    result.end = i;

    QByteArray number;
    if (i < n && (text[i] == u'+' || text[i] == u'-'))
        number += char(text[i++].unicode());
    qsizetype digits = 0;
    while (i < n && isDigit(text[i])) {
        number += char(text[i++].unicode());
        ++digits;
    }
    if (i < n && text[i] == u'.') {
        number += '.';
        ++i;
        while (i < n && isDigit(text[i])) {
            number += char(text[i++].unicode());
            ++digits;
        }
    }
    if (digits == 0)
        return result;

    result.hasDigits = true;
    result.end = i;
    if (i < n && (text[i] == u'e' || text[i] == u'E' || text[i] == u'd' || text[i] == u'D')) {
        qsizetype j = i + 1;
        QByteArray exponent("e");
        if (j < n && (text[j] == u'+' || text[j] == u'-'))
            exponent += char(text[j++].unicode());
        const qsizetype firstDigit = j;
        while (j < n && isDigit(text[j]))
            exponent += char(text[j++].unicode());
        if (j > firstDigit) {
            number += exponent;
            result.end = j;
        }
    }
    // The C locale reads the point whatever the user's locale; on overflow it gives an infinity
    // (and 0 on underflow), which is the value wanted here.
    result.value = QLocale::c().toDouble(QLatin1StringView(number));
    return result;
}

// The whole text (blanks around it allowed) as a number.
std::optional<double> wholeNumber(QStringView text)
{
    const ScannedNumber scanned = scanNumber(text);
    if (!scanned.hasDigits)
        return std::nullopt;
    for (qsizetype i = scanned.end; i < text.size(); ++i) {
        if (!isBlank(text[i]))
            return std::nullopt;
    }
    return scanned.value;
}

// Rounds half to even (the default floating-point rounding mode) and checks the 16-bit range.
std::optional<int16_t> roundToInt16(double value)
{
    if (!std::isfinite(value))
        return std::nullopt;
    const double rounded = std::nearbyint(value);
    if (rounded < std::numeric_limits<int16_t>::min() || rounded > std::numeric_limits<int16_t>::max())
        return std::nullopt;
    return static_cast<int16_t>(rounded);
}

} // namespace

double leadingNumber(const QString &text)
{
    return scanNumber(text).value;
}

std::optional<int16_t> toInt16(const QString &text)
{
    const std::optional<double> value = wholeNumber(text);
    if (!value)
        return std::nullopt;
    return roundToInt16(*value);
}

std::optional<int16_t> leadingInt16(const QString &text)
{
    return roundToInt16(leadingNumber(text));
}

std::optional<bool> toBool(const QString &text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.compare(u"True", Qt::CaseInsensitive) == 0)
        return true;
    if (trimmed.compare(u"False", Qt::CaseInsensitive) == 0)
        return false;
    const std::optional<double> value = wholeNumber(text);
    if (!value)
        return std::nullopt;
    return *value != 0;
}

std::optional<float> toFloat32(const QString &text)
{
    const std::optional<double> value = wholeNumber(text);
    if (!value || !std::isfinite(*value))
        return std::nullopt;
    // Up to half a unit in the last place above the largest float still rounds to it (that is how
    // the largest float is written with nine digits); beyond that the value does not fit.
    constexpr double floatMax = std::numeric_limits<float>::max();
    if (std::fabs(*value) > floatMax) {
        if (std::fabs(*value) >= floatMax + 0x1p103)
            return std::nullopt;
        return *value > 0 ? std::numeric_limits<float>::max() : -std::numeric_limits<float>::max();
    }
    return static_cast<float>(*value);
}

} // namespace kivo
