// A TCP flood into the real main window: tab "Both", monitoring on, a loopback sender writing
// 22-byte weight frames as fast as the window takes them. Prints the peak RSS, how far the
// status-bar clock fell behind (the longest time between two of its once-a-second updates, less
// the second itself), the throughput, the CPU and frames found against frames sent.
//
//   benchTcpFlood [--mb MB] [--tab 1-4] [--shot FILE]

#include "app/frmMain.h"
#include "core/MessageBox.h"
#include "link/PortPanel.h"
#include "monitor/IndicatorPanel.h"
#include "monitor/SegmentDisplay.h"
#include "traffic/ReceivePipeline.h"
#include "traffic/RxBuffers.h"
#include "traffic/TrafficViews.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>

#include "ProcessStats.h"

using namespace kivo;

namespace {

using kivobench::cpuSeconds;
using kivobench::statusKb;

// One block of whole frames, sent again and again.
QByteArray frameBlock(int frames)
{
    QByteArray block;
    for (int i = 0; i < frames; ++i)
        block += QStringLiteral("ST,GS,+  %1kg \r\n").arg(i, 8, 10, QLatin1Char('0')).toLatin1();
    return block;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QCommandLineParser cli;
    cli.addOptions({{QStringLiteral("mb"), QStringLiteral("megabytes to send"), QStringLiteral("MB"),
                     QStringLiteral("300")},
                    {QStringLiteral("tab"), QStringLiteral("view tab 1-4 (3 is Both)"), QStringLiteral("tab"),
                     QStringLiteral("3")},
                    {QStringLiteral("shot"), QStringLiteral("save the screen here mid-stream"),
                     QStringLiteral("file")}});
    cli.process(app);
    setMessageRecorder(
        [](const MessageRecord &m) { std::fprintf(stderr, "message: %s\n", qPrintable(m.text)); });

    const QByteArray block = frameBlock(2978); // 65516 bytes
    const qint64 blocks = qint64(cli.value(QStringLiteral("mb")).toDouble() * 1e6 / double(block.size())) + 1;
    const qint64 total = blocks * block.size();
    const quint64 framesSent = quint64(blocks) * 2978;

    const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    if (::bind(listener, reinterpret_cast<sockaddr *>(&addr), len) != 0 || ::listen(listener, 1) != 0 ||
        ::getsockname(listener, reinterpret_cast<sockaddr *>(&addr), &len) != 0) {
        std::perror("listen");
        return 2;
    }
    std::atomic<bool> stop{false};
    std::thread sender([&] {
        const int fd = ::accept(listener, nullptr, nullptr);
        for (qint64 b = 0; b < blocks && fd >= 0; ++b) {
            qsizetype done = 0;
            while (done < block.size()) {
                const ssize_t n = ::send(fd, block.constData() + done, size_t(block.size() - done), 0);
                if (n <= 0)
                    break;
                done += n;
            }
        }
        // The window reads what is still queued before the connection closes.
        while (!stop)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        if (fd >= 0)
            ::close(fd);
    });
    std::atomic<long> peakRssKb{0};
    std::atomic<bool> sampling{true};
    std::thread sampler([&] {
        while (sampling) {
            peakRssKb = std::max(peakRssKb.load(), statusKb("VmRSS:"));
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
    });

    frmMain w;
    w.setEndProgram([] {});
    w.show();
    w.views()->selectTab(static_cast<ViewTab>(cli.value(QStringLiteral("tab")).toInt()));
    w.views()->tabPrintSelect_Click();
    w.data().strWinSockIP = QStringLiteral("127.0.0.1");
    w.data().strWinSockPort = QString::number(ntohs(addr.sin_port));
    w.findChild<QAbstractButton *>(QStringLiteral("optComm_0"))->click();

    qint64 received = 0;
    QObject::connect(w.receivePipeline(), &ReceivePipeline::received, &app,
                     [&](const LinkChunk &chunk) { received += chunk.bytes.size(); });
    // The status-bar clock: how long the window went without updating it.
    QElapsedTimer sinceTick;
    qint64 longestClockGap = 0;
    auto *clock = w.findChild<QTimer *>(QStringLiteral("tmrTime"));
    QObject::connect(clock, &QTimer::timeout, &app, [&] {
        if (sinceTick.isValid())
            longestClockGap = std::max(longestClockGap, sinceTick.elapsed());
        sinceTick.start();
    });

    QElapsedTimer wall;
    const double cpu0 = cpuSeconds();
    wall.start();
    w.findChild<QAbstractButton *>(QStringLiteral("cmdMonOn"))->click();
    bool shot = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &app, [&] {
        if (!shot && !cli.value(QStringLiteral("shot")).isEmpty() && received > total / 2) {
            shot = true;
            QProcess::startDetached(
                QStringLiteral("import"),
                {QStringLiteral("-window"), QStringLiteral("root"), cli.value(QStringLiteral("shot"))});
        }
        if (received >= total || wall.elapsed() > 600000)
            app.quit();
    });
    poll.start(50);
    app.exec();
    const double seconds = wall.elapsed() / 1000.0;
    const double cpu = cpuSeconds() - cpu0;
    if (sinceTick.isValid())
        longestClockGap = std::max(longestClockGap, sinceTick.elapsed());
    sampling = false;
    sampler.join();

    const RxBuffers &rx = w.tcpBuffers();
    std::printf(
        "TCP flood, tab %d, monitoring on: %.1f MB in %.1f s = %.2f MB/s, CPU %.1f s (%.3f s per MB)\n",
        cli.value(QStringLiteral("tab")).toInt(), received / 1e6, seconds, received / 1e6 / seconds, cpu,
        cpu / (received / 1e6));
    std::printf("peak RSS %.1f MB (VmHWM %.1f MB)\n", peakRssKb.load() / 1024.0, statusKb("VmHWM:") / 1024.0);
    std::printf("longest time between clock updates %.2f s: the clock fell %.2f s behind at most\n",
                longestClockGap / 1000.0, std::max<qint64>(0, longestClockGap - 1000) / 1000.0);
    std::printf("frames sent %llu, found %llu, display \"%s\"\n", static_cast<unsigned long long>(framesSent),
                static_cast<unsigned long long>(rx.framesFound),
                qPrintable(w.findChild<QLabel *>(QStringLiteral("lblIndi"))->text()));
    w.findChild<QAbstractButton *>(QStringLiteral("cmdMonOff"))->click();
    ::close(listener);
    stop = true;
    sender.join();
    return received == total && rx.framesFound == framesSent ? 0 : 1;
}
