#include "../app/ChildProcess.h"
#include "MainWindow.h"

#include "analysis/AnalysisPanel.h"
#include "analysis/TrendPlot.h"
#include "analysis/WeightStats.h"
#include "analysis/WeightTrend.h"
#include "app/CommandLine.h"
#include "app/CommandLineApply.h"

#include <QAction>
#include <QDockWidget>
#include <QDoubleSpinBox>
#include <QTableWidget>

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

// The simulator on a pseudo-terminal, and the window monitoring it with the analysis shown.
struct Bench
{
    explicit Bench(const QStringList &simArguments)
        : sim(QStringLiteral(KIVO_SIM_EXE), QStringList{"--pty", link()} + simArguments)
    {
        QVERIFY(sim.says(u"READY\n"_s));
        control<QAction>(*w, "mnuView_Analysis")->trigger();
        connectSerial(*w, link());
        button(*w, "cmdMonOn")->click();
    }
    QString link() const { return dir.filePath(u"ttySIM"_s); }
    AnalysisPanel &panel() const { return *w->analysis(); }

    QTemporaryDir dir;
    ChildProcess sim;
    MessageLog boxes; // the port dies when the simulator ends
    std::unique_ptr<frmMain> w = openWindow();
};

// The fields a CSV row keeps, one reading a line: "ms since the epoch|text|weight|unit|status|link".
QStringList fields(const std::vector<CapturedReading> &readings)
{
    QStringList lines;
    for (const CapturedReading &r : readings)
        lines << u"%1|%2|%3|%4|%5|%6"_s.arg(QString::number(r.time.toMSecsSinceEpoch()), r.weightText,
                                            QString::number(r.weight, 'g', 12), r.unit, r.status, r.link);
    return lines;
}

} // namespace

// Figures over weight readings, then the weighing analysis in the real window fed by the simulator.
class tst_Analysis : public QObject
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

    void init() { resetStores(); }

    // Seeded normal noise of 5 counts (0.05 kg) around 12.34 kg: the panel's mean and standard
    // deviation match within four standard errors (mean: s / sqrt(n); deviation: s / sqrt(2 n)).
    void noiseGivesTheSimulatorsMeanAndDeviation()
    {
        Bench b({"--pattern", "gauss", "--sd", "5", "--seed", "7", "--rate", "200"});
        QVERIFY(control<QDockWidget>(*b.w, "dckAnalysis")->isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(b.panel().stats().frames() >= 400, 10000);
        const auto spread = b.panel().stats().sinceReset();
        QVERIFY(spread);
        const double error = 0.05 / std::sqrt(double(spread->count));
        QVERIFY2(std::abs(spread->mean - 12.34) < 4 * error, qPrintable(QString::number(spread->mean)));
        QVERIFY2(std::abs(spread->sd - 0.05) < 4 * error / std::sqrt(2.0),
                 qPrintable(QString::number(spread->sd)));
        QCOMPARE(b.panel().stats().unparsed(), 0);
        b.panel().updateFigures();
        QCOMPARE(control<QLabel>(*b.w, "lblStatMean")->text(), QString::number(spread->mean, 'f', 4));
        QVERIFY(b.panel().stats().stableShare() > 0.9); // within two deviations: about 95 %

        // The plot draws a bounded number of points however many readings came.
        TrendPlot *plot = b.panel().plot();
        QTRY_VERIFY(plot->pointsDrawn() > 0);
        QVERIFY(plot->pointsDrawn() <= 4 * std::max(50, plot->width()));

        // A band of 50 d (2.5 kg) makes the noise no change at all; the hold is taken in seconds.
        control<QDoubleSpinBox>(*b.w, "spnSettleBand")->setValue(50);
        control<QDoubleSpinBox>(*b.w, "spnSettleHold")->setValue(0.5);
        QCOMPARE(b.panel().stats().bandWeight(), 50 * 0.01);
        QCOMPARE(b.panel().stats().holdMs(), 500);

        button(*b.w, "cmdStatReset")->click();
        QVERIFY(b.panel().stats().frames() < 50);
        QCOMPARE(control<QLabel>(*b.w, "lblStatUnparsed")->text(), u"0"_s);
    }

    // Five loads put on, each swinging 0.4 s, then all taken off: each settling time is the
    // simulator's within one frame interval (50 ms at 20 frames/s), Auto-capture takes exactly one
    // reading a load (the unload is no weighing), and the CSV export and --readings-csv read back
    // as the table.
    void loadStepsSettleAndAutoCaptureTakesOneReadingEach()
    {
        QTemporaryDir dir;
        const QString appended = dir.filePath(u"appended.csv"_s), exported = dir.filePath(u"export.csv"_s);
        Bench b(
            {"--pattern", "steps", "--settle", "0.4", "--hold", "1.2", "--weight", "1.5", "--rate", "20"});
        applyCommandLine(*b.w, b.w->data(), {.readingsCsv = appended});
        const WeightStats &stats = b.panel().stats();
        auto settledAtZero = [&] {
            return !stats.settling() && stats.lastSettlingMs() &&
                   std::abs(stats.settledWeight().value_or(1)) < 0.005;
        };
        // From the unload on, a whole round of five loads.
        QTRY_VERIFY_WITH_TIMEOUT(settledAtZero(), 15000);
        control<QCheckBox>(*b.w, "chkAutoCapture")->setChecked(true);
        QTRY_VERIFY_WITH_TIMEOUT(!b.panel().readings().readings().empty(), 5000);
        QTRY_VERIFY_WITH_TIMEOUT(settledAtZero(), 15000);
        QVERIFY2(std::abs(*stats.lastSettlingMs() - 400) <= 50,
                 qPrintable(QString::number(*stats.lastSettlingMs())));

        const QStringList taken = fields(b.panel().readings().readings());
        QCOMPARE(control<QTableWidget>(*b.w, "tblReadings")->rowCount(), 5);
        QCOMPARE(taken.size(), 5);
        for (int i = 0; i < taken.size(); ++i)
            QCOMPARE(taken[i].section(u'|', 2), u"%1|kg|stable|serial:%2"_s.arg(1.5 * (i + 1)).arg(b.link()));

        QVERIFY(b.panel().exportCsv(exported));
        for (const QString &path : {exported, appended}) {
            const QByteArray csv = readFile(path);
            QVERIFY(csv.startsWith(ReadingsLog::kHeader.toUtf8() + "\r\n"));
            QCOMPARE(fields(ReadingsLog::parseCsv(csv)), taken);
        }
        // The export carries the repeatability figures: five different loads are no repeatability.
        QVERIFY(readFile(exported).contains("\r\nresult,fail,,,\r\n"));
        QVERIFY(control<QLabel>(*b.w, "lblRepeatability")->text().contains(QLatin1String("FAIL")));
    }

    // Capture takes the next stable reading only; a field with a comma or quote survives the CSV
    // (a weight text with a comma is no number: it reads back as weight 0).
    void captureTakesTheNextStableReading()
    {
        Bench b({"--pattern", "steady", "--rate", "20"});
        QTRY_VERIFY(b.panel().stats().frames() > 3);
        QVERIFY(b.panel().readings().readings().empty());
        button(*b.w, "cmdCapture")->click();
        QTRY_COMPARE(b.panel().readings().readings().size(), size_t(1));
        QTest::qWait(200);
        QCOMPARE(b.panel().readings().readings().size(), size_t(1));
        QCOMPARE(b.panel().readings().readings().front().weightText, u"12.34"_s);

        ReadingsLog log;
        log.add({QDateTime::currentDateTime(), u"1,5"_s, 0, u"k\"g"_s, u"stable"_s, u"tcp:a,b:1"_s});
        QCOMPARE(fields(ReadingsLog::parseCsv(log.csv(std::nullopt))), fields(log.readings()));
    }
};

KIVO_TEST_MAIN(tst_Analysis)
#include "tst_Analysis.moc"
