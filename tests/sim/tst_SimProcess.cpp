#include "DataTable.h"

#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <csignal>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// The run ended by itself, within 5 s, with status 0.
bool endsCleanly(QProcess &sim)
{
    return sim.waitForFinished(5000) && sim.exitStatus() == QProcess::NormalExit && sim.exitCode() == 0;
}

// The count of the run's last line, "SENT n frames"; -1 without it.
int sentFrames(const QByteArray &out)
{
    const auto m = QRegularExpression(u"(^|\n)SENT (\\d+) frames\n$"_s).match(QString::fromLocal8Bit(out));
    return m.hasMatch() ? m.captured(2).toInt() : -1;
}

} // namespace

// The real kivo-sim executable, as scripts and users run it.
class tst_SimProcess : public QObject
{
    Q_OBJECT
private slots:
    void badOptionsExitWithCodeTwo_data()
    {
        kivotest::DataTable<QString> row("arguments");
        for (const char *line :
             {"", "--rate 5", "--pty --speed 9600", "--tcp 0 fast", "--tcp 65536", "--tcp",
              "--tcp 0 --layout 12", "--tcp 0 --rate -3", "--tcp 0 --rate 0", "--tcp 0 --rate fast",
              "--tcp 0 --pattern sine", "--tcp 0 --decimals 7", "--tcp 0 --frames 0", "--tcp 0 --seconds=-1",
              "--tcp 0 --weight 123456 --decimals 2", "--pty no/such/link", "--tcp 0 --line 9600,8N1",
              "--pty --line 2500,8N1", "--pty --line 9600",
              // The protocols: a unit or checksum they do not send, a weight beyond their six digits.
              "--tcp 0 --protocol mt", "--tcp 0 --unit lb", "--tcp 0 --protocol sics --unit st",
              "--tcp 0 --protocol sics --checksum", "--tcp 0 --checksum",
              "--tcp 0 --protocol nci --layout 10", "--tcp 0 --protocol toledo --weight 12345"})
            row(*line ? line : "nothing", line);
    }
    // A mistyped link folder is refused like any bad option, and no folder is made for it.
    void badOptionsExitWithCodeTwo()
    {
        QFETCH(QString, arguments);
        QTemporaryDir dir;
        QProcess sim;
        sim.setWorkingDirectory(dir.path());
        sim.start(QStringLiteral(KIVO_SIM_EXE), QProcess::splitCommand(arguments));
        QVERIFY(sim.waitForFinished(5000));
        QCOMPARE(sim.exitStatus(), QProcess::NormalExit);
        QCOMPARE(sim.exitCode(), 2);
        const QByteArray error = sim.readAllStandardError();
        QVERIFY(error.startsWith("kivo-sim: "));
        QCOMPARE(error.count('\n'), 1);
        QVERIFY(sim.readAllStandardOutput().isEmpty());
        QVERIFY(QDir(dir.path()).isEmpty());
    }

    void helpListsTheCommands()
    {
        QProcess sim;
        sim.start(QStringLiteral(KIVO_SIM_EXE), {"--help"});
        QVERIFY(endsCleanly(sim));
        const QString help = QString::fromLocal8Bit(sim.readAllStandardOutput());
        for (const char *command : {"  Z ", "  T ", "  S ", "  W "})
            QVERIFY2(help.contains(QLatin1String(command)), command);
    }

    void signalStopsCleanlyAndRemovesLink_data()
    {
        kivotest::DataTable<int> row("signalNumber");
        for (const int number : {SIGTERM, SIGINT, SIGHUP})
            row(u"SIG"_s + QLatin1String(sigabbrev_np(number)), number);
    }

    void signalStopsCleanlyAndRemovesLink()
    {
        QFETCH(int, signalNumber);
        QTemporaryDir dir;
        const QString link = dir.filePath(u"ttyKIVO0"_s);
        QProcess sim;
        sim.start(QStringLiteral(KIVO_SIM_EXE), {"--pty", link, "--tcp", "0", "--rate", "50"});
        QByteArray out;
        QTRY_VERIFY((out += sim.readAllStandardOutput()).contains("READY\n"));
        const QRegularExpression start(
            u"^TCP 127\\.0\\.0\\.1:(\\d+)\nPTY (/dev/pts/\\d+)\nLINK (.+)\nREADY\n$"_s);
        const auto match = start.match(QString::fromLocal8Bit(out));
        QVERIFY2(match.hasMatch(), out.constData());
        QVERIFY(match.captured(1).toInt() > 0);
        QCOMPARE(match.captured(3), link);
        QCOMPARE(QFileInfo(link).symLinkTarget(), match.captured(2));

        QTest::qWait(300); // let the stream run before the signal ends it
        ::kill(pid_t(sim.processId()), signalNumber);
        QVERIFY(endsCleanly(sim));
        QVERIFY(!QFileInfo(link).isSymLink());
        // Slots missed while the machine stalls the process are skipped, so only require a stream.
        out = sim.readAllStandardOutput();
        QVERIFY2(sentFrames(out) >= 1, out.constData());
    }

    // Output piped into a reader that has gone (head): the run stops cleanly instead of dying on
    // SIGPIPE with its link left behind.
    void lostReaderStopsTheRunAndRemovesLink()
    {
        QTemporaryDir dir;
        const QString link = dir.filePath(u"ttyKIVO0"_s);
        int fds[2];
        QVERIFY(::pipe(fds) == 0);
        ::close(fds[0]);
        const int out = fds[1];
        QProcess sim;
        sim.setChildProcessModifier([out] { ::dup2(out, STDOUT_FILENO); });
        sim.start(QStringLiteral(KIVO_SIM_EXE), {"--pty", link, "--rate", "50"});
        const bool clean = endsCleanly(sim);
        ::close(out);
        QVERIFY(clean);
        QVERIFY(!QFileInfo(link).isSymLink());
    }

    void secondsLimitEndsTheRun()
    {
        QProcess sim;
        QElapsedTimer clock;
        clock.start();
        sim.start(QStringLiteral(KIVO_SIM_EXE), {"--pty", "--rate", "20", "--seconds", "0.5"});
        QVERIFY(endsCleanly(sim));
        QVERIFY(clock.elapsed() < 3000);
        // The first frame goes out at once, then one every 50 ms until the half second is up; a slot
        // missed while the machine stalls the process is skipped, never sent late or in excess.
        const QByteArray out = sim.readAllStandardOutput();
        QVERIFY2(sentFrames(out) >= 5 && sentFrames(out) <= 11, out.constData());
    }
};
QTEST_GUILESS_MAIN(tst_SimProcess)
#include "tst_SimProcess.moc"
