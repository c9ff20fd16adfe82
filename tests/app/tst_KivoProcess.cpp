#include "KivoTest.h"

#include <QProcess>
#include <QSettings>

#include <csignal>
#include <memory>

// kivo run as a process, headless (offscreen), the way a desktop shortcut or a script starts it.
// KIVO_TRACE_WEIGHT makes it print the weight display's text; its first line says the window is up.

using namespace kivotest;

namespace {

const QString kKivo = QStringLiteral(KIVO_EXE);
const QString kSim = QStringLiteral(KIVO_SIM_EXE);

struct Run
{
    std::unique_ptr<QProcess> process = std::make_unique<QProcess>();
    QString out;

    Run(const QString &program, const QStringList &arguments, const QString &userConfig,
        const QByteArray &platform = "offscreen")
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"QT_QPA_PLATFORM"_s, QString::fromLatin1(platform));
        env.insert(u"XDG_CONFIG_HOME"_s, userConfig);
        env.insert(u"KIVO_TRACE_WEIGHT"_s, u"1"_s);
        process->setProcessEnvironment(env);
        QObject::connect(process.get(), &QProcess::readyReadStandardOutput, process.get(),
                         [this] { out += QString::fromLocal8Bit(process->readAllStandardOutput()); });
        process->start(program, arguments);
    }
    ~Run()
    {
        if (process->state() != QProcess::NotRunning) {
            process->kill();
            process->waitForFinished(5000);
        }
    }
    [[nodiscard]] bool shows(const QString &line) const
    {
        return out.split(QLatin1Char('\n')).contains(line);
    }
    // Sends the signal and waits for a clean end.
    [[nodiscard]] bool endWith(int signalNumber)
    {
        ::kill(pid_t(process->processId()), signalNumber);
        return process->waitForFinished(10000) && process->exitStatus() == QProcess::NormalExit &&
               process->exitCode() == 0;
    }
};

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

class tst_KivoProcess : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    QString path(const QString &name) const { return m_dir.filePath(name); }

private slots:
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
        row("tab ascii, stop bits 1.5, SIGTERM", "--tab ascii --stop-bits 1.5 --bps 110 --recv-delay 0",
            SIGTERM, "ViewMode=1 StopBit=1 Bps=0 RecvDelay=0 COMMTYPE=RS232");
    }
    void shutDownOnSignalStoresTheOptionsChoices()
    {
        const auto [line, signalNumber, stored] =
            fetch<QString, int, QString>("line", "signalNumber", "stored");
        const QString config = path(u"signal-%1"_s.arg(QTest::currentDataTag()));
        Run kivo(kKivo, QProcess::splitCommand(line), config);
        QTRY_VERIFY_WITH_TIMEOUT(kivo.out.startsWith(QLatin1String("WEIGHT ")), 20000);
        QVERIFY(kivo.endWith(signalNumber));
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
        Run kivo(kKivo, QProcess::splitCommand(line), path(u"bad"_s), "no-such-platform");
        QVERIFY(kivo.process->waitForFinished(10000));
        const bool exitedTwo =
            kivo.process->exitStatus() == QProcess::NormalExit && kivo.process->exitCode() == 2;
        QCOMPARE(exitedTwo, !named.isEmpty());
        if (!exitedTwo)
            return;
        const QString err = QString::fromLocal8Bit(kivo.process->readAllStandardError());
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
        QVERIFY(QDir().mkpath(bin));
        QVERIFY(QFile::copy(kKivo, bin + u"/kivo"_s));
        const QByteArray seed = "[FuncKeyCap]\r\nString1=SEED\r\n";
        const QByteArray userConf = "[Setting]\nBps=3\nWinSockPort=77\n";
        const QByteArray userList = "[FuncKeyCap]\r\nString1=MINE\r\n";
        const QString config = path(u"user-config"_s);
        QVERIFY(writeFile(bin + u"/kivo.ini"_s, seed));
        QVERIFY(writeFile(config + u"/Kivo/Kivo.conf"_s, userConf));
        QVERIFY(writeFile(config + u"/Kivo/kivo.ini"_s, userList));
        const QString profile = path(u"profiles/bench-1"_s);

        {
            Run kivo(bin + u"/kivo"_s,
                     {"--profile", profile, "--bps", "38400", "--tcp", "127.0.0.1:5000", "--mode", "1"},
                     config);
            QTRY_VERIFY_WITH_TIMEOUT(kivo.out.startsWith(QLatin1String("WEIGHT ")), 20000);
            QVERIFY(kivo.endWith(SIGTERM));
        }
        QCOMPARE(readFile(bin + u"/kivo.ini"_s), seed);
        QCOMPARE(readFile(config + u"/Kivo/Kivo.conf"_s), userConf);
        QCOMPARE(readFile(config + u"/Kivo/kivo.ini"_s), userList);
        QCOMPARE(readFile(profile + u"/kivo.ini"_s), seed);
        const QString conf = profile + u"/Kivo/Kivo.conf"_s;
        const QString first = u"Bps=9 WinSockPort=5000 IndicatorMode=1"_s;
        QCOMPARE(storedSettings(conf, first), first);

        {
            Run again(bin + u"/kivo"_s, {"--profile", profile, "--parity", "S"}, config);
            QTRY_VERIFY_WITH_TIMEOUT(again.out.startsWith(QLatin1String("WEIGHT ")), 20000);
            QVERIFY(again.endWith(SIGTERM));
        }
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
        Run simulator(kSim, QProcess::splitCommand(QString(sim).replace(QLatin1String("%1"), link)),
                      path(tag + u"-sim"_s));
        QTRY_VERIFY_WITH_TIMEOUT(simulator.shows(u"READY"_s), 10000);
        const QRegularExpression tcp(u"^TCP (127\\.0\\.0\\.1:\\d+)$"_s, QRegularExpression::MultilineOption);
        const QString endpoint = sim.contains("--tcp") ? tcp.match(simulator.out).captured(1) : link;
        QVERIFY2(!endpoint.isEmpty(), qPrintable(simulator.out));
        const QString profile = path(tag + u"-profile"_s);
        Run program(kKivo, QStringList{"--profile", profile} + QProcess::splitCommand(kivo.arg(endpoint)),
                    path(tag + u"-user"_s));
        QTRY_VERIFY_WITH_TIMEOUT(program.shows(u"WEIGHT 56.78"_s), 20000);
        QVERIFY(program.endWith(SIGTERM));
        if (!sim.contains("--tcp"))
            QCOMPARE(storedSettings(profile + u"/Kivo/Kivo.conf"_s, "PortName=" + link), "PortName=" + link);
    }

    void bothProgramsPrintTheSameVersion()
    {
        Run kivo(kKivo, {"--version"}, path(u"v"_s), "no-such-platform");
        Run sim(kSim, {"--version"}, path(u"v"_s));
        QVERIFY(kivo.process->waitForFinished(10000) && sim.process->waitForFinished(10000));
        QCOMPARE(kivo.process->exitCode() + sim.process->exitCode(), 0);
        kivo.out += QString::fromLocal8Bit(kivo.process->readAllStandardOutput());
        sim.out += QString::fromLocal8Bit(sim.process->readAllStandardOutput());
        QVERIFY2(kivo.out.startsWith(QLatin1String("kivo ")), qPrintable(kivo.out));
        QVERIFY2(sim.out.startsWith(QLatin1String("kivo-sim ")), qPrintable(sim.out));
        QCOMPARE(kivo.out.section(QLatin1Char(' '), 1), sim.out.section(QLatin1Char(' '), 1));
    }
};

KIVO_TEST_MAIN(tst_KivoProcess)
#include "tst_KivoProcess.moc"
