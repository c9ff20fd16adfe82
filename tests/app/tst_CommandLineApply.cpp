#include "KivoTest.h"

#include "app/CommandLine.h"
#include "app/CommandLineApply.h"
#include "app/frmMain.h"
#include "core/MessageBox.h"
#include "core/SettingsStore.h"

#include <QComboBox>
#include <QRadioButton>
#include <QTabBar>

#include <memory>

namespace {

kivo::CommandLineOptions parse(const QString &line)
{
    const auto parsed =
        kivo::parseCommandLine(QStringList{QStringLiteral("kivo")} + QProcess::splitCommand(line));
    if (parsed.exitCode)
        qFatal("bad test command line: %s", qPrintable(parsed.text));
    return parsed.options;
}

// What a control shows: a list's entry, a tab's index, a radio button's state.
QString shown(QWidget &window, const QString &name)
{
    QObject *o = window.findChild<QObject *>(name);
    if (auto *box = qobject_cast<QComboBox *>(o))
        return box->currentText() + (box->isEnabled() ? "" : " (disabled)");
    if (auto *tabs = qobject_cast<QTabBar *>(o))
        return QString::number(tabs->currentIndex());
    if (auto *radio = qobject_cast<QRadioButton *>(o))
        return radio->isChecked() ? QStringLiteral("checked") : QStringLiteral("unchecked");
    return QStringLiteral("no control ") + name;
}

struct Window
{
    std::unique_ptr<frmMain> w = std::make_unique<frmMain>();
    Window()
    {
        w->setEndProgram([] {});
    }
};

} // namespace

class tst_CommandLineApply : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        kivotest::resetStores();
        kivo::setMessageRecorder({});
    }

    void optionChoosesTheWindowsEntry_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char *tag, const char *line, const char *control, const char *expected) {
            QTest::newRow(tag) << QString(line) << QString(control) << QString(expected);
        };
        row("typed device", "--port /tmp/ttyNOPE", "cboPort", "/tmp/ttyNOPE");
        row("bps", "--bps 115200", "cboBps", "115200");
        row("parity", "--parity e", "cboParity", "E");
        row("data bits", "--data-bits 7", "cboDataBit", "7");
        row("stop bits", "--stop-bits 2", "cboStopBit", "2");
        row("receive delay", "--recv-delay 0.01", "cboDelay", "0.01");
        row("tab", "--tab both", "tabPrintSelect", "2");
        // The terminal tab's own handling runs: it sets the receive delay to 0 and locks it.
        row("terminal tab handler runs", "--recv-delay 0.05 --tab terminal", "cboDelay", "0 (disabled)");
        row("tcp chooses TCP/IP", "--tcp 127.0.0.1:1", "optComm_0", "checked");
        row("connect chooses RS232C", "--connect --port /tmp/ttyNOPE", "optComm_1", "checked");
    }
    void optionChoosesTheWindowsEntry()
    {
        QFETCH(QString, line);
        QFETCH(QString, control);
        QFETCH(QString, expected);
        kivo::setMessageRecorder([](const kivo::MessageRecord &) {});
        // Start from TCP/IP so --connect must choose RS232C itself.
        kivo::WriteSetting(QStringLiteral("COMMTYPE"), QStringLiteral("TCP/IP"));
        Window win;
        kivo::applyCommandLine(*win.w, win.w->data(), parse(line));
        QCOMPARE(shown(*win.w, control), expected);
    }

    // Every value the command line accepts must exist in the window's list, or choosing it would
    // silently select nothing.
    void everyAcceptedValueIsInTheWindowsList()
    {
        Window win;
        const std::pair<const char *, QStringList> lists[] = {
            {"cboBps", kivo::CommandLineLists::bps()},
            {"cboParity", kivo::CommandLineLists::parity()},
            {"cboDataBit", kivo::CommandLineLists::dataBits()},
            {"cboStopBit", kivo::CommandLineLists::stopBits()},
            {"cboDelay", kivo::CommandLineLists::recvDelay()}};
        for (const auto &[name, values] : lists) {
            auto *box = win.w->findChild<QComboBox *>(QLatin1String(name));
            QVERIFY(box);
            QStringList items;
            for (int i = 0; i < box->count(); ++i)
                items << box->itemText(i);
            QCOMPARE(values, items);
        }
        QCOMPARE(win.w->findChild<QTabBar *>("tabPrintSelect")->count(),
                 kivo::CommandLineLists::tabs().size());
    }

    void tcpAndModeAreHeldAndStoredLikeTheSettingDialog()
    {
        Window win;
        kivo::applyCommandLine(*win.w, win.w->data(), parse("--tcp scale.lab:4001 --mode \"Orvan 10byte\""));
        QCOMPARE(win.w->data().strWinSockIP, QStringLiteral("scale.lab"));
        QCOMPARE(win.w->data().strWinSockPort, QStringLiteral("4001"));
        QCOMPARE(win.w->data().iIndicatorMode, int16_t(1));
        QCOMPARE(kivo::ReadSetting("WinSockIP", {}), QStringLiteral("scale.lab"));
        QCOMPARE(kivo::ReadSetting("WinSockPort", {}), QStringLiteral("4001"));
        QCOMPARE(kivo::ReadSetting("IndicatorMode", {}), QStringLiteral("1"));
    }

    void captionNamesTheProfile()
    {
        Window win;
        const QString plain = win.w->windowTitle();
        kivo::applyCommandLine(*win.w, win.w->data(), parse("--profile /tmp/profiles/bench-2"));
        QCOMPARE(win.w->windowTitle(), plain + QStringLiteral(" [bench-2]"));
    }

    // Like the button: a port that cannot be opened shows the usual box, and nothing is pressed
    // before the event loop runs.
    void failedConnectShowsConnectFailure()
    {
        QList<kivo::MessageRecord> shownBoxes;
        kivo::setMessageRecorder([&](const kivo::MessageRecord &m) { shownBoxes << m; });
        Window win;
        kivo::applyCommandLine(*win.w, win.w->data(), parse("--port /nonexistent/tty --connect --monitor"));
        QVERIFY(shownBoxes.isEmpty());
        QTRY_COMPARE(shownBoxes.size(), 1);
        QCOMPARE(shownBoxes.first().text, QStringLiteral("Connect Failure!"));
        QCOMPARE(shownBoxes.first().icon, QMessageBox::Critical);
        QTRY_VERIFY(win.w->data().bMonitor);
    }
};

KIVO_TEST_MAIN(tst_CommandLineApply)
#include "tst_CommandLineApply.moc"
