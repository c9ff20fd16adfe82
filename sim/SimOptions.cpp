#include "SimOptions.h"

#include <QFileInfo>

#include <cmath>
#include <limits>

namespace kivosim {

qint64 SimOptions::targetCounts() const
{
    return std::llround(weight * std::pow(10.0, decimals));
}

namespace {

bool toInt(const QString &text, qint64 low, qint64 high, qint64 *value)
{
    bool ok = false;
    const qint64 number = text.toLongLong(&ok);
    if (!ok || number < low || number > high)
        return false;
    *value = number;
    return true;
}

bool toDouble(const QString &text, double low, double high, double *value)
{
    bool ok = false;
    const double number = text.toDouble(&ok);
    if (!ok || !std::isfinite(number) || number < low || number > high)
        return false;
    *value = number;
    return true;
}

} // namespace

ParsedOptions parseSimOptions(const QStringList &arguments)
{
    ParsedOptions parsed;
    SimOptions &o = parsed.options;
    bool layoutGiven = false;
    bool unitGiven = false;
    auto fail = [&parsed](const QString &message) {
        parsed.error = message + QStringLiteral(" (see --help)");
        return parsed;
    };

    for (int i = 0; i < arguments.size(); ++i) {
        QString name = arguments.at(i);
        QString value;
        bool hasInlineValue = false;
        if (name.startsWith(QLatin1String("--")) && name.contains(QLatin1Char('='))) {
            value = name.section(QLatin1Char('='), 1);
            name = name.section(QLatin1Char('='), 0, 0);
            hasInlineValue = true;
        }
        auto takeValue = [&]() -> bool {
            if (hasInlineValue)
                return true;
            if (i + 1 >= arguments.size())
                return false;
            value = arguments.at(++i);
            return true;
        };
        auto missing = [&]() { return fail(QStringLiteral("option %1 needs a value").arg(name)); };
        auto bad = [&](const QString &expected) {
            return fail(QStringLiteral("bad value '%1' for %2: expected %3").arg(value, name, expected));
        };

        if (name == QLatin1String("--help") || name == QLatin1String("-h")) {
            parsed.help = true;
        } else if (name == QLatin1String("--version") || name == QLatin1String("-v")) {
            parsed.version = true;
        } else if (name == QLatin1String("--tcp")) {
            qint64 port = 0;
            if (!takeValue())
                return missing();
            if (!toInt(value, 0, 65535, &port))
                return bad(QStringLiteral("a port 0-65535"));
            o.tcpPort = int(port);
        } else if (name == QLatin1String("--pty")) {
            o.pty = true;
            if (hasInlineValue)
                o.ptyLink = value;
            else if (i + 1 < arguments.size() && !arguments.at(i + 1).startsWith(QLatin1Char('-')))
                o.ptyLink = arguments.at(++i);
            if (hasInlineValue && value.isEmpty())
                return bad(QStringLiteral("a link path"));
            // The link goes into a folder that exists; a typo must not create a tree of folders.
            if (!o.ptyLink.isEmpty() && !QFileInfo(QFileInfo(o.ptyLink).absolutePath()).isDir())
                return fail(QStringLiteral("the folder of link %1 does not exist").arg(o.ptyLink));
        } else if (name == QLatin1String("--layout")) {
            if (!takeValue())
                return missing();
            if (value == QLatin1String("22"))
                o.layout = Layout::Bytes22;
            else if (value == QLatin1String("10"))
                o.layout = Layout::Bytes10;
            else if (value == QLatin1String("18"))
                o.layout = Layout::Bytes18;
            else
                return bad(QStringLiteral("22, 10 or 18"));
            layoutGiven = true;
        } else if (name == QLatin1String("--rate")) {
            if (!takeValue())
                return missing();
            if (value == QLatin1String("max"))
                o.rate = 0;
            else if (!toDouble(value, 0.01, 100000, &o.rate))
                return bad(QStringLiteral("frames per second 0.01-100000 or max"));
        } else if (name == QLatin1String("--pattern")) {
            if (!takeValue())
                return missing();
            if (!WeightPattern::fromName(value, &o.pattern))
                return bad(QStringLiteral("steady, ramp, noise, step, overload, cycle, gauss or steps"));
        } else if (name == QLatin1String("--weight")) {
            if (!takeValue())
                return missing();
            if (!toDouble(value, -1e7, 1e7, &o.weight))
                return bad(QStringLiteral("a number"));
        } else if (name == QLatin1String("--decimals")) {
            qint64 decimals = 0;
            if (!takeValue())
                return missing();
            if (!toInt(value, 0, 4, &decimals))
                return bad(QStringLiteral("0-4"));
            o.decimals = int(decimals);
        } else if (name == QLatin1String("--id")) {
            qint64 id = 0;
            if (!takeValue())
                return missing();
            if (!toInt(value, 0, 99, &id))
                return bad(QStringLiteral("0-99"));
            o.id = int(id);
        } else if (name == QLatin1String("--frames")) {
            if (!takeValue())
                return missing();
            if (!toInt(value, 1, std::numeric_limits<qint64>::max(), &o.frames))
                return bad(QStringLiteral("a count of 1 or more"));
        } else if (name == QLatin1String("--seconds")) {
            if (!takeValue())
                return missing();
            if (!toDouble(value, 0.001, 1e9, &o.seconds))
                return bad(QStringLiteral("seconds above 0"));
        } else if (name == QLatin1String("--sd")) {
            if (!takeValue())
                return missing();
            if (!toDouble(value, 0, 1e6, &o.shape.sdCounts))
                return bad(QStringLiteral("counts 0-1000000"));
        } else if (name == QLatin1String("--seed")) {
            qint64 seed = 0;
            if (!takeValue())
                return missing();
            if (!toInt(value, 0, 4294967295LL, &seed))
                return bad(QStringLiteral("0-4294967295"));
            o.seed = quint32(seed);
        } else if (name == QLatin1String("--settle")) {
            if (!takeValue())
                return missing();
            if (!toDouble(value, 0.05, 60, &o.shape.settleSeconds))
                return bad(QStringLiteral("seconds 0.05-60"));
        } else if (name == QLatin1String("--hold")) {
            if (!takeValue())
                return missing();
            if (!toDouble(value, 0.05, 600, &o.shape.holdSeconds))
                return bad(QStringLiteral("seconds 0.05-600"));
        } else if (name == QLatin1String("--replay")) {
            if (!takeValue())
                return missing();
            if (!QFileInfo(value).isFile())
                return bad(QStringLiteral("a recording made by kivo (File > Start Log, --log)"));
            o.replayFile = value;
        } else if (name == QLatin1String("--speed")) {
            if (!takeValue())
                return missing();
            if (!toDouble(value, 0.01, 1000, &o.speed))
                return bad(QStringLiteral("a factor 0.01-1000"));
        } else if (name == QLatin1String("--line")) {
            if (!takeValue())
                return missing();
            o.line = LineSetting::parse(value);
            if (!o.line)
                return bad(QStringLiteral("RATE,FRAMING: a standard bit rate and framing such as 2400,8N1 or "
                                          "9600,7E1"));
        } else if (name == QLatin1String("--protocol")) {
            if (!takeValue())
                return missing();
            if (!ProtocolFrames::protocolFromName(value, &o.protocol))
                return bad(QStringLiteral("toledo, sics, nci or sma"));
        } else if (name == QLatin1String("--unit")) {
            if (!takeValue())
                return missing();
            if (!ProtocolFrames::unitFromName(value, &o.unit))
                return bad(QStringLiteral("g, kg, lb, t or oz"));
            unitGiven = true;
        } else if (name == QLatin1String("--checksum")) {
            o.checksum = true;
        } else {
            return fail(QStringLiteral("unknown argument '%1'").arg(name));
        }
    }

    if (parsed.help || parsed.version)
        return parsed;
    if (o.tcpPort < 0 && !o.pty)
        return fail(QStringLiteral("no endpoint: give --tcp PORT and/or --pty [LINK]"));
    if (o.line && !o.pty)
        return fail(QStringLiteral("--line sets the pseudo-terminal's line: give --pty too"));
    if (layoutGiven && o.protocol != Protocol::None)
        return fail(QStringLiteral("--layout and --protocol exclude each other"));
    if (unitGiven && o.protocol == Protocol::None)
        return fail(QStringLiteral("--unit needs --protocol: the layouts always send kg"));
    if (o.checksum && o.protocol != Protocol::Toledo)
        return fail(QStringLiteral("--checksum needs --protocol toledo"));
    const qint64 loads = o.pattern == Pattern::Steps ? PatternShape::loads : 1;
    const bool protocol = o.protocol != Protocol::None;
    const qint64 limit = protocol ? ProtocolFrames::maxCounts : FrameBuilder::maxCounts(o.decimals);
    if (std::llabs(o.targetCounts()) * loads > limit)
        return fail(QStringLiteral("weight %1 with %2 decimals does not fit the %3 weight field")
                        .arg(o.weight)
                        .arg(o.decimals)
                        .arg(protocol ? QStringLiteral("6-digit") : QStringLiteral("8-character")));
    return parsed;
}

QString simVersionText()
{
    return QStringLiteral("kivo-sim " KIVO_VERSION_TEXT);
}

QString simHelpText()
{
    return QStringLiteral(
        "Usage: kivo-sim [--tcp PORT] [--pty [LINK]] [options]\n"
        "Simulates a weighing indicator that streams weight frames ending in CR LF.\n"
        "\n"
        "Endpoints (one or both):\n"
        "  --tcp PORT        listen on 127.0.0.1:PORT; every client gets the stream (0 = a free port)\n"
        "  --pty [LINK]      open a pseudo-terminal pair; with LINK also make a symbolic link to it\n"
        "\n"
        "Stream:\n"
        "  --layout 22|10|18 frame layout (default 22)\n"
        "                    22: ST,GS,01,<weight> kg CR LF  (status 1-2, weight 10-17)\n"
        "                    10: <weight> CR LF              (weight 1-8)\n"
        "                    18: ST,GS,<weight>kg CR LF      (status 1-2, weight 7-14)\n"
        "  --rate N|max      frames per second (default 10), or as fast as the links take them\n"
        "  --pattern NAME    steady, ramp, noise, step (settles from US to ST), overload (OL),\n"
        "                    cycle (empty, load, overload, empty; 12 s), gauss (normal noise of\n"
        "                    --sd counts, stable within 2 sd), steps (5 loads of W put on one by\n"
        "                    one, then all taken off; each swings --settle s, then holds --hold s)\n"
        "                    (default steady)\n"
        "  --sd COUNTS       gauss: standard deviation in counts of the last digit (default 2)\n"
        "  --seed N          noise and gauss: seed of the generator (default 1)\n"
        "  --settle S        steps: seconds a load swings before it settles (default 2)\n"
        "  --hold S          steps: seconds it then stays stable (default 1.5)\n"
        "  --weight W        target weight (default 12.34)\n"
        "  --decimals D      digits after the decimal point, 0-4 (default 2)\n"
        "  --id N            indicator id in the 22-byte frame, 0-99 (default 1)\n"
        "  --frames N        stop after sending N frames\n"
        "  --seconds S       stop after S seconds\n"
        "  --replay FILE     instead of frames, send the received (RX) bytes of a session log\n"
        "                    recorded by kivo, with their recorded timing, then stay quiet; starts\n"
        "                    at once on a pseudo-terminal, else when the first TCP client connects\n"
        "  --speed X         replay X times as fast (default 1)\n"
        "  --line RATE,FRAMING\n"
        "                    behave as a serial line set to RATE,FRAMING (2400,8N1, 9600,7E1):\n"
        "                    while the pseudo-terminal is set otherwise, send noise instead of\n"
        "                    frames and ignore what arrives (default: any setting reads frames)\n"
        "  --version         print the version and exit\n"
        "  --help            show this text\n"
        "\n"
        "Protocols (instead of a layout):\n"
        "  --protocol NAME   toledo: Toledo continuous output (STX, status A B C, weight, tare, CR),\n"
        "                    streamed at --rate and obeying the commands below;\n"
        "                    sics: MT-SICS, answers S (stable weight, S I when none in 3 s), SI,\n"
        "                    SIR (repeats at --rate until the next command), Z, T, @; ES to others;\n"
        "                    nci: answers W (weight, status bytes), S (status), Z, T; ? to others;\n"
        "                    sma: SMA level 1, answers LF W CR, LF Z CR, LF T CR; ? to others\n"
        "  --unit U          the unit the protocol sends: g, kg, lb, t or oz (default kg)\n"
        "  --checksum        toledo: send a checksum byte after each frame's CR\n"
        "\n"
        "Commands (bare, or framed by STX/ETX, with or without CR/LF; case does not matter):\n"
        "  Z                 zero: the present gross weight becomes 0\n"
        "  T                 tare: the present gross weight is taken off, frames say NT (net);\n"
        "                    T with nothing on the scale clears the tare\n"
        "  S                 stream off / on\n"
        "  W                 send one frame now (also while the stream is off)\n"
        "With --protocol sics, nci or sma the protocol's own commands apply (see above).\n"
        "\n"
        "Standard output: TCP 127.0.0.1:PORT, PTY /dev/pts/N, LINK PATH at start; CLIENT lines;\n"
        "RECV <from> HEX <bytes> TEXT <text> for every received piece; CMD lines;\n"
        "SENT N frames at exit. Bad options: exit code 2. SIGINT/SIGTERM stop cleanly.\n");
}

} // namespace kivosim
