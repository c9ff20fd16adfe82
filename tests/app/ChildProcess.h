#pragma once

// A program of the build run as a child process, the way a script or a desktop shortcut starts it:
// headless unless told otherwise, with a settings store of its own (XDG_CONFIG_HOME), printing the
// weight display's text (KIVO_TRACE_WEIGHT). Its standard output is gathered while the test waits;
// a run still going when the test ends is killed.

#include <QProcess>
#include <QtTest>

#include <csignal>
#include <functional>

// How a child process runs: its settings store, its platform plugin, its working folder, and what
// runs in the child before the program starts.
struct ChildSetup
{
    QString config;
    QByteArray platform = "offscreen";
    QString workingDir;
    std::function<void()> inChild;
};

struct ChildProcess
{
    QProcess process;
    QString out;

    ChildProcess(const QString &program, const QStringList &arguments, const ChildSetup &setup = {})
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QString::fromLatin1(setup.platform));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), setup.config);
        env.insert(QStringLiteral("KIVO_TRACE_WEIGHT"), QStringLiteral("1"));
        process.setProcessEnvironment(env);
        process.setWorkingDirectory(setup.workingDir);
        if (setup.inChild)
            process.setChildProcessModifier(setup.inChild);
        QObject::connect(&process, &QProcess::readyReadStandardOutput, &process,
                         [this] { out += QString::fromLocal8Bit(process.readAllStandardOutput()); });
        process.start(program, arguments);
    }
    ~ChildProcess()
    {
        process.kill();
        process.waitForFinished(5000);
    }
    ChildProcess(const ChildProcess &) = delete;
    ChildProcess &operator=(const ChildProcess &) = delete;

    // The output shows the text within ms.
    [[nodiscard]] bool says(const QString &text, int ms = 10000)
    {
        return QTest::qWaitFor([&] { return out.contains(text); }, ms);
    }
    // The run, once started, ends by itself within ms with that exit status.
    [[nodiscard]] bool exits(int status, int ms = 10000)
    {
        return QTest::qWaitFor([this] { return process.state() == QProcess::NotRunning; }, ms) &&
               process.error() != QProcess::FailedToStart && process.exitStatus() == QProcess::NormalExit &&
               process.exitCode() == status;
    }
    // Sends the signal and waits for a clean end.
    [[nodiscard]] bool endWith(int signalNumber)
    {
        ::kill(pid_t(process.processId()), signalNumber);
        return exits(0);
    }
    [[nodiscard]] QString err() { return QString::fromLocal8Bit(process.readAllStandardError()); }
};
