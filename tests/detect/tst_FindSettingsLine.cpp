#include "../app/ChildProcess.h"
#include "MainWindow.h"

#include "detect/frmFindSettings.h"
#include "link/SerialLink.h"
#include "monitor/FrameReaders.h"
#include "monitor/frmSetting.h"

// Find Settings end to end: the simulator on a pseudo-terminal behaves as a serial line set to
// 19200 8N1, answering any other bit rate with noise; the dialog and kivo --detect each search it
// through the real serial port. One row per layout, so each new protocol is one more row.

using namespace kivo;
using namespace kivotest;

const QString kKivo = QStringLiteral(KIVO_EXE);
const QString kSim = QStringLiteral(KIVO_SIM_EXE);
const QString kLine = u"--line 19200,8N1 --rate 10 "_s;

class tst_FindSettingsLine : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString path(const QString &name) const { return m_dir.filePath(name); }

private slots:
    // Through the window: Set, Find Settings, Apply, OK. The port is closed for the search, the
    // line found goes into the link strip's lists and the layout into the settings. Then kivo
    // --detect finds the same line and layout and prints them.
    void windowAndDetectOptionFindTheLineAndLayout_data()
    {
        DataTable<QString, int> row("sim", "mode");
        row("Orvan 22byte", "--layout 22", ModeOrvan22);
        row("Orvan 10byte", "--layout 10", ModeOrvan10);
        row("AND 18byte", "--layout 18", ModeAnd18);
        row("Toledo continuous", "--protocol toledo --checksum", ModeToledo);
        row("MT-SICS", "--protocol sics --unit g", ModeSics);
        row("NCI", "--protocol nci --unit lb", ModeNci);
        row("SMA", "--protocol sma", ModeSma);
    }
    void windowAndDetectOptionFindTheLineAndLayout()
    {
        const auto [sim, mode] = fetch<QString, int>("sim", "mode");
        const QString link = path(u"line-%1"_s.arg(mode));
        ChildProcess simulator(kSim, QStringList{"--pty", link} + QProcess::splitCommand(kLine + sim));
        QVERIFY2(simulator.says(u"READY\n"_s), qPrintable(simulator.out));
        auto w = openWindow();
        connectSerial(*w, link);
        QVERIFY(w->serialLink().isReady());

        FindResult found;
        QTimer::singleShot(100, w.get(), [&] {
            auto *settings = topLevel<frmSetting>();
            QVERIFY(settings);
            // Runs in the find dialog's own loop, which the click below enters, and closes the dialog
            // once its search has ended.
            QTimer::singleShot(0, settings, [&found] {
                auto *dialog = topLevel<frmFindSettings>();
                QTRY_VERIFY_WITH_TIMEOUT(!dialog->searching() && dialog->result().elapsedMs > 0, 30000);
                found = dialog->result();
                QTest::mouseClick(found.found ? dialog->cmdApply : dialog->cmdCancel, Qt::LeftButton);
            });
            settings->cmdFindSettings->click();
            settings->cmdOK->click();
        });
        button(*w, "cmdMonSet")->click();
        QVERIFY2(found.found, qPrintable(found.error));
        QVERIFY(!w->serialLink().isReady());
        QString chosen;
        for (const char *list : {"cboBps", "cboParity", "cboDataBit", "cboStopBit"})
            chosen += control<QComboBox>(*w, list)->currentText();
        QCOMPARE(chosen, u"19200N81"_s);
        QCOMPARE(w->data().iIndicatorMode, int16_t(mode));

        ChildProcess kivo(kKivo, {"--detect", "--port", link}, {path(u"user"_s)});
        QVERIFY(kivo.exits(0, 30000));
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
        std::optional<ChildProcess> simulator;
        if (!sim.isEmpty()) {
            simulator.emplace(kSim, QStringList{"--pty", link} + QProcess::splitCommand(sim));
            QVERIFY2(simulator->says(u"READY\n"_s), qPrintable(simulator->out));
        }
        ChildProcess kivo(kKivo, QProcess::splitCommand(QString(arguments).replace(u"%1"_s, link)),
                          {path(u"status-user"_s)});
        QVERIFY(kivo.exits(status, 30000));
        const QString err = kivo.err();
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
