#include "KivoTest.h"

#include "detect/frmFindSettings.h"
#include "monitor/FrameReaders.h"

#include <QLabel>
#include <QProcess>
#include <QPushButton>

#include <memory>

// Find Settings end to end: the simulator on a pseudo-terminal behaves as a serial line set to
// 19200 8N1, answering any other bit rate with noise; the dialog and kivo --detect each search it
// through the real serial port. One row per layout, so each new protocol is one more row.

using namespace kivo;
using namespace kivotest;

namespace {

const QString kKivo = QStringLiteral(KIVO_EXE);
const QString kSim = QStringLiteral(KIVO_SIM_EXE);

struct Process
{
    std::unique_ptr<QProcess> process = std::make_unique<QProcess>();
    QString out;

    Process(const QString &program, const QStringList &arguments, const QString &userConfig)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"XDG_CONFIG_HOME"_s, userConfig);
        process->setProcessEnvironment(env);
        QObject::connect(process.get(), &QProcess::readyReadStandardOutput, process.get(),
                         [this] { out += QString::fromLocal8Bit(process->readAllStandardOutput()); });
        process->start(program, arguments);
    }
    ~Process()
    {
        if (process->state() == QProcess::NotRunning)
            return;
        process->terminate();
        if (!process->waitForFinished(5000))
            process->kill();
        process->waitForFinished(5000);
    }
    [[nodiscard]] bool finished(int ms = 30000)
    {
        return QTest::qWaitFor([this] { return process->state() == QProcess::NotRunning; }, ms);
    }
};

// The simulator on a pseudo-terminal under the link name, with the line given.
struct Simulator : Process
{
    Simulator(const QString &link, const QString &arguments, const QString &config)
        : Process(kSim, QStringList{"--pty", link} + QProcess::splitCommand(arguments), config)
    {
    }
    [[nodiscard]] bool ready()
    {
        return QTest::qWaitFor([this] { return out.contains(u"READY\n"_s); }, 10000);
    }
};

void layoutRows()
{
    DataTable<QString, int> row("sim", "mode");
    row("Orvan 22byte", "--layout 22", ModeOrvan22);
    row("Orvan 10byte", "--layout 10", ModeOrvan10);
    row("AND 18byte", "--layout 18", ModeAnd18);
}

const QString kLine = u"--line 19200,8N1 --rate 10 "_s;

} // namespace

class tst_FindSettingsLine : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString path(const QString &name) const { return m_dir.filePath(name); }

private slots:
    void dialogSettlesOnTheLineAndLayout_data() { layoutRows(); }
    void dialogSettlesOnTheLineAndLayout()
    {
        const auto [sim, mode] = fetch<QString, int>("sim", "mode");
        const QString link = path(u"dialog-%1"_s.arg(mode));
        Simulator simulator(link, kLine + sim, path(u"sim"_s));
        QVERIFY2(simulator.ready(), qPrintable(simulator.out));

        frmFindSettings dialog(link, PatternLayout{});
        dialog.show();
        QTRY_VERIFY_WITH_TIMEOUT(dialog.result().elapsedMs > 0 && !dialog.searching(), 30000);
        const FindResult &r = dialog.result();
        qInfo("%s: found in %.1f s after %d tries", QTest::currentDataTag(), r.elapsedMs / 1000.0,
              int(r.tries.size()));
        QVERIFY2(r.found, qPrintable(r.error));
        QCOMPARE(r.settingsText(), u"19200,N,8,1"_s);
        QCOMPARE(r.mode, mode);
        QCOMPARE(dialog.lblResult->text(),
                 u"19200 8N1, %1 (%2 frames)"_s.arg(indicatorModeNames().at(mode)).arg(r.frames));
        QTest::mouseClick(dialog.cmdApply, Qt::LeftButton);
        QCOMPARE(dialog.QDialog::result(), int(QDialog::Accepted));
    }

    void detectOptionPrintsTheLineAndLayout_data() { layoutRows(); }
    void detectOptionPrintsTheLineAndLayout()
    {
        const auto [sim, mode] = fetch<QString, int>("sim", "mode");
        const QString link = path(u"detect-%1"_s.arg(mode));
        Simulator simulator(link, kLine + sim, path(u"sim"_s));
        QVERIFY2(simulator.ready(), qPrintable(simulator.out));

        QElapsedTimer clock;
        clock.start();
        Process kivo(kKivo, {"--detect", "--port", link}, path(u"user"_s));
        QVERIFY(kivo.finished());
        qInfo("%s: kivo --detect ran %.1f s", QTest::currentDataTag(), clock.elapsed() / 1000.0);
        QCOMPARE(kivo.process->exitCode(), 0);
        const QRegularExpression line(u"^19200,N,8,1 %1 frames=(\\d+) time=\\d+\\.\\ds\n$"_s.arg(
            QRegularExpression::escape(indicatorModeNames().at(mode))));
        QVERIFY2(line.match(kivo.out).hasMatch(), qPrintable(kivo.out));
    }

    void detectOptionExitStatus_data()
    {
        DataTable<QString, QString, int, QString> row("sim", "kivo", "status", "said");
        row("no indicator: a 7E1 line cannot be read through a pseudo-terminal", "--line 9600,7E1",
            "--detect --port %1", 1, "no indicator found tries=24 time=");
        row("port that cannot be opened", {}, "--detect --port %1", 1, "no indicator found tries=24 time=");
        row("no port given and none stored", {}, "--detect", 2, {});
        row("line settings given with it", {}, "--detect --port %1 --bps 9600", 2, {});
    }
    void detectOptionExitStatus()
    {
        const auto [sim, arguments, status, said] =
            fetch<QString, QString, int, QString>("sim", "kivo", "status", "said");
        const QString link = path(u"status-%1"_s.arg(QTest::currentDataTag()).replace(u' ', u'-'));
        std::unique_ptr<Simulator> simulator;
        if (!sim.isEmpty()) {
            simulator = std::make_unique<Simulator>(link, sim, path(u"sim"_s));
            QVERIFY2(simulator->ready(), qPrintable(simulator->out));
        }
        Process kivo(kKivo, QProcess::splitCommand(QString(arguments).replace(u"%1"_s, link)),
                     path(u"status-user"_s));
        QVERIFY(kivo.finished());
        QCOMPARE(kivo.process->exitCode(), status);
        const QString err = QString::fromLocal8Bit(kivo.process->readAllStandardError());
        if (status == 2) {
            QVERIFY(kivo.out.isEmpty());
            QCOMPARE(err.count(u'\n'), 1);
            return;
        }
        QVERIFY2(kivo.out.startsWith(said) && kivo.out.count(u'\n') == 1, qPrintable(kivo.out));
        QCOMPARE(err.isEmpty(), !sim.isEmpty());
    }
};

KIVO_TEST_MAIN(tst_FindSettingsLine)
#include "tst_FindSettingsLine.moc"
