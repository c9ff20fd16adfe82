#include "KivoTest.h"

#include "app/Conversions.h"

#include <optional>

Q_DECLARE_METATYPE(std::optional<int16_t>)
Q_DECLARE_METATYPE(std::optional<bool>)
Q_DECLARE_METATYPE(std::optional<float>)

namespace {
constexpr std::optional<int16_t> noInt;
constexpr std::optional<bool> noBool;
constexpr std::optional<float> noFloat;
} // namespace

class TestConversions : public QObject
{
    Q_OBJECT

private slots:
    void leadingNumberReadsLikeBasicVal_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("value");
        QTest::newRow("digits then junk") << "1abc" << 1.0;
        QTest::newRow("no number") << "abc" << 0.0;
        QTest::newRow("empty") << "" << 0.0;
        QTest::newRow("blanks sign exponent") << " -2.5e1x" << -25.0;
        QTest::newRow("D exponent") << "3D2" << 300.0;
        QTest::newRow("exponent without digits") << "7e+" << 7.0;
        QTest::newRow("point first") << ".5" << 0.5;
        QTest::newRow("plus sign") << "\t+12" << 12.0;
        QTest::newRow("sign alone") << "-" << 0.0;
        QTest::newRow("second point ends") << "1.2.3" << 1.2;
    }
    void leadingNumberReadsLikeBasicVal()
    {
        QFETCH(QString, text);
        QFETCH(double, value);
        QCOMPARE(kivo::leadingNumber(text), value);
    }

    void int16ConversionsRoundHalfToEvenAndRefuseOverflow_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<std::optional<int16_t>>("whole");
        QTest::addColumn<std::optional<int16_t>>("leading");
        QTest::newRow("minus one") << "-1" << std::optional<int16_t>(-1) << std::optional<int16_t>(-1);
        QTest::newRow("blanks around") << "  2  " << std::optional<int16_t>(2) << std::optional<int16_t>(2);
        QTest::newRow("half down to even") << "2.5" << std::optional<int16_t>(2) << std::optional<int16_t>(2);
        QTest::newRow("half up to even") << "3.5" << std::optional<int16_t>(4) << std::optional<int16_t>(4);
        QTest::newRow("negative half") << "-0.5" << std::optional<int16_t>(0) << std::optional<int16_t>(0);
        QTest::newRow("empty") << "" << noInt << std::optional<int16_t>(0);
        QTest::newRow("trailing junk") << "1x" << noInt << std::optional<int16_t>(1);
        QTest::newRow("max") << "32767" << std::optional<int16_t>(32767) << std::optional<int16_t>(32767);
        QTest::newRow("min") << "-32768" << std::optional<int16_t>(-32768) << std::optional<int16_t>(-32768);
        QTest::newRow("rounds past max") << "32767.5" << noInt << noInt;
        QTest::newRow("below min") << "-32769" << noInt << noInt;
        QTest::newRow("huge exponent") << "1e999" << noInt << noInt;
        QTest::newRow("exponent") << "1.5e2" << std::optional<int16_t>(150) << std::optional<int16_t>(150);
    }
    void int16ConversionsRoundHalfToEvenAndRefuseOverflow()
    {
        QFETCH(QString, text);
        QFETCH(std::optional<int16_t>, whole);
        QFETCH(std::optional<int16_t>, leading);
        QCOMPARE(kivo::toInt16(text), whole);
        QCOMPARE(kivo::leadingInt16(text), leading);
    }

    void boolAcceptsWordsAndNumbers_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<std::optional<bool>>("value");
        QTest::newRow("True") << "True" << std::optional<bool>(true);
        QTest::newRow("false any case") << " fALSE " << std::optional<bool>(false);
        QTest::newRow("minus one") << "-1" << std::optional<bool>(true);
        QTest::newRow("zero") << "0" << std::optional<bool>(false);
        QTest::newRow("beyond 16 bits") << "70000" << std::optional<bool>(true);
        QTest::newRow("empty") << "" << noBool;
        QTest::newRow("word") << "yes" << noBool;
    }
    void boolAcceptsWordsAndNumbers()
    {
        QFETCH(QString, text);
        QFETCH(std::optional<bool>, value);
        QCOMPARE(kivo::toBool(text), value);
    }

    void float32RefusesWhatAFloatCannotHold_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<std::optional<float>>("value");
        QTest::newRow("fraction") << "2955.5" << std::optional<float>(2955.5f);
        QTest::newRow("negative") << " -0.25 " << std::optional<float>(-0.25f);
        QTest::newRow("too large") << "1e39" << noFloat;
        QTest::newRow("junk") << "12px" << noFloat;
        QTest::newRow("empty") << "" << noFloat;
    }
    void float32RefusesWhatAFloatCannotHold()
    {
        QFETCH(QString, text);
        QFETCH(std::optional<float>, value);
        QCOMPARE(kivo::toFloat32(text), value);
    }
};

KIVO_TEST_MAIN(TestConversions)
#include "tst_conversions.moc"
