#include "app/CloseOnSignal.h"
#include "app/CommandLine.h"
#include "app/CommandLineApply.h"
#include "app/DetectCommand.h"
#include "app/Profile.h"
#include "app/WeightTrace.h"
#include "app/frmMain.h"
#include "core/LocalTime.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char *argv[])
{
    // The command line is checked before the application object exists: --help, --version and a
    // bad option need no display and show no window.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const kivo::ParsedCommandLine parsed = kivo::parseCommandLine(arguments);
    if (parsed.exitCode) {
        std::fputs(parsed.text.toLocal8Bit().constData(), *parsed.exitCode == 0 ? stdout : stderr);
        return *parsed.exitCode;
    }
    if (parsed.options.detect)
        return kivo::runDetect(argc, argv, parsed.options);
    kivo::CloseOnSignal::install();
    kivo::settleLocalTimeZone();

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kivo"));
    QApplication::setOrganizationName(QStringLiteral("Kivo"));
    if (!parsed.options.profileDir.isEmpty()) {
        const QString error = kivo::useProfile(parsed.options.profileDir, QApplication::applicationDirPath());
        if (!error.isEmpty()) {
            std::fputs((error + QLatin1Char('\n')).toLocal8Bit().constData(), stderr);
            return 2;
        }
    }

    auto *window = new frmMain;
    window->setAttribute(Qt::WA_DeleteOnClose);
    new kivo::CloseOnSignal(*window);
    kivo::applyCommandLine(*window, window->data(), parsed.options);
    if (qEnvironmentVariableIsSet("KIVO_TRACE_WEIGHT"))
        kivo::traceWeight(*window);
    window->show();
    return QApplication::exec();
}
