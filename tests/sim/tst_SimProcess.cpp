#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <unistd.h>

// The real kivo-sim executable, as scripts and users run it.
class tst_SimProcess : public QObject
{
    Q_OBJECT
private slots:
    void badOptionsExitWithCodeTwo_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("nothing") << QStringList{};
        QTest::newRow("no endpoint") << QStringList{"--rate", "5"};
        QTest::newRow("unknown option") << QStringList{"--pty", "--speed", "9600"};
        QTest::newRow("stray word") << QStringList{"--tcp", "0", "fast"};
        QTest::newRow("port too big") << QStringList{"--tcp", "65536"};
        QTest::newRow("missing value") << QStringList{"--tcp"};
        QTest::newRow("layout") << QStringList{"--tcp", "0", "--layout", "12"};
        QTest::newRow("rate negative") << QStringList{"--tcp", "0", "--rate", "-3"};
        QTest::newRow("rate zero") << QStringList{"--tcp", "0", "--rate", "0"};
        QTest::newRow("rate word") << QStringList{"--tcp", "0", "--rate", "fast"};
        QTest::newRow("pattern") << QStringList{"--tcp", "0", "--pattern", "sine"};
        QTest::newRow("decimals") << QStringList{"--tcp", "0", "--decimals", "7"};
        QTest::newRow("frames zero") << QStringList{"--tcp", "0", "--frames", "0"};
        QTest::newRow("seconds negative") << QStringList{"--tcp", "0", "--seconds=-1"};
        QTest::newRow("weight too wide")
            << QStringList{"--tcp", "0", "--weight", "123456", "--decimals", "2"};
    }

    void badOptionsExitWithCodeTwo()
    {
        QFETCH(QStringList, arguments);
        QProcess sim;
        sim.start(QStringLiteral(KIVO_SIM_EXE), arguments);
        QVERIFY(sim.waitForFinished(5000));
        QCOMPARE(sim.exitStatus(), QProcess::NormalExit);
        QCOMPARE(sim.exitCode(), 2);
        const QByteArray error = sim.readAllStandardError();
        QVERIFY(error.startsWith("kivo-sim: "));
        QCOMPARE(error.count('\n'), 1);
        QVERIFY(sim.readAllStandardOutput().isEmpty());
    }

    void helpListsTheCommands()
    {
        QProcess sim;
        sim.start(QStringLiteral(KIVO_SIM_EXE), {"--help"});
        QVERIFY(sim.waitForFinished(5000));
        QCOMPARE(sim.exitCode(), 0);
        const QString help = QString::fromLocal8Bit(sim.readAllStandardOutput());
        for (const char *command : {"  Z ", "  T ", "  S ", "  W "})
            QVERIFY2(help.contains(QLatin1String(command)), command);
    }

    void signalStopsCleanlyAndRemovesLink_data()
    {
        QTest::addColumn<int>("signalNumber");
        QTest::newRow("SIGTERM") << int(SIGTERM);
        QTest::newRow("SIGINT") << int(SIGINT);
        QTest::newRow("SIGHUP") << int(SIGHUP);
    }

    void signalStopsCleanlyAndRemovesLink()
    {
        QFETCH(int, signalNumber);
        QTemporaryDir dir;
        const QString link = dir.filePath(QStringLiteral("ttyKIVO0"));
        QProcess sim;
        sim.start(QStringLiteral(KIVO_SIM_EXE), {"--pty", link, "--tcp", "0", "--rate", "50"});
        QByteArray out;
        QTRY_VERIFY((out += sim.readAllStandardOutput()).contains("READY\n"));
        const QRegularExpression start(
            QStringLiteral("^TCP 127\\.0\\.0\\.1:(\\d+)\nPTY (/dev/pts/\\d+)\nLINK (.+)\nREADY\n$"));
        const auto match = start.match(QString::fromLocal8Bit(out));
        QVERIFY2(match.hasMatch(), out.constData());
        QVERIFY(match.captured(1).toInt() > 0);
        QCOMPARE(match.captured(3), link);
        QCOMPARE(QFileInfo(link).symLinkTarget(), match.captured(2));

        QTest::qWait(300); // let the stream run before the signal ends it
        ::kill(pid_t(sim.processId()), signalNumber);
        QVERIFY(sim.waitForFinished(5000));
        QCOMPARE(sim.exitStatus(), QProcess::NormalExit);
        QCOMPARE(sim.exitCode(), 0);
        QVERIFY(!QFileInfo(link).isSymLink());
        const QString last =
            QString::fromLocal8Bit(sim.readAllStandardOutput()).trimmed().section(QLatin1Char('\n'), -1);
        const auto sent = QRegularExpression(QStringLiteral("^SENT (\\d+) frames$")).match(last);
        QVERIFY2(sent.hasMatch(), qPrintable(last));
        // Slots missed while the machine stalls the process are skipped, so only require a stream.
        QVERIFY(sent.captured(1).toInt() >= 1);
    }

    // Output piped into a reader that has gone (head): the run stops cleanly instead of dying on
    // SIGPIPE with its link left behind.
    void lostReaderStopsTheRunAndRemovesLink()
    {
        QTemporaryDir dir;
        const QString link = dir.filePath(QStringLiteral("ttyKIVO0"));
        int fds[2];
        QVERIFY(::pipe(fds) == 0);
        ::close(fds[0]);
        const int out = fds[1];
        QProcess sim;
        sim.setChildProcessModifier([out] { ::dup2(out, STDOUT_FILENO); });
        sim.start(QStringLiteral(KIVO_SIM_EXE), {"--pty", link, "--rate", "50"});
        const bool finished = sim.waitForFinished(5000);
        ::close(out);
        QVERIFY(finished);
        QCOMPARE(sim.exitStatus(), QProcess::NormalExit);
        QCOMPARE(sim.exitCode(), 0);
        QVERIFY(!QFileInfo(link).isSymLink());
    }

    // A mistyped link folder is refused like any bad option, and no folder is made for it.
    void linkIntoMissingFolderIsRefused()
    {
        QTemporaryDir dir;
        QProcess sim;
        sim.start(QStringLiteral(KIVO_SIM_EXE), {"--pty", dir.filePath(QStringLiteral("no/such/link"))});
        QVERIFY(sim.waitForFinished(5000));
        QCOMPARE(sim.exitCode(), 2);
        const QByteArray error = sim.readAllStandardError();
        QVERIFY(error.startsWith("kivo-sim: ") && error.count('\n') == 1);
        QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral("no"))));
    }

    void secondsLimitEndsTheRun()
    {
        QProcess sim;
        QElapsedTimer clock;
        clock.start();
        sim.start(QStringLiteral(KIVO_SIM_EXE), {"--pty", "--rate", "20", "--seconds", "0.5"});
        QVERIFY(sim.waitForFinished(5000));
        QVERIFY(clock.elapsed() < 3000);
        QCOMPARE(sim.exitCode(), 0);
        const QByteArray out = sim.readAllStandardOutput();
        // The first frame goes out at once, then one every 50 ms until the half second is up; a slot
        // missed while the machine stalls the process is skipped, never sent late or in excess.
        const auto sent =
            QRegularExpression(QStringLiteral("SENT (\\d+) frames\n$")).match(QString::fromLocal8Bit(out));
        QVERIFY2(sent.hasMatch(), out.constData());
        QVERIFY2(sent.captured(1).toInt() >= 5 && sent.captured(1).toInt() <= 11, out.constData());
    }
};
QTEST_GUILESS_MAIN(tst_SimProcess)
#include "tst_SimProcess.moc"
