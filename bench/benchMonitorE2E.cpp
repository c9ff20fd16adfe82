// End to end: kivo-sim streams weight frames into the real main window with monitoring on and
// the "Both" tab selected, once over loopback TCP and once over a pseudo-terminal. Prints, per
// link, the frames the simulator sent, the frames the window found, the bytes the collector
// dropped and this process's CPU time as a share of one core.
//
//   benchMonitorE2E [--sim PATH] [--rate FPS] [--seconds S] [--link tcp|pty|both] [--tab 1-4]
//                   [--no-monitor] [--paints] [--shot FILE] [--sample S]
//
// With --sample, the resident memory and the open descriptors are printed every S seconds, and
// at the end their spread from the fifth minute on (a soak: bench/soak.sh).
//
// The simulator starts streaming at once; over TCP it counts only frames a client received, and
// over the pseudo-terminal its early frames wait in the terminal until the window opens it, so
// its count is the count the window must find.

#include "app/frmMain.h"
#include "core/MessageBox.h"
#include "link/LinkController.h"
#include "link/SerialLink.h"
#include "link/TcpLink.h"
#include "monitor/MonitorController.h"
#include "traffic/TrafficViews.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include <sys/resource.h>

#include <QDir>
#include <QFile>

#include <cstdio>
#include <functional>
#include <map>
#include <vector>

#include "ProcessStats.h"

using namespace kivo;

namespace {

using kivobench::cpuSeconds;

// Runs the event loop until done() holds or the time is up, checking every 20 ms. The loop sleeps
// between events, so the CPU measured is the window's own and not this harness spinning.
bool waitFor(const std::function<bool()> &done, int ms)
{
    if (done())
        return true;
    QEventLoop loop;
    QElapsedTimer t;
    t.start();
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done() || t.elapsed() >= ms)
            loop.quit();
    });
    poll.start(20);
    loop.exec();
    return done();
}

// Resident memory in MiB and open descriptors of this process, from /proc.
double residentMiB()
{
    return kivobench::statusKb("VmRSS:") / 1024.0;
}

int openDescriptors()
{
    return int(QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::NoDotAndDotDot | QDir::System).size());
}

struct Sample
{
    double seconds;
    double rss;
    int fds;
};

struct Run
{
    std::vector<Sample> samples;
    qint64 sent = -1;
    quint64 found = 0;
    quint64 dropped = 0;
    double cpuShare = 0;
    double seconds = 0;
    QString lastWeight;
};

Run runLink(const QString &sim, bool tcp, double rate, double seconds, int tab, bool monitor,
            const QString &shot, double sampleEvery)
{
    Run run;
    QProcess proc;
    QStringList args{QStringLiteral("--rate"), QString::number(rate),       QStringLiteral("--layout"),
                     QStringLiteral("22"),     QStringLiteral("--pattern"), QStringLiteral("noise")};
    args << (tcp ? QStringList{QStringLiteral("--tcp"), QStringLiteral("0")}
                 : QStringList{QStringLiteral("--pty")});
    proc.start(sim, args);
    QString endpoint;
    QString out;
    waitFor(
        [&] {
            out += QString::fromLocal8Bit(proc.readAllStandardOutput());
            for (const QString &line : out.split(QLatin1Char('\n')))
                if (line.startsWith(QLatin1String("TCP ")) || line.startsWith(QLatin1String("PTY ")))
                    endpoint = line.mid(4).trimmed();
            return out.contains(QLatin1String("READY"));
        },
        5000);
    if (endpoint.isEmpty()) {
        std::fprintf(stderr, "simulator did not start: %s\n", qPrintable(out + proc.readAllStandardError()));
        return run;
    }

    frmMain w;
    w.setEndProgram([] {});
    w.show();
    w.views()->selectTab(static_cast<ViewTab>(tab));
    w.views()->tabPrintSelect_Click();
    auto control = [&w](const char *name) {
        return w.findChild<QAbstractButton *>(QString::fromLatin1(name));
    };
    RxBuffers &rx = tcp ? w.tcpBuffers() : w.serialBuffers();
    if (tcp) {
        w.data().strWinSockIP = endpoint.section(QLatin1Char(':'), 0, 0);
        w.data().strWinSockPort = endpoint.section(QLatin1Char(':'), 1, 1);
        control("optComm_0")->click();
    } else {
        control("optComm_1")->click();
        w.findChild<QComboBox *>(QStringLiteral("cboPort"))->setEditText(endpoint);
        control("cmdConnect")->click();
    }
    control("cmdMonOn")->click();
    if (!monitor) // the socket stays connected; only the frame step is left out
        w.data().bMonitor = false;

    const double cpu0 = cpuSeconds();
    QElapsedTimer wall;
    wall.start();
    QTimer sampler;
    QObject::connect(&sampler, &QTimer::timeout, [&] {
        const Sample s{wall.elapsed() / 1000.0, residentMiB(), openDescriptors()};
        run.samples.push_back(s);
        std::printf("  %s t=%6.0f s  RSS %7.1f MiB  %3d descriptors  found %llu\n", tcp ? "TCP" : "pty",
                    s.seconds, s.rss, s.fds, static_cast<unsigned long long>(rx.framesFound));
        std::fflush(stdout);
    });
    if (sampleEvery > 0)
        sampler.start(int(sampleEvery * 1000));
    waitFor([] { return false; }, int(seconds * 1000));
    sampler.stop();
    run.seconds = wall.elapsed() / 1000.0;
    run.cpuShare = (cpuSeconds() - cpu0) / run.seconds;
    if (!shot.isEmpty()) // the whole (virtual) screen as under xvfb-run, while frames still stream in
        QProcess::execute(QStringLiteral("import"),
                          {QStringLiteral("-window"), QStringLiteral("root"), shot});
    // Stop the stream with the simulator's "S" command, let the frames in flight arrive, then end
    // the simulator, which prints its count.
    Link &link = tcp ? static_cast<Link &>(w.tcpLink()) : static_cast<Link &>(w.serialLink());
    QString error;
    link.write("S\r\n", &error);
    waitFor(
        [&] {
            out += QString::fromLocal8Bit(proc.readAllStandardOutput());
            return out.contains(QLatin1String("CMD S off"));
        },
        3000);
    waitFor([] { return false; }, 500);
    proc.terminate();
    waitFor([&] { return proc.state() == QProcess::NotRunning; }, 5000);
    run.found = rx.framesFound;
    run.dropped = rx.bytesDropped;
    run.lastWeight = w.findChild<QLabel *>(QStringLiteral("lblIndi"))->text();
    out += QString::fromLocal8Bit(proc.readAllStandardOutput());
    for (const QString &line : out.split(QLatin1Char('\n')))
        if (line.startsWith(QLatin1String("SENT ")))
            run.sent = line.section(QLatin1Char(' '), 1, 1).toLongLong();
    control("cmdMonOff")->click();
    return run;
}

// Counts paint events per widget, to see what a stream makes the window redraw.
struct PaintCounter : QObject
{
    std::map<QString, int> counts;
    bool eventFilter(QObject *o, QEvent *e) override
    {
        if (e->type() == QEvent::Paint) {
            const QObject *parent = o->parent();
            ++counts[QStringLiteral("%1 %2 in %3")
                         .arg(QLatin1String(o->metaObject()->className()), o->objectName(),
                              parent ? parent->objectName() : QString())];
        }
        return false;
    }
};

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QCommandLineParser cli;
    cli.addOptions(
        {{QStringLiteral("sim"), QStringLiteral("kivo-sim path"), QStringLiteral("path"),
          QCoreApplication::applicationDirPath() + QStringLiteral("/../bin/kivo-sim")},
         {QStringLiteral("rate"), QStringLiteral("frames per second"), QStringLiteral("fps"),
          QStringLiteral("1000")},
         {QStringLiteral("seconds"), QStringLiteral("run length per link"), QStringLiteral("s"),
          QStringLiteral("60")},
         {QStringLiteral("link"), QStringLiteral("tcp, pty or both"), QStringLiteral("link"),
          QStringLiteral("both")},
         {QStringLiteral("tab"), QStringLiteral("view tab 1-4 (3 is Both)"), QStringLiteral("tab"),
          QStringLiteral("3")},
         {QStringLiteral("no-monitor"), QStringLiteral("leave the frame step out (for comparison)")},
         {QStringLiteral("paints"), QStringLiteral("print the paint events of each widget after the runs")},
         {QStringLiteral("shot"), QStringLiteral("save the window here after the run"),
          QStringLiteral("file")},
         {QStringLiteral("sample"), QStringLiteral("print memory and descriptors every S seconds"),
          QStringLiteral("s"), QStringLiteral("0")}});
    cli.process(app);
    // A message box would stop the run: print it instead.
    setMessageRecorder(
        [](const MessageRecord &m) { std::fprintf(stderr, "message: %s\n", qPrintable(m.text)); });
    const double rate = cli.value(QStringLiteral("rate")).toDouble();
    const double seconds = cli.value(QStringLiteral("seconds")).toDouble();
    const QString which = cli.value(QStringLiteral("link"));
    PaintCounter paints;
    if (cli.isSet(QStringLiteral("paints")))
        app.installEventFilter(&paints);
    bool ok = true;
    for (const bool tcp : {true, false}) {
        if (which != QLatin1String("both") && (which == QLatin1String("tcp")) != tcp)
            continue;
        const Run r =
            runLink(cli.value(QStringLiteral("sim")), tcp, rate, seconds,
                    cli.value(QStringLiteral("tab")).toInt(), !cli.isSet(QStringLiteral("no-monitor")),
                    cli.value(QStringLiteral("shot")), cli.value(QStringLiteral("sample")).toDouble());
        std::printf(
            "%-4s %5.0f frames/s %5.1f s: sent %lld, found %llu, dropped %llu bytes, CPU %.1f %% of one "
            "core, display \"%s\"\n",
            tcp ? "TCP" : "pty", rate, r.seconds, static_cast<long long>(r.sent),
            static_cast<unsigned long long>(r.found), static_cast<unsigned long long>(r.dropped),
            r.cpuShare * 100, qPrintable(r.lastWeight));
        double lo = 1e9, hi = -1;
        int fdLo = 1 << 30, fdHi = -1;
        for (const Sample &s : r.samples) {
            if (s.seconds < 300)
                continue; // the fifth minute on
            lo = std::min(lo, s.rss);
            hi = std::max(hi, s.rss);
            fdLo = std::min(fdLo, s.fds);
            fdHi = std::max(fdHi, s.fds);
        }
        if (hi >= 0)
            std::printf("%-4s from 300 s on: RSS %.1f-%.1f MiB (spread %.1f), descriptors %d-%d\n",
                        tcp ? "TCP" : "pty", lo, hi, hi - lo, fdLo, fdHi);
        ok = ok && r.sent > 0 && (cli.isSet(QStringLiteral("no-monitor")) || quint64(r.sent) == r.found);
    }
    for (const auto &[widget, count] : paints.counts)
        std::printf("%6d paints  %s\n", count, qPrintable(widget));
    return ok ? 0 : 1;
}
