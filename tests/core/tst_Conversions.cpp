#include "KivoTest.h"

#include "core/Conversions.h"

#include <optional>

namespace {
// A conversion's result as text, numbers exactly: "-" when the text does not convert.
template <typename T> QString shown(std::optional<T> value)
{
    if (!value)
        return u"-"_s;
    if constexpr (std::is_same_v<T, bool>)
        return *value ? u"true"_s : u"false"_s;
    else
        return QString::number(double(*value), 'g', QLocale::FloatingPointShortest);
}
} // namespace

class tst_Conversions : public QObject
{
    Q_OBJECT

private slots:
    // Each text through every conversion, as "Val toInt16 leadingInt16 toBool toFloat32": the leading
    // number reads like BASIC's Val; 16-bit values round half to even and refuse overflow; Booleans
    // take words or numbers; the float refuses what it cannot hold. "-": does not convert, so the
    // setting keeps its value.
    void settingValuesConvertOrAreRefused_data()
    {
        kivotest::DataTable<QString, QString> add("text", "results");
        const auto row = [&add](const char *text, const char *results) {
            add(*text ? text : "empty", text, results);
        };
        row("1abc", "1 - 1 - -");
        row("", "0 - 0 - -");
        row(" -2.5e1x", "-25 - -25 - -");
        row("3D2", "300 300 300 true 300");
        row("7e+", "7 - 7 - -");
        row(".5", "0.5 0 0 true 0.5");
        row("\t+12", "12 12 12 true 12");
        row("-", "0 - 0 - -");
        row("1.2.3", "1.2 - 1 - -");
        row("-1", "-1 -1 -1 true -1");
        row("  2  ", "2 2 2 true 2");
        row("2.5", "2.5 2 2 true 2.5");
        row("3.5", "3.5 4 4 true 3.5");
        row("-0.5", "-0.5 0 0 true -0.5");
        row("0", "0 0 0 false 0");
        row("32767", "32767 32767 32767 true 32767");
        row("-32768", "-32768 -32768 -32768 true -32768");
        row("32767.5", "32767.5 - - true 32767.5");
        row("-32769", "-32769 - - true -32769");
        row("1e999", "inf - - true -");
        row("1e39", "1e+39 - - true -");
        // The largest float as nine digits write it reads back; half a step beyond it does not.
        row("3.40282347e+38", "3.40282347e+38 - - true 3.4028234663852886e+38");
        row("-3.40282347e+38", "-3.40282347e+38 - - true -3.4028234663852886e+38");
        row("3.4028236e38", "3.4028236e+38 - - true -");
        row("2955.5", "2955.5 2956 2956 true 2955.5");
        row("True", "0 - 0 true -");
        row(" fALSE ", "0 - 0 false -");
        row("yes", "0 - 0 - -");
    }
    void settingValuesConvertOrAreRefused()
    {
        QFETCH(QString, text);
        const QStringList got{shown(std::optional(kivo::leadingNumber(text))), shown(kivo::toInt16(text)),
                              shown(kivo::leadingInt16(text)), shown(kivo::toBool(text)),
                              shown(kivo::toFloat32(text))};
        QTEST(got.join(u' '), "results");
    }
};

KIVO_TEST_MAIN(tst_Conversions)
#include "tst_Conversions.moc"
