#include "SignalPipe.h"
#include "SimOptions.h"
#include "Simulator.h"

#include <QCoreApplication>

#include <cstdio>

// Lines go out one by one and unbuffered, so a script or a test reading the pipe sees each at once.
// Returns false when the line could not be written (the reader has gone).
static bool printLine(FILE *stream, const QString &line)
{
    const bool written = std::fputs((line + QLatin1Char('\n')).toLocal8Bit().constData(), stream) >= 0;
    return std::fflush(stream) == 0 && written;
}

int main(int argc, char *argv[])
{
    kivosim::SignalPipe::install();
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("kivo-sim"));

    const kivosim::ParsedOptions parsed = kivosim::parseSimOptions(app.arguments().mid(1));
    if (!parsed.error.isEmpty()) {
        printLine(stderr, QStringLiteral("kivo-sim: ") + parsed.error);
        return 2;
    }
    if (parsed.version) {
        printLine(stdout, kivosim::simVersionText());
        return 0;
    }
    if (parsed.help) {
        std::fputs(kivosim::simHelpText().toLocal8Bit().constData(), stdout);
        return 0;
    }

    kivosim::SignalPipe signalPipe;
    kivosim::Simulator simulator(parsed.options);
    // With nobody left to read the output, the run ends as on SIGTERM.
    QObject::connect(&simulator, &kivosim::Simulator::output, &app, [&simulator](const QString &line) {
        if (!printLine(stdout, line))
            simulator.stop();
    });
    QObject::connect(&simulator, &kivosim::Simulator::finished, &app, [] { QCoreApplication::exit(0); });
    QObject::connect(&signalPipe, &kivosim::SignalPipe::caught, &simulator, &kivosim::Simulator::stop);

    QString error;
    if (!simulator.start(&error)) {
        printLine(stderr, QStringLiteral("kivo-sim: ") + error);
        return 1;
    }
    return app.exec();
}
