#include "MainWindow.h"

#include "analysis/AnalysisPanel.h"
#include "analysis/TrendPlot.h"
#include "app/CommandLine.h"
#include "app/CommandLineApply.h"

#include <QAction>
#include <QCheckBox>
#include <QDockWidget>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QProcess>
#include <QTableWidget>
#include <QTemporaryDir>

using namespace kivo;
using namespace kivotest;

namespace {

// The simulator on a pseudo-terminal, and the window monitoring it with the analysis shown.
struct Bench
{
    explicit Bench(const QStringList &simArguments)
    {
        sim.start(QStringLiteral(KIVO_SIM_EXE), QStringList{"--pty", link()} + simArguments);
        QByteArray out;
        QTRY_VERIFY((out += sim.readAllStandardOutput()).contains("READY\n"));
        control<QAction>(*w, "mnuView_Analysis")->trigger();
        connectSerial(*w, link());
        button(*w, "cmdMonOn")->click();
    }
    ~Bench()
    {
        sim.terminate();
        sim.waitForFinished(3000);
    }
    QString link() const { return dir.filePath(u"ttySIM"_s); }
    AnalysisPanel &panel() const { return *w->analysis(); }

    QTemporaryDir dir;
    QProcess sim;
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

class tst_Analysis : public QObject
{
    Q_OBJECT
private slots:
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
        CommandLineOptions options;
        options.readingsCsv = appended;
        applyCommandLine(*b.w, b.w->data(), options);
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
