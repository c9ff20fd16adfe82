#include "KivoTest.h"

#include "app/CommandLine.h"
#include "app/CommandLineApply.h"
#include "app/frmMain.h"
#include "core/SettingsStore.h"
#include "core/Version.h"

#include <QComboBox>
#include <QRadioButton>
#include <QTabBar>

using kivo::parseCommandLine;
using namespace kivotest;

namespace {

// The parsed options as one line, so a table row states everything an argument list must give.
QString describe(const kivo::CommandLineOptions &o)
{
    QStringList parts;
    for (const auto &[name, v] : {std::pair{"port", o.port},
                                  {"bps", o.bps},
                                  {"parity", o.parity},
                                  {"data", o.dataBits},
                                  {"stop", o.stopBits},
                                  {"delay", o.recvDelay}})
        if (v)
            parts << u"%1=%2"_s.arg(QLatin1String(name), *v);
    if (o.tab)
        parts << u"tab=%1"_s.arg(int(*o.tab));
    if (o.tcp)
        parts << u"tcp=%1|%2"_s.arg(o.tcp->host, o.tcp->port);
    if (o.mode)
        parts << u"mode=%1"_s.arg(*o.mode);
    if (o.connect)
        parts << u"connect"_s;
    if (o.monitor)
        parts << u"monitor"_s;
    if (!o.profileDir.isEmpty())
        parts << u"profile="_s + o.profileDir;
    return parts.join(QLatin1Char(' '));
}

QStringList args(const QString &line)
{
    return QStringList{u"kivo"_s} + QProcess::splitCommand(line);
}

kivo::CommandLineOptions parse(const QString &line)
{
    const auto parsed = parseCommandLine(args(line));
    if (parsed.exitCode)
        qFatal("bad test command line: %s", qPrintable(parsed.text));
    return parsed.options;
}

// What a control shows: a list's entry, a tab's index, a radio button's state; the window's caption.
QString shown(QWidget &window, const QString &name)
{
    if (name == window.objectName())
        return window.windowTitle();
    QObject *o = window.findChild<QObject *>(name);
    if (auto *box = qobject_cast<QComboBox *>(o))
        return box->currentText() + (box->isEnabled() ? "" : " (disabled)");
    if (auto *tabs = qobject_cast<QTabBar *>(o))
        return QString::number(tabs->currentIndex());
    if (auto *radio = qobject_cast<QRadioButton *>(o))
        return radio->isChecked() ? u"checked"_s : u"unchecked"_s;
    return u"no control "_s + name;
}

// The window with the command line applied; ending the program does nothing.
struct Window
{
    frmMain w;
    explicit Window(const QString &line = {})
    {
        w.setEndProgram([] {});
        if (!line.isNull())
            kivo::applyCommandLine(w, w.data(), parse(line));
    }
};

} // namespace

// Parsing the command line, and applying it to the real window.
class tst_CommandLine : public QObject
{
    Q_OBJECT
private slots:
    void init() { resetStores(); }

    void goodValuesBecomeTheWindowsEntries_data()
    {
        DataTable<QString, QString> row("line", "expected");
        row("nothing", "", "");
        row("device path", "--port /dev/ttyUSB0", "port=/dev/ttyUSB0");
        row("every bit rate end", "--bps 110", "bps=110");
        row("highest bit rate", "--bps 256000", "bps=256000");
        row("parity in lower case", "--parity o", "parity=O");
        row("data bits low end", "--data-bits 4", "data=4");
        row("one and a half stop bits", "--stop-bits 1.5", "stop=1.5");
        row("receive delay", "--recv-delay 0.2", "delay=0.2");
        row("tab names map to tab order", "--tab hexa", "tab=2");
        row("terminal tab", "--tab TERMINAL", "tab=4");
        row("tcp endpoint", "--tcp 192.168.0.20:4001", "tcp=192.168.0.20|4001");
        row("tcp host name", "--tcp scale-3.lab:23", "tcp=scale-3.lab|23");
        row("tcp IPv6 in brackets", "--tcp [::1]:4001", "tcp=::1|4001");
        row("mode by index", "--mode 1", "mode=1");
        row("mode by name, any case", "--mode \"and 18BYTE\"", "mode=2");
        row("flags", "--connect --monitor", "connect monitor");
        row("value after =", "--bps=19200 --profile=/tmp/p", "bps=19200 profile=/tmp/p");
        row("last of a repeated option wins", "--bps 300 --bps 600", "bps=600");
        row("everything",
            "--port COM3 --bps 9600 --parity N --data-bits 8 --stop-bits 1 --recv-delay 0.03 --tab both "
            "--mode 0 --monitor --profile bench",
            "port=COM3 bps=9600 parity=N data=8 stop=1 delay=0.03 tab=3 mode=0 monitor profile=bench");
    }
    void goodValuesBecomeTheWindowsEntries()
    {
        const auto [line, expected] = fetch<QString, QString>("line", "expected");
        const kivo::ParsedCommandLine parsed = parseCommandLine(args(line));
        QVERIFY2(!parsed.exitCode, qPrintable(parsed.text));
        QCOMPARE(describe(parsed.options), expected);
    }

    void badCommandLineExitsTwoWithOneLineNamingOptionAndValues_data()
    {
        DataTable<QString, QStringList> row("line", "mustName");
        row("bit rate not in list", "--bps 9601", {"--bps", "'9601'", "9600", "256000"});
        row("parity letter", "--parity X", {"--parity", "E, M, N, O, S"});
        row("data bits 9", "--data-bits 9", {"--data-bits", "8, 7, 6, 5, 4"});
        row("stop bits 3", "--stop-bits 3", {"--stop-bits", "1, 1.5, 2"});
        row("receive delay", "--recv-delay 0.3", {"--recv-delay", "0.2"});
        row("tab", "--tab hex", {"--tab", "ascii, hexa, both, terminal"});
        row("tcp without port", "--tcp 10.0.0.1", {"--tcp", "HOST:PORT"});
        row("tcp port 0", "--tcp 10.0.0.1:0", {"--tcp", "65535"});
        row("tcp port too high", "--tcp h:65536", {"--tcp"});
        row("tcp without host", "--tcp :4001", {"--tcp"});
        row("mode index beyond list", "--mode 8", {"--mode", "Orvan 22byte", "AND 18byte"});
        row("mode name", "--mode orvan", {"--mode", "Orvan 10byte"});
        row("empty port", "--port \"\"", {"--port"});
        row("unknown option", "--baud 9600", {"baud", "--bps", "--help"});
        row("missing value", "--bps", {"--bps", "--port"});
        row("stray argument", "/dev/ttyS0", {"/dev/ttyS0", "--port"});
        row("serial connect with tcp", "--tcp h:1 --connect", {"--connect", "--tcp"});
    }
    void badCommandLineExitsTwoWithOneLineNamingOptionAndValues()
    {
        const auto [line, mustName] = fetch<QString, QStringList>("line", "mustName");
        const kivo::ParsedCommandLine parsed = parseCommandLine(args(line));
        QCOMPARE(parsed.exitCode, std::optional<int>(2));
        QVERIFY2(parsed.text.endsWith(QLatin1Char('\n')) && parsed.text.count(QLatin1Char('\n')) == 1,
                 qPrintable(parsed.text));
        QVERIFY(parsed.text.startsWith(QLatin1String("kivo: ")));
        for (const QString &part : mustName)
            QVERIFY2(parsed.text.contains(part), qPrintable(parsed.text + " lacks " + part));
    }

    void helpListsEveryOptionAndVersionIsTheLibrarys()
    {
        const auto help = parseCommandLine(args("--help"));
        QCOMPARE(help.exitCode, std::optional<int>(0));
        for (const char *o :
             {"--port DEV", "--bps N", "--parity", "--data-bits", "--stop-bits", "--recv-delay", "--tab",
              "--tcp HOST:PORT", "--mode", "--connect", "--monitor", "--profile DIR", "--version", "--help"})
            QVERIFY2(help.text.contains(QLatin1String(o)), o);
        const auto version = parseCommandLine(args("-v"));
        QCOMPARE(version.exitCode, std::optional<int>(0));
        QCOMPARE(version.text, u"kivo %1\n"_s.arg(kivo::versionText(kivo::appVersion())));
    }

    void optionChoosesTheWindowsEntry_data()
    {
        DataTable<QString, QString, QString> row("line", "control", "expected");
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
        row("caption names the profile", "--profile /tmp/profiles/bench-2", "frmMain",
            "Kivo v0.992 [bench-2]");
    }
    void optionChoosesTheWindowsEntry()
    {
        const auto [line, control, expected] =
            fetch<QString, QString, QString>("line", "control", "expected");
        MessageLog log;
        // Start from TCP/IP so --connect must choose RS232C itself.
        kivo::WriteSetting(u"COMMTYPE"_s, u"TCP/IP"_s);
        Window win(line);
        QCOMPARE(shown(win.w, control), expected);
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
            auto *box = control<QComboBox>(win.w, name);
            QStringList items;
            for (int i = 0; i < box->count(); ++i)
                items << box->itemText(i);
            QCOMPARE(values, items);
        }
        QCOMPARE(control<QTabBar>(win.w, "tabPrintSelect")->count(), kivo::CommandLineLists::tabs().size());
    }

    void tcpAndModeAreHeldAndStoredLikeTheSettingDialog()
    {
        Window win("--tcp scale.lab:4001 --mode \"Orvan 10byte\"");
        const kivo::AppData &d = win.w.data();
        QCOMPARE(QStringList({d.strWinSockIP, d.strWinSockPort, QString::number(d.iIndicatorMode)}),
                 QStringList({"scale.lab", "4001", "1"}));
        const QStringList stored{kivo::ReadSetting("WinSockIP", {}), kivo::ReadSetting("WinSockPort", {}),
                                 kivo::ReadSetting("IndicatorMode", {})};
        QCOMPARE(stored, QStringList({"scale.lab", "4001", "1"}));
    }

    // Like the button: a port that cannot be opened shows the usual box, and nothing is pressed
    // before the event loop runs.
    void failedConnectShowsConnectFailure()
    {
        MessageLog log;
        Window win("--port /nonexistent/tty --connect --monitor");
        QVERIFY(log.boxes.isEmpty());
        QTRY_COMPARE(log.boxes.size(), 1);
        QCOMPARE(describe(log.boxes[0]), u"Critical|Error|Connect Failure!"_s);
        QTRY_VERIFY(win.w.data().bMonitor);
    }
};

KIVO_TEST_MAIN(tst_CommandLine)
#include "tst_CommandLine.moc"
