#include "app/CommandLine.h"

#include "core/Version.h"
#include "monitor/FrameReaders.h"

#include <QCommandLineParser>

namespace kivo {

namespace CommandLineLists {

QStringList bps()
{
    return {QStringLiteral("110"),    QStringLiteral("300"),   QStringLiteral("600"),
            QStringLiteral("1200"),   QStringLiteral("2400"),  QStringLiteral("4800"),
            QStringLiteral("9600"),   QStringLiteral("14400"), QStringLiteral("19200"),
            QStringLiteral("38400"),  QStringLiteral("56000"), QStringLiteral("57600"),
            QStringLiteral("115200"), QStringLiteral("256000")};
}

QStringList parity()
{
    return {QStringLiteral("E"), QStringLiteral("M"), QStringLiteral("N"), QStringLiteral("O"),
            QStringLiteral("S")};
}

QStringList dataBits()
{
    return {QStringLiteral("8"), QStringLiteral("7"), QStringLiteral("6"), QStringLiteral("5"),
            QStringLiteral("4")};
}

QStringList stopBits()
{
    return {QStringLiteral("1"), QStringLiteral("1.5"), QStringLiteral("2")};
}

QStringList recvDelay()
{
    return {QStringLiteral("0"),    QStringLiteral("0.01"), QStringLiteral("0.02"), QStringLiteral("0.03"),
            QStringLiteral("0.04"), QStringLiteral("0.05"), QStringLiteral("0.06"), QStringLiteral("0.07"),
            QStringLiteral("0.08"), QStringLiteral("0.09"), QStringLiteral("0.1"),  QStringLiteral("0.2")};
}

QStringList tabs()
{
    return {QStringLiteral("ascii"), QStringLiteral("hexa"), QStringLiteral("both"),
            QStringLiteral("terminal")};
}

} // namespace CommandLineLists

namespace {

namespace Lists = CommandLineLists;

const QString kProgram = QStringLiteral("kivo");

struct OptionEntry
{
    const char *name;
    const char *valueName;
    const char *description;
};

// Every option with its value name and help line; the parser and the help text come from here.
const OptionEntry kOptions[] = {
    {"port", "DEV", "Serial port: a name from the port list or a device path (/dev/ttyUSB0)."},
    {"bps", "N",
     "Bit rate: 110, 300, 600, 1200, 2400, 4800, 9600, 14400, 19200, 38400, 56000, 57600, "
     "115200 or 256000."},
    {"parity", "E|M|N|O|S", "Parity: even, mark, none, odd or space."},
    {"data-bits", "4..8", "Data bits: 4, 5, 6, 7 or 8."},
    {"stop-bits", "1|1.5|2", "Stop bits."},
    {"recv-delay", "SECONDS", "Receive delay: 0, 0.01 to 0.09, 0.1 or 0.2."},
    {"tab", "ascii|hexa|both|terminal", "Traffic view to show."},
    {"tcp", "HOST:PORT", "Choose TCP/IP and monitor the indicator at HOST:PORT."},
    {"mode", "NAME|INDEX",
     "Monitoring layout: \"Orvan 22byte\" (0), \"Orvan 10byte\" (1), \"AND 18byte\" (2), "
     "\"Toledo continuous\" (3), \"MT-SICS\" (4), \"NCI\" (5), \"SMA\" (6) or \"Pattern\" (7, the pattern "
     "layout kept in kivo.ini)."},
    {"connect", nullptr, "Connect the serial port once the window is up."},
    {"monitor", nullptr, "Press Mon On once the window is up."},
    {"log", "FILE", "Record the session to FILE (appended to), as File > Start Log does."},
    {"readings-csv", "FILE", "Append every captured reading to the CSV file FILE as it is taken."},
    {"profile", "DIR",
     "Keep the settings and the list file kivo.ini in DIR (created if missing) instead of "
     "the user's own."},
    {"detect", nullptr,
     "Without a window, find the bit rate, framing and layout of the indicator on --port (or the "
     "stored port), print them on one line (19200,N,8,1 MT-SICS frames=12 time=2.4s) and exit: 0 "
     "found, 1 not found. Takes only --port and --profile."},
};

QString quotedList(const QStringList &values)
{
    return values.join(QStringLiteral(", "));
}

ParsedCommandLine exitWith(int code, const QString &text)
{
    ParsedCommandLine parsed;
    parsed.exitCode = code;
    parsed.text = text;
    return parsed;
}

ParsedCommandLine badValue(const QString &option, const QString &value, const QString &accepted)
{
    return exitWith(
        2, QStringLiteral("%1: --%2: '%3' is not accepted; use %4\n").arg(kProgram, option, value, accepted));
}

QString optionNames()
{
    QStringList names;
    for (const OptionEntry &o : kOptions)
        names << QStringLiteral("--") + QLatin1String(o.name);
    names << QStringLiteral("--version") << QStringLiteral("--help");
    return quotedList(names);
}

// The entry of a list that the value names; letters match in either case ("n" is parity N).
std::optional<QString> entryOf(const QStringList &entries, const QString &value)
{
    for (const QString &e : entries) {
        if (e.compare(value, Qt::CaseInsensitive) == 0)
            return e;
    }
    return std::nullopt;
}

std::optional<int> modeOf(const QString &value)
{
    const QStringList names = indicatorModeNames();
    bool isNumber = false;
    const int index = value.toInt(&isNumber);
    if (isNumber)
        return index >= 0 && index < names.size() ? std::optional<int>(index) : std::nullopt;
    const QString wanted = value.simplified();
    for (int i = 0; i < names.size(); ++i) {
        if (names.at(i).compare(wanted, Qt::CaseInsensitive) == 0)
            return i;
    }
    return std::nullopt;
}

// HOST:PORT, with an IPv6 host in brackets ([::1]:4001); the port is 1 to 65535.
std::optional<TcpEndpoint> endpointOf(const QString &value)
{
    const int colon = value.lastIndexOf(QLatin1Char(':'));
    if (colon <= 0)
        return std::nullopt;
    QString host = value.left(colon).trimmed();
    const QString port = value.mid(colon + 1).trimmed();
    if (host.startsWith(QLatin1Char('[')) && host.endsWith(QLatin1Char(']')))
        host = host.mid(1, host.size() - 2);
    bool ok = false;
    const int number = port.toInt(&ok);
    if (host.isEmpty() || host.contains(QLatin1Char(' ')) || !ok || number < 1 || number > 65535)
        return std::nullopt;
    return TcpEndpoint{host, QString::number(number)};
}

QString helpText()
{
    QString text = QStringLiteral("Usage: %1 [options]\n"
                                  "Kivo, a bench tool for weighing indicators: watch and send serial or TCP "
                                  "traffic and monitor the weight.\n"
                                  "Options choose in the window as the user would; shut-down stores them as "
                                  "usual.\n\nOptions:\n")
                       .arg(kProgram);
    auto line = [&text](const QString &left, const QString &description) {
        text += QStringLiteral("  %1").arg(left, -34) + QLatin1Char(' ') + description + QLatin1Char('\n');
    };
    for (const OptionEntry &o : kOptions) {
        QString left = QStringLiteral("--") + QLatin1String(o.name);
        if (o.valueName)
            left += QLatin1Char(' ') + QLatin1String(o.valueName);
        line(left, QLatin1String(o.description));
    }
    line(QStringLiteral("-v, --version"), QStringLiteral("Print the version and exit."));
    line(QStringLiteral("-h, --help"), QStringLiteral("Print this help and exit."));
    return text;
}

} // namespace

ParsedCommandLine parseCommandLine(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    for (const OptionEntry &o : kOptions) {
        QCommandLineOption option(QLatin1String(o.name), QLatin1String(o.description));
        if (o.valueName)
            option.setValueName(QLatin1String(o.valueName));
        parser.addOption(option);
    }
    parser.addOption(QCommandLineOption({QStringLiteral("v"), QStringLiteral("version")}, QString()));
    parser.addOption(QCommandLineOption({QStringLiteral("h"), QStringLiteral("help")}, QString()));

    if (!parser.parse(arguments)) {
        // The parser's own wording names the option ("Unknown option 'x'.", "Missing value after
        // '--bps'."); the accepted options follow on the same line.
        QString reason = parser.errorText();
        if (reason.endsWith(QLatin1Char('.')))
            reason.chop(1);
        return exitWith(2, QStringLiteral("%1: %2; options: %3\n").arg(kProgram, reason, optionNames()));
    }
    if (!parser.positionalArguments().isEmpty())
        return exitWith(2, QStringLiteral("%1: unexpected argument '%2'; options: %3\n")
                               .arg(kProgram, parser.positionalArguments().constFirst(), optionNames()));
    if (parser.isSet(QStringLiteral("help")))
        return exitWith(0, helpText());
    if (parser.isSet(QStringLiteral("version")))
        return exitWith(0, QStringLiteral("%1 %2\n").arg(kProgram, versionText(appVersion())));

    ParsedCommandLine parsed;
    CommandLineOptions &o = parsed.options;
    // The last occurrence of an option given twice wins, as in most tools.
    auto value = [&parser](const char *name) -> std::optional<QString> {
        const QStringList values = parser.values(QLatin1String(name));
        if (values.isEmpty())
            return std::nullopt;
        return values.constLast();
    };
    struct ListOption
    {
        const char *name;
        QStringList entries;
        std::optional<QString> *target;
    };
    const ListOption lists[] = {
        {"bps", Lists::bps(), &o.bps},
        {"parity", Lists::parity(), &o.parity},
        {"data-bits", Lists::dataBits(), &o.dataBits},
        {"stop-bits", Lists::stopBits(), &o.stopBits},
        {"recv-delay", Lists::recvDelay(), &o.recvDelay},
    };
    for (const ListOption &list : lists) {
        const auto v = value(list.name);
        if (!v)
            continue;
        *list.target = entryOf(list.entries, v->trimmed());
        if (!*list.target)
            return badValue(QLatin1String(list.name), *v,
                            QStringLiteral("one of ") + quotedList(list.entries));
    }

    if (const auto v = value("port")) {
        if (v->trimmed().isEmpty())
            return badValue(QStringLiteral("port"), *v, QStringLiteral("a port name or a device path"));
        o.port = v->trimmed();
    }
    if (const auto v = value("tab")) {
        const int index = Lists::tabs().indexOf(v->trimmed().toLower());
        if (index < 0)
            return badValue(QStringLiteral("tab"), *v, QStringLiteral("one of ") + quotedList(Lists::tabs()));
        o.tab = ViewTab(index + 1);
    }
    if (const auto v = value("tcp")) {
        o.tcp = endpointOf(*v);
        if (!o.tcp)
            return badValue(QStringLiteral("tcp"), *v,
                            QStringLiteral("HOST:PORT with a port from 1 to 65535"));
    }
    if (const auto v = value("mode")) {
        o.mode = modeOf(*v);
        if (!o.mode) {
            QStringList accepted;
            const QStringList names = indicatorModeNames();
            for (int i = 0; i < names.size(); ++i)
                accepted << QStringLiteral("\"%1\" or %2").arg(names.at(i)).arg(i);
            return badValue(QStringLiteral("mode"), *v, QStringLiteral("one of ") + quotedList(accepted));
        }
    }
    if (const auto v = value("profile")) {
        if (v->trimmed().isEmpty())
            return badValue(QStringLiteral("profile"), *v, QStringLiteral("a folder"));
        o.profileDir = *v;
    }
    if (const auto v = value("log")) {
        if (v->trimmed().isEmpty())
            return badValue(QStringLiteral("log"), *v, QStringLiteral("a file name"));
        o.logFile = *v;
    }
    if (const auto v = value("readings-csv")) {
        if (v->trimmed().isEmpty())
            return badValue(QStringLiteral("readings-csv"), *v, QStringLiteral("a file name"));
        o.readingsCsv = *v;
    }
    o.connect = parser.isSet(QStringLiteral("connect"));
    o.monitor = parser.isSet(QStringLiteral("monitor"));
    o.detect = parser.isSet(QStringLiteral("detect"));
    if (o.detect) {
        for (const OptionEntry &entry : kOptions) {
            const QLatin1String name(entry.name);
            if (name != QLatin1String("detect") && name != QLatin1String("port") &&
                name != QLatin1String("profile") && parser.isSet(name))
                return exitWith(2,
                                QStringLiteral("%1: --detect finds the settings itself; it takes only --port "
                                               "and --profile, not --%2\n")
                                    .arg(kProgram, name));
        }
    }
    if (o.connect && o.tcp)
        return exitWith(
            2, QStringLiteral("%1: --connect opens the serial port and --tcp chooses TCP/IP; use one "
                              "of them\n")
                   .arg(kProgram));
    return parsed;
}

} // namespace kivo
