#include "app/DetectCommand.h"

#include "app/Profile.h"
#include "core/Conversions.h"
#include "core/ListFileLocation.h"
#include "core/SettingsKeys.h"
#include "core/SettingsStore.h"
#include "detect/SerialProbePort.h"
#include "link/PortNames.h"
#include "monitor/MonitorOptions.h"

#include <QCoreApplication>
#include <QSerialPortInfo>
#include <QTimer>

#include <cstdio>

namespace kivo {

namespace {

void print(FILE *stream, const QString &line)
{
    std::fputs((line + QLatin1Char('\n')).toLocal8Bit().constData(), stream);
    std::fflush(stream);
}

// The port the window would choose at start: the stored name, or the stored index into the
// machine's ports in the order the port list shows them.
QString storedPort()
{
    const QString name = ReadSetting(QString(SettingsKeys::PortName), {});
    if (!name.isEmpty())
        return name;
    QStringList ports;
    for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts())
        ports << info.portName();
    ports = PortNames::sortedNaturally(ports);
    const auto index = toInt16(ReadSetting(QString(SettingsKeys::Port), QStringLiteral("-1")));
    return index && *index >= 0 && *index < ports.size() ? ports.at(*index) : QString();
}

QString seconds(qint64 ms)
{
    return QString::number(ms / 1000.0, 'f', 1) + QLatin1Char('s');
}

} // namespace

QString detectLine(const FindResult &result)
{
    return QStringLiteral("%1 %2 frames=%3 time=%4")
        .arg(result.settingsText(), result.layoutName)
        .arg(result.frames)
        .arg(seconds(result.elapsedMs));
}

int runDetect(int &argc, char **argv, const CommandLineOptions &options)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Kivo"));
    QCoreApplication::setOrganizationName(QStringLiteral("Kivo"));
    if (!options.profileDir.isEmpty()) {
        const QString error = useProfile(options.profileDir, QCoreApplication::applicationDirPath());
        if (!error.isEmpty()) {
            print(stderr, error);
            return 2;
        }
    }
    const QString port = options.port ? *options.port : storedPort();
    if (port.isEmpty()) {
        print(stderr, QStringLiteral("kivo: --detect: no port is given and none is stored; use --port DEV"));
        return 2;
    }

    SerialProbePort probe(port);
    // The user's own pattern layout is tried with the built-in ones.
    SettingsFinder finder(probe, loadMonitorOptions(listFilePath()).pattern);
    QObject::connect(&finder, &SettingsFinder::finished, &app, [](const FindResult &result) {
        if (result.found) {
            print(stdout, detectLine(result));
        } else {
            print(stdout, QStringLiteral("no indicator found tries=%1 time=%2")
                              .arg(result.tries.size())
                              .arg(seconds(result.elapsedMs)));
            if (!result.error.isEmpty())
                print(stderr, QStringLiteral("kivo: --detect: ") + result.error);
        }
        QCoreApplication::exit(result.found ? 0 : 1);
    });
    QTimer::singleShot(0, &finder, &SettingsFinder::start);
    return QCoreApplication::exec();
}

} // namespace kivo
