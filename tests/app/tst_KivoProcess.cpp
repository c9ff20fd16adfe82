#include "KivoTest.h"

#include <QProcess>
#include <QSettings>

#include <csignal>
#include <memory>

// kivo run as a process, headless (offscreen), the way a desktop shortcut or a script starts it.
// KIVO_TRACE_WEIGHT makes it print the weight display's text; its first line says the window is up.

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
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QString::fromLatin1(platform));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), userConfig);
        env.insert(QStringLiteral("KIVO_TRACE_WEIGHT"), QStringLiteral("1"));
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

QString storedSetting(const QString &confFile, const QString &key)
{
    QSettings s(confFile, QSettings::IniFormat);
    return s.value(QStringLiteral("Setting/") + key).toString();
}

QByteArray bytesOf(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
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
        QTest::addColumn<QString>("line");
        QTest::addColumn<int>("signalNumber");
        QTest::addColumn<QStringList>("stored");
        const auto row = [](const char *tag, const char *line, int signalNumber, const char *stored) {
            QTest::newRow(tag) << QString(line) << signalNumber << QString(stored).split(u' ');
        };
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
        QFETCH(QString, line);
        QFETCH(int, signalNumber);
        QFETCH(QStringList, stored);
        const QString config = path(QStringLiteral("signal-%1").arg(QTest::currentDataTag()));
        Run kivo(kKivo, QProcess::splitCommand(line), config);
        QTRY_VERIFY_WITH_TIMEOUT(kivo.out.startsWith(QLatin1String("WEIGHT ")), 20000);
        QVERIFY(kivo.endWith(signalNumber));
        const QString conf = config + QStringLiteral("/Kivo/Kivo.conf");
        for (const QString &pair : stored) {
            const QString key = pair.section(QLatin1Char('='), 0, 0);
            QCOMPARE(key + QLatin1Char('=') + storedSetting(conf, key), pair);
        }
    }

    void badCommandLineExitsTwoBeforeAnyWindow_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("named");
        const auto row = [](const char *tag, const char *a, const QString &b) {
            QTest::newRow(tag) << QString(a) << b;
        };
        for (const char *line : {"--bps 1234", "--parity Q", "--data-bits 3", "--stop-bits 0",
                                 "--recv-delay 1", "--tab list", "--tcp localhost", "--mode 7"})
            row(line, line, QString(line).section(u' ', 0, 0));
        row("unknown option", "--speed 9600", "speed");
        row("missing value", "--port", "--port");
    }
    // The platform plugin named does not exist: had kivo gone on to make its application object
    // (and a window), Qt would abort instead of the exit with status 2.
    void badCommandLineExitsTwoBeforeAnyWindow()
    {
        QFETCH(QString, line);
        QFETCH(QString, named);
        Run kivo(kKivo, QProcess::splitCommand(line), path(QStringLiteral("bad")), "no-such-platform");
        QVERIFY(kivo.process->waitForFinished(10000));
        QCOMPARE(std::pair(kivo.process->exitStatus(), kivo.process->exitCode()),
                 std::pair(QProcess::NormalExit, 2));
        const QString err = QString::fromLocal8Bit(kivo.process->readAllStandardError());
        QVERIFY2(err.count(QLatin1Char('\n')) == 1 && err.endsWith(QLatin1Char('\n')), qPrintable(err));
        QVERIFY2(err.contains(named), qPrintable(err));
        QVERIFY(kivo.out.isEmpty());
        QVERIFY(!QFileInfo::exists(path(QStringLiteral("bad/Kivo"))));
    }
    void goodCommandLineDoesReachTheWindow()
    {
        Run kivo(kKivo, {"--bps", "9600"}, path(QStringLiteral("bad")), "no-such-platform");
        QVERIFY(kivo.process->waitForFinished(10000));
        QVERIFY(kivo.process->exitStatus() == QProcess::CrashExit || kivo.process->exitCode() != 2);
    }

    // The user's settings store and list file keep every byte; the profile gets its own, seeded
    // from the list file beside the program, and a second start reads the profile's choices back.
    void profileLeavesTheUsersStoresUntouched()
    {
        const QString bin = path(QStringLiteral("install/bin"));
        QVERIFY(QDir().mkpath(bin));
        QVERIFY(QFile::copy(kKivo, bin + QStringLiteral("/kivo")));
        const QByteArray seed = "[FuncKeyCap]\r\nString1=SEED\r\n";
        const QByteArray userConf = "[Setting]\nBps=3\nWinSockPort=77\n";
        const QByteArray userList = "[FuncKeyCap]\r\nString1=MINE\r\n";
        const QString config = path(QStringLiteral("user-config"));
        QVERIFY(writeFile(bin + QStringLiteral("/kivo.ini"), seed));
        QVERIFY(writeFile(config + QStringLiteral("/Kivo/Kivo.conf"), userConf));
        QVERIFY(writeFile(config + QStringLiteral("/Kivo/kivo.ini"), userList));
        const QString profile = path(QStringLiteral("profiles/bench-1"));

        {
            Run kivo(bin + QStringLiteral("/kivo"),
                     {"--profile", profile, "--bps", "38400", "--tcp", "127.0.0.1:5000", "--mode", "1"},
                     config);
            QTRY_VERIFY_WITH_TIMEOUT(kivo.out.startsWith(QLatin1String("WEIGHT ")), 20000);
            QVERIFY(kivo.endWith(SIGTERM));
        }
        QCOMPARE(bytesOf(bin + QStringLiteral("/kivo.ini")), seed);
        QCOMPARE(bytesOf(config + QStringLiteral("/Kivo/Kivo.conf")), userConf);
        QCOMPARE(bytesOf(config + QStringLiteral("/Kivo/kivo.ini")), userList);
        QCOMPARE(bytesOf(profile + QStringLiteral("/kivo.ini")), seed);
        const QString conf = profile + QStringLiteral("/Kivo/Kivo.conf");
        QCOMPARE(storedSetting(conf, "Bps"), QStringLiteral("9"));
        QCOMPARE(storedSetting(conf, "WinSockPort"), QStringLiteral("5000"));
        QCOMPARE(storedSetting(conf, "IndicatorMode"), QStringLiteral("1"));

        {
            Run again(bin + QStringLiteral("/kivo"), {"--profile", profile, "--parity", "S"}, config);
            QTRY_VERIFY_WITH_TIMEOUT(again.out.startsWith(QLatin1String("WEIGHT ")), 20000);
            QVERIFY(again.endWith(SIGTERM));
        }
        QCOMPARE(storedSetting(conf, "Bps"), QStringLiteral("9"));
        QCOMPARE(storedSetting(conf, "Parity"), QStringLiteral("4"));
        QCOMPARE(storedSetting(conf, "COMMTYPE"), QStringLiteral("TCP/IP"));
        QCOMPARE(bytesOf(config + QStringLiteral("/Kivo/Kivo.conf")), userConf);
    }

    void connectAndMonitorShowTheWeightFromAPseudoTerminal()
    {
        const QString link = path(QStringLiteral("ttyKIVO"));
        Run sim(kSim, {"--pty", link, "--rate", "20", "--weight", "56.78"}, path(QStringLiteral("sim")));
        QTRY_VERIFY_WITH_TIMEOUT(sim.shows(QStringLiteral("READY")), 10000);
        Run kivo(kKivo,
                 {"--profile", path(QStringLiteral("pty-profile")), "--port", link, "--bps", "9600",
                  "--parity", "N", "--data-bits", "8", "--stop-bits", "1", "--recv-delay", "0.01", "--mode",
                  "0", "--connect", "--monitor"},
                 path(QStringLiteral("pty-user")));
        QTRY_VERIFY_WITH_TIMEOUT(kivo.shows(QStringLiteral("WEIGHT 56.78")), 20000);
        QVERIFY(kivo.endWith(SIGTERM));
        QCOMPARE(storedSetting(path(QStringLiteral("pty-profile/Kivo/Kivo.conf")), "PortName"), link);
    }

    void tcpWithMonitorShowsTheWeightFromTheSimulatorsPort()
    {
        Run sim(kSim, {"--tcp", "0", "--rate", "20", "--weight", "43.21"}, path(QStringLiteral("sim")));
        QTRY_VERIFY_WITH_TIMEOUT(sim.shows(QStringLiteral("READY")), 10000);
        const QRegularExpression tcp(QStringLiteral("^TCP (127\\.0\\.0\\.1:\\d+)$"),
                                     QRegularExpression::MultilineOption);
        const QString endpoint = tcp.match(sim.out).captured(1);
        QVERIFY2(!endpoint.isEmpty(), qPrintable(sim.out));
        Run kivo(kKivo, {"--profile", path(QStringLiteral("tcp-profile")), "--tcp", endpoint, "--monitor"},
                 path(QStringLiteral("tcp-user")));
        QTRY_VERIFY_WITH_TIMEOUT(kivo.shows(QStringLiteral("WEIGHT 43.21")), 20000);
        QVERIFY(kivo.endWith(SIGTERM));
    }

    void bothProgramsPrintTheSameVersion()
    {
        Run kivo(kKivo, {"--version"}, path(QStringLiteral("v")), "no-such-platform");
        Run sim(kSim, {"--version"}, path(QStringLiteral("v")));
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
