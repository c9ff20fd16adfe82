#include "ChildProcess.h"
#include "MainWindow.h"

#include "app/CommandLine.h"
#include "app/CommandLineApply.h"
#include "app/Profile.h"
#include "core/SettingsStore.h"
#include "core/Version.h"

using kivo::parseCommandLine;
using namespace kivotest;

namespace {

// The parsed options as one line, so a table row states everything an argument list must give.
QString describe(const kivo::CommandLineOptions &o)
{
    QStringList parts;
    const auto add = [&parts](const char *name, bool given, const QString &value = {}) {
        if (given)
            parts << QLatin1String(name) + (value.isNull() ? QString() : u'=' + value);
    };
    add("port", o.port.has_value(), o.port.value_or(QString()));
    add("bps", o.bps.has_value(), o.bps.value_or(QString()));
    add("parity", o.parity.has_value(), o.parity.value_or(QString()));
    add("data", o.dataBits.has_value(), o.dataBits.value_or(QString()));
    add("stop", o.stopBits.has_value(), o.stopBits.value_or(QString()));
    add("delay", o.recvDelay.has_value(), o.recvDelay.value_or(QString()));
    add("tab", o.tab.has_value(), QString::number(int(o.tab.value_or(kivo::ViewTab{}))));
    add("tcp", o.tcp.has_value(), o.tcp ? o.tcp->host + u'|' + o.tcp->port : QString());
    add("mode", o.mode.has_value(), QString::number(o.mode.value_or(-1)));
    add("connect", o.connect);
    add("monitor", o.monitor);
    add("profile", !o.profileDir.isEmpty(), o.profileDir);
    return parts.join(QLatin1Char(' '));
}

kivo::CommandLineOptions parse(const QString &line)
{
    const auto parsed = parseCommandLine(QStringList{u"kivo"_s} + QProcess::splitCommand(line));
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

// The window with the command line applied (before it is shown, as at start-up); ending the
// program does nothing.
std::unique_ptr<frmMain> window(const QString &line)
{
    auto w = std::make_unique<frmMain>();
    w->setEndProgram([] {});
    kivo::applyCommandLine(*w, w->data(), parse(line));
    return w;
}

// kivo run as a process, headless (offscreen), the way a desktop shortcut or a script starts it.
// KIVO_TRACE_WEIGHT makes it print the weight display's text; its first line says the window is up.
const QString kKivo = QStringLiteral(KIVO_EXE);
const QString kSim = QStringLiteral(KIVO_SIM_EXE);

// The program with the arguments runs until its window is up; then the signal ends it cleanly.
bool runUntilSignal(const QString &program, const QStringList &arguments, const QString &config,
                    int signalNumber = SIGTERM)
{
    ChildProcess kivo(program, arguments, {config});
    return kivo.says(u"WEIGHT "_s, 20000) && kivo.endWith(signalNumber);
}

// The stored values of the keys that `pairs` ("Key=Value Key=Value") names, written the same way.
QString storedSettings(const QString &confFile, const QString &pairs)
{
    QSettings s(confFile, QSettings::IniFormat);
    QStringList out;
    for (const QString &pair : pairs.split(u' '))
        out << pair.section(u'=', 0, 0) + u'=' + s.value("Setting/" + pair.section(u'=', 0, 0)).toString();
    return out.join(u' ');
}

} // namespace

// Parsing the command line, applying it to the real window, kivo run as a process with it, and
// the profile's stores.
class tst_CommandLine : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    QString path(const QString &name) const { return m_dir.filePath(name); }

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
        QFETCH(QString, line);
        QTEST(describe(parse(line)), "expected"); // a refused line stops the program, naming it
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
        const auto parsed = parseCommandLine(QStringList{u"kivo"_s} + QProcess::splitCommand(line));
        QCOMPARE(parsed.exitCode, std::optional<int>(2));
        QVERIFY2(parsed.text.endsWith(QLatin1Char('\n')) && parsed.text.count(QLatin1Char('\n')) == 1,
                 qPrintable(parsed.text));
        QVERIFY(parsed.text.startsWith(QLatin1String("kivo: ")));
        for (const QString &part : mustName)
            QVERIFY2(parsed.text.contains(part), qPrintable(parsed.text + " lacks " + part));
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
        QCOMPARE(shown(*window(line), control), expected);
    }

    // Every value the command line accepts must exist in the window's list, or choosing it would
    // silently select nothing.
    void everyAcceptedValueIsInTheWindowsList()
    {
        const auto w = openWindow();
        namespace L = kivo::CommandLineLists;
        QList<QStringList> items;
        for (const char *name : {"cboBps", "cboParity", "cboDataBit", "cboStopBit", "cboDelay"}) {
            const auto *box = control<QComboBox>(*w, name);
            items.append(QStringList());
            for (int i = 0; i < box->count(); ++i)
                items.last() << box->itemText(i);
        }
        QCOMPARE(items,
                 (QList<QStringList>{L::bps(), L::parity(), L::dataBits(), L::stopBits(), L::recvDelay()}));
        QCOMPARE(control<QTabBar>(*w, "tabPrintSelect")->count(), kivo::CommandLineLists::tabs().size());
    }

    void tcpAndModeAreHeldAndStoredLikeTheSettingDialog()
    {
        const auto w = window(u"--tcp scale.lab:4001 --mode \"Orvan 10byte\""_s);
        const kivo::AppData &d = w->data();
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
        const auto w = window(u"--port /nonexistent/tty --connect --monitor"_s);
        QVERIFY(log.boxes.isEmpty());
        QTRY_COMPARE(log.boxes.size(), 1);
        QCOMPARE(describe(log.boxes[0]), u"Critical|Error|Connect Failure!"_s);
        QTRY_VERIFY(w->data().bMonitor);
    }

    void shutDownOnSignalStoresTheOptionsChoices_data()
    {
        DataTable<QString, int, QString> row("line", "signalNumber", "stored");
        row("serial options, SIGTERM",
            "--port /tmp/ttyKIVO-none --bps 19200 --parity E --data-bits 7 --stop-bits 2 --recv-delay 0.02 "
            "--tab hexa",
            SIGTERM,
            "PortName=/tmp/ttyKIVO-none Bps=8 Parity=0 DataBit=1 StopBit=2 RecvDelay=2 ViewMode=2 "
            "COMMTYPE=RS232");
        row("tcp and mode, SIGINT",
            "--tcp 127.0.0.1:4001 --mode \"AND 18byte\" --tab terminal --parity O --data-bits 5", SIGINT,
            "COMMTYPE=TCP/IP WinSockIP=127.0.0.1 WinSockPort=4001 IndicatorMode=2 ViewMode=4 RecvDelay=0 "
            "Parity=3 DataBit=3");
    }
    void shutDownOnSignalStoresTheOptionsChoices()
    {
        const auto [line, signalNumber, stored] =
            fetch<QString, int, QString>("line", "signalNumber", "stored");
        const QString config = path(u"signal-%1"_s.arg(QTest::currentDataTag()));
        QVERIFY(runUntilSignal(kKivo, QProcess::splitCommand(line), config, signalNumber));
        QCOMPARE(storedSettings(config + u"/Kivo/Kivo.conf"_s, stored), stored);
    }

    void badCommandLineExitsTwoBeforeAnyWindow_data()
    {
        DataTable<QString, QString> row("line", "named");
        for (const char *line : {"--bps 1234", "--parity Q", "--data-bits 3", "--stop-bits 0",
                                 "--recv-delay 1", "--tab list", "--tcp localhost", "--mode 9"})
            row(line, line, QString(line).section(u' ', 0, 0));
        row("unknown option", "--speed 9600", "speed");
        row("missing value", "--port", "--port");
        row("good line reaches the window", "--bps 9600", {});
    }
    // The platform plugin named does not exist: had kivo gone on to make its application object
    // (and a window), Qt would abort instead of the exit with status 2; a good command line does.
    void badCommandLineExitsTwoBeforeAnyWindow()
    {
        const auto [line, named] = fetch<QString, QString>("line", "named");
        ChildProcess kivo(kKivo, QProcess::splitCommand(line), {path(u"bad"_s), "no-such-platform"});
        const bool exitedTwo = kivo.exits(2);
        QCOMPARE(exitedTwo, !named.isEmpty());
        if (!exitedTwo)
            return;
        const QString err = kivo.err();
        QVERIFY2(err.count(QLatin1Char('\n')) == 1 && err.endsWith(QLatin1Char('\n')), qPrintable(err));
        QVERIFY2(err.contains(named), qPrintable(err));
        QVERIFY(kivo.out.isEmpty());
        QVERIFY(!QFileInfo::exists(path(u"bad/Kivo"_s)));
    }

    // The user's settings store and list file keep every byte; the profile gets its own, seeded
    // from the list file beside the program, and a second start reads the profile's choices back.
    void profileLeavesTheUsersStoresUntouched()
    {
        const QString bin = path(u"install/bin"_s);
        const QByteArray seed = "[FuncKeyCap]\r\nString1=SEED\r\n";
        const QByteArray userConf = "[Setting]\nBps=3\nWinSockPort=77\n";
        const QByteArray userList = "[FuncKeyCap]\r\nString1=MINE\r\n";
        const QString config = path(u"user-config"_s);
        QVERIFY(writeFile(bin + u"/kivo.ini"_s, seed)); // makes the folder for the program's copy
        QVERIFY(QFile::copy(kKivo, bin + u"/kivo"_s));
        QVERIFY(writeFile(config + u"/Kivo/Kivo.conf"_s, userConf));
        QVERIFY(writeFile(config + u"/Kivo/kivo.ini"_s, userList));
        const QString profile = path(u"profiles/bench-1"_s);

        QVERIFY(runUntilSignal(
            bin + u"/kivo"_s,
            {"--profile", profile, "--bps", "38400", "--tcp", "127.0.0.1:5000", "--mode", "1"}, config));
        QCOMPARE(readFile(bin + u"/kivo.ini"_s), seed);
        QCOMPARE(readFile(config + u"/Kivo/Kivo.conf"_s), userConf);
        QCOMPARE(readFile(config + u"/Kivo/kivo.ini"_s), userList);
        QCOMPARE(readFile(profile + u"/kivo.ini"_s), seed);
        const QString conf = profile + u"/Kivo/Kivo.conf"_s;
        const QString first = u"Bps=9 WinSockPort=5000 IndicatorMode=1"_s;
        QCOMPARE(storedSettings(conf, first), first);

        QVERIFY(runUntilSignal(bin + u"/kivo"_s, {"--profile", profile, "--parity", "S"}, config));
        const QString second = u"Bps=9 Parity=4 COMMTYPE=TCP/IP"_s;
        QCOMPARE(storedSettings(conf, second), second);
        QCOMPARE(readFile(config + u"/Kivo/Kivo.conf"_s), userConf);
    }

    // The simulator on a pseudo-terminal (under a link name) or on a TCP port; kivo connects and
    // monitors from its command line alone. "%1" in kivo's arguments is the simulator's endpoint.
    void connectAndMonitorShowTheSimulatorsWeight_data()
    {
        DataTable<QString, QString> row("sim", "kivo");
        row("pseudo-terminal", "--rate 20 --weight 56.78 --pty %1",
            "--port %1 --bps 9600 --parity N --data-bits 8 --stop-bits 1 --recv-delay 0.01 --mode 0 "
            "--connect --monitor");
        row("tcp", "--rate 20 --weight 56.78 --tcp 0", "--tcp %1 --monitor");
    }
    void connectAndMonitorShowTheSimulatorsWeight()
    {
        const auto [sim, kivo] = fetch<QString, QString>("sim", "kivo");
        const QString tag = QString::fromLatin1(QTest::currentDataTag());
        const QString link = path(tag + u"-tty"_s);
        ChildProcess simulator(kSim, QProcess::splitCommand(QString(sim).replace(u"%1"_s, link)));
        QVERIFY(simulator.says(u"READY\n"_s));
        const QRegularExpression tcp(u"^TCP (127\\.0\\.0\\.1:\\d+)$"_s, QRegularExpression::MultilineOption);
        const QString endpoint = sim.contains("--tcp") ? tcp.match(simulator.out).captured(1) : link;
        QVERIFY2(!endpoint.isEmpty(), qPrintable(simulator.out));
        const QString profile = path(tag + u"-profile"_s);
        ChildProcess program(kKivo,
                             QStringList{"--profile", profile} + QProcess::splitCommand(kivo.arg(endpoint)),
                             {path(tag + u"-user"_s)});
        QVERIFY(program.says(u"WEIGHT 56.78\n"_s, 20000));
        QVERIFY(program.endWith(SIGTERM));
    }

    // What --help lists is the checked-in man page's test (manpages_current).
    void bothProgramsPrintTheLibrarysVersion()
    {
        ChildProcess kivo(kKivo, {"-v"}, {path(u"v"_s), "no-such-platform"}), sim(kSim, {"--version"});
        QVERIFY(kivo.exits(0) && sim.exits(0));
        const QString version = kivo::versionText(kivo::appVersion());
        QCOMPARE(kivo.out, u"kivo %1\n"_s.arg(version));
        QCOMPARE(sim.out, u"kivo-sim %1\n"_s.arg(version));
    }

    // A profile's folder holds both stores, so benches on one machine keep their settings apart.
    void profileHoldsBothStoresAndKeepsItsOwnListFile()
    {
        QTemporaryDir exe, root;
        QVERIFY(writeFile(exe.filePath("kivo.ini"), "seed"));
        const QString profile = root.filePath("a/b/bench-7");

        QCOMPARE(kivo::useProfile(profile, exe.path()), QString());
        QCOMPARE(kivo::listFilePath(), profile + "/kivo.ini");
        QCOMPARE(readFile(profile + "/kivo.ini"), QByteArray("seed"));
        QCOMPARE(QSettings(QSettings::NativeFormat, QSettings::UserScope, "Kivo", "Kivo").fileName(),
                 profile + "/Kivo/Kivo.conf");

        // A profile's own list file is never replaced by the seed.
        QVERIFY(writeFile(profile + "/kivo.ini", "edited"));
        QCOMPARE(kivo::useProfile(profile, exe.path()), QString());
        QCOMPARE(readFile(profile + "/kivo.ini"), QByteArray("edited"));
        // Back to this program's own stores.
        kivo::setListFilePathOverride(listFilePath());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, sandboxDir() + u"/config"_s);
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, sandboxDir() + u"/config"_s);
    }

    void unusableProfileFolderIsReportedNotIgnored()
    {
        QTemporaryDir root;
        QVERIFY(writeFile(root.filePath("file"), "x"));
        const QString error = kivo::useProfile(root.filePath("file/sub"), root.path());
        QVERIFY2(error.startsWith("kivo: --profile: "), qPrintable(error));
        QCOMPARE(kivo::listFilePath(), listFilePath());
    }
};

KIVO_TEST_MAIN(tst_CommandLine)
#include "tst_CommandLine.moc"
