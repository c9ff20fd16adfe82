#include "KivoTest.h"

#include "analysis/WeightStats.h"
#include "analysis/WeightTrend.h"

using namespace kivo;
using namespace kivotest;

namespace {

// A reading at `ms` after a fixed start, its weight text as an indicator with two decimals shows it.
WeightReading reading(qint64 ms, const QString &text, bool stable = true, bool overload = false)
{
    static const QDateTime start = QDateTime::fromMSecsSinceEpoch(1'700'000'000'000);
    WeightReading r{.time = start.addMSecs(ms), .weightText = text, .weight = weightValue(text)};
    r.stable = stable;
    r.overload = overload;
    return r;
}

// A spread as "count mean sd min max current", to twelve digits.
QString spreadText(const std::optional<WeightStats::Spread> &s)
{
    if (!s)
        return u"none"_s;
    QString text = QString::number(s->count);
    for (double v : {s->mean, s->sd, s->min, s->max, s->current})
        text += u' ' + QString::number(v, 'g', 12);
    return text;
}

} // namespace

class tst_WeightStats : public QObject
{
    Q_OBJECT
private slots:
    // 10, 12, 14 with a reading that is no number and an overload among them; worked by hand:
    // mean 12, s = sqrt((4 + 0 + 4) / 2) = 2; over the last two, mean 13, s = sqrt(2).
    void spreadSinceResetAndOverTheLastReadings()
    {
        WeightStats stats;
        stats.setWindow(2);
        stats.add(reading(0, u"10.00"_s));
        stats.add(reading(100, u"--.--"_s, false));
        stats.add(reading(200, u"12.00"_s, false));
        stats.add(reading(300, u"14.00"_s, true, true));
        stats.addDropped(7);

        QCOMPARE(spreadText(stats.sinceReset()), u"3 12 2 10 14 14"_s);
        QCOMPARE(spreadText(stats.lastReadings()), u"2 13 1.41421356237 12 14 14"_s);
        QCOMPARE((QList<qint64>{stats.frames(), stats.unparsed(), stats.overloads(), stats.droppedBytes()}),
                 (QList<qint64>{4, 1, 1, 7}));
        QCOMPARE(stats.stableShare(), 0.5);
        QCOMPARE(stats.framesPerSecond(), 10.0); // 3 intervals in 300 ms
        QCOMPARE(stats.division(), 0.01);

        stats.reset();
        QCOMPARE(spreadText(stats.sinceReset()) + spreadText(stats.lastReadings()), u"nonenone"_s);
        QCOMPARE(stats.frames(), 0);
        stats.add(reading(0, u"1"_s));
        stats.add(reading(50, u"2"_s));
        QCOMPARE(stats.lastReadings()->count, 2); // the window survives the reset
    }

    // d = 0.01 (two decimals shown), band 1 d, hold 1 s. Readings are "ms:weight", "~" after the
    // weight when it is in motion (not stable).
    void settlingTimeOfStepResponses_data()
    {
        DataTable<QString, qint64, bool> row("steps", "settlingMs", "stillSettling"); // -1: none
        row("clean step", "0:0 100:5~ 200:10~ 300:10 1300:10.01", 200, false);
        row("overshoot", "0:0 100:5~ 200:10.5 300:10 800:10.01 1300:9.99", 200, false);
        row("motion flag breaks the stay", "0:0 100:10~ 200:10 700:10~ 800:10 1800:10", 700, false);
        row("never settles", "0:0 100:5~ 1200:10~ 2400:10~ 3000:10", -1, true);
        row("noise within the band is no change", "0:1 100:1.01~ 200:0.99 2000:1", -1, false);
        row("hold not yet over", "0:0 100:10 1099:10", -1, true);
    }
    void settlingTimeOfStepResponses()
    {
        QFETCH(QString, steps);
        WeightStats stats;
        for (const QString &step : steps.split(u' ')) {
            const double weight = step.section(u':', 1).remove(u'~').toDouble();
            stats.add(reading(step.section(u':', 0, 0).toLongLong(), QString::number(weight, 'f', 2),
                              !step.endsWith(u'~')));
        }
        QTEST(stats.lastSettlingMs().value_or(-1), "settlingMs");
        QTEST(stats.settling(), "stillSettling");
    }

    // Worked by hand. 100.00, 100.02, 99.98, 100.00: s = sqrt(0.0008 / 3) = 0.0163299,
    // 2 s / m = 0.03266 %, minimum weight 2000 s = 32.6599. Five times 50.00 with d = 0.1: s = 0,
    // floor 0.041, 0.164 %. 10.0 and 10.2: s = 0.141421, 2.80044 %.
    void repeatabilityWithItsFloor_data()
    {
        DataTable<QList<double>, double, double, double, double, bool> row(
            "weights", "division", "sUsed", "ratioPercent", "minimumWeight", "pass");
        row("passes", {100.00, 100.02, 99.98, 100.00}, 0.01, 0.0163299, 0.0326599, 32.6599, true);
        row("floor of 0.41 d", QList<double>(5, 50.0), 0.1, 0.041, 0.164, 82.0, false);
        row("fails", {10.0, 10.2}, 0.1, 0.141421, 2.80044, 282.843, false);
    }
    void repeatabilityWithItsFloor()
    {
        const auto [weights, division, sUsed, ratioPercent, minimumWeight, pass] =
            fetch<QList<double>, double, double, double, double, bool>(
                "weights", "division", "sUsed", "ratioPercent", "minimumWeight", "pass");
        const auto r = repeatability(std::vector<double>(weights.begin(), weights.end()), division);
        QVERIFY(r);
        for (const auto &[got, expected] :
             {std::pair{r->sUsed, sUsed}, {r->ratioPercent, ratioPercent}, {r->minimumWeight, minimumWeight}})
            QVERIFY2(std::abs(got - expected) <= 1e-5 * std::max(1.0, std::abs(expected)),
                     qPrintable(QString::number(got, 'g', 9)));
        QCOMPARE(r->pass, pass);
        QCOMPARE(r->n, weights.size());
        QVERIFY(!repeatability({5.0}, division));
        QVERIFY(!repeatability({1.0, -1.0}, division)); // a mean of 0 has no ratio
    }

    // Forty minutes at 100 readings a second keep only the last thirty minutes' buckets; a view
    // merges them down to the points asked for and keeps every extreme and overload.
    void trendStaysBoundedAndKeepsExtremes()
    {
        WeightTrend trend;
        const qint64 end = 40 * 60 * 1000;
        for (qint64 ms = 0; ms < end; ms += 10)
            trend.add(ms, ms == end - 12340 ? 99.0 : 1.0, ms % 1000 != 0, ms == end - 60000);
        QCOMPARE(qint64(trend.buckets().size()), WeightTrend::kKeepMs / WeightTrend::kBucketMs + 1);
        QCOMPARE(trend.buckets().front().startMs, end - WeightTrend::kBucketMs - WeightTrend::kKeepMs);
        const auto view = trend.view(end - 5 * 60 * 1000, 300);
        QVERIFY(view.size() <= 300 && view.size() >= 250);
        double high = 0;
        int overloads = 0;
        for (const auto &b : view) {
            high = std::max(high, b.high);
            overloads += b.overload ? 1 : 0;
            QVERIFY(!b.stable); // each merged bucket holds a reading at a whole second, unstable
        }
        QCOMPARE(high, 99.0);
        QCOMPARE(overloads, 1);
    }

    void shownStepIsOneStepOfTheLastDigit()
    {
        QCOMPARE(shownStep(u"12.34"_s), 0.01);
        QCOMPARE(shownStep(u"1200"_s), 1.0);
        QCOMPARE(shownStep(u"-0.5"_s), 0.1);
        QCOMPARE(shownStep(u" 0012.300 "_s), 0.001);
    }
};

KIVO_TEST_MAIN(tst_WeightStats)
#include "tst_WeightStats.moc"
