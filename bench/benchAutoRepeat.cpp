// Pace and cost of auto-repeat: the real window connected to a pseudo-terminal runs a list run of
// one row (each send also prints its SEND line in the ASCII view), every send counted at the far
// end by a reader thread. Prints sends per second (whole run and each whole second), skipped slots
// and the drift of the last send from the 10 ms grid, and the program's CPU time (every thread of
// the process but the far end's reader) against the same time left idle.
//
//   benchAutoRepeat [seconds-at-0.01s=60] [seconds-at-1s=20] [view tab 1..4=1; 4 shows no SEND line]

#include "app/frmMain.h"
#include "core/MessageBox.h"
#include "link/PortPanel.h"
#include "send/AutoRepeat.h"
#include "send/RepeatPanel.h"
#include "traffic/TrafficViews.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>

#include <atomic>
#include <cstdio>
#include <mutex>
#include <pthread.h>
#include <pty.h>
#include <thread>
#include <time.h>
#include <unistd.h>
#include <vector>

using namespace kivo;

namespace {

template <class T> T *find(QWidget &w, const char *name)
{
    return w.findChild<T *>(QString::fromLatin1(name));
}

double clockSeconds(clockid_t clock)
{
    timespec t{};
    clock_gettime(clock, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

// Reads the master side of the pty, noting the arrival time of every byte.
class FarEnd
{
public:
    explicit FarEnd(int master) : m_master(master)
    {
        m_thread = std::thread([this] {
            char buf[256];
            while (!m_stop) {
                const ssize_t n = ::read(m_master, buf, sizeof buf);
                if (n <= 0)
                    break;
                const qint64 now = m_clock.nsecsElapsed();
                std::lock_guard lock(m_mutex);
                for (ssize_t i = 0; i < n; ++i)
                    m_arrivals.push_back(now);
            }
        });
        pthread_getcpuclockid(m_thread.native_handle(), &m_cpuClock);
    }
    ~FarEnd()
    {
        // The read ends with an error once every slave descriptor is closed.
        m_stop = true;
        m_thread.join();
        ::close(m_master);
    }
    void restart()
    {
        std::lock_guard lock(m_mutex);
        m_arrivals.clear();
        m_clock.start();
    }
    // CPU time of the program: the whole process less this reader.
    double programCpuSeconds() const
    {
        return clockSeconds(CLOCK_PROCESS_CPUTIME_ID) - clockSeconds(m_cpuClock);
    }
    std::vector<qint64> arrivals()
    {
        std::lock_guard lock(m_mutex);
        return m_arrivals;
    }

private:
    int m_master;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
    clockid_t m_cpuClock = CLOCK_THREAD_CPUTIME_ID;
    std::mutex m_mutex;
    std::vector<qint64> m_arrivals;
    QElapsedTimer m_clock;
};

void waitMs(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

struct RunResult
{
    double cpu = 0;
    std::vector<double> tenSecondShares;
    std::vector<qint64> arrivals;
};

RunResult run(frmMain &w, FarEnd &far, int delayIndex, int seconds)
{
    find<QComboBox>(w, "cboDelayTime")->setCurrentIndex(delayIndex);
    far.restart();
    RunResult r;
    const double cpu0 = far.programCpuSeconds();
    // The program's CPU share in each ten seconds of the run, to tell a steady cost from spikes.
    double lastCpu = cpu0;
    QTimer tenSeconds;
    QObject::connect(&tenSeconds, &QTimer::timeout, [&] {
        const double now = far.programCpuSeconds();
        r.tenSecondShares.push_back((now - lastCpu) / 10.0);
        lastCpu = now;
    });
    tenSeconds.start(10000);
    find<QAbstractButton>(w, "cmdStart")->click();
    waitMs(seconds * 1000);
    find<QAbstractButton>(w, "cmdStart")->click();
    tenSeconds.stop();
    r.cpu = far.programCpuSeconds() - cpu0;
    waitMs(100);
    r.arrivals = far.arrivals();
    return r;
}

double idleCpu(const FarEnd &far, int seconds)
{
    const double cpu0 = far.programCpuSeconds();
    waitMs(seconds * 1000);
    return far.programCpuSeconds() - cpu0;
}

} // namespace

int main(int argc, char *argv[])
{
    QTemporaryDir sandbox;
    qputenv("XDG_CONFIG_HOME", sandbox.path().toLocal8Bit());
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int fastSeconds = argc > 1 ? atoi(argv[1]) : 60;
    const int slowSeconds = argc > 2 ? atoi(argv[2]) : 20;
    const int tab = argc > 3 ? atoi(argv[3]) : 1;
    setMessageRecorder([](const MessageRecord &m) { std::printf("message: %s\n", qPrintable(m.text)); });

    int master = -1, slave = -1;
    char name[256] = {};
    if (openpty(&master, &slave, name, nullptr, nullptr) != 0)
        return 1;

    frmMain w;
    w.setEndProgram([] {});
    w.show();
    // Connected the way the user connects: the pty's path typed into the port box.
    find<QAbstractButton>(w, "optComm_1")->click();
    find<QComboBox>(w, "cboParity")->setCurrentText(QStringLiteral("N"));
    find<QComboBox>(w, "cboDataBit")->setCurrentText(QStringLiteral("8"));
    find<QComboBox>(w, "cboPort")->setEditText(QString::fromLocal8Bit(name));
    find<QAbstractButton>(w, "cmdConnect")->click();
    if (!find<QAbstractButton>(w, "cmdDisconnect")->isEnabled())
        return 1;
    w.views()->selectTab(static_cast<ViewTab>(tab));
    w.views()->tabPrintSelect_Click();
    w.data().RepeatList[0] = AutoItem{QStringLiteral("A"), storedValue(SendFormat::Ascii), 1};
    find<QAbstractButton>(w, "chkAutoRepeat")->setChecked(true);
    find<QComboBox>(w, "cboDelay")->setCurrentIndex(0);
    find<QComboBox>(w, "cboCount")->setCurrentIndex(0); // Endless
    FarEnd far(master);
    waitMs(300);

    const RunResult fast = run(w, far, 0, fastSeconds);
    const auto &a = fast.arrivals;
    // Whole seconds counted from the first send.
    const qint64 first = a.empty() ? 0 : a.front();
    const qint64 span = a.empty() ? 0 : a.back() - first;
    std::vector<int> perSecond(size_t(span / 1000000000), 0);
    for (qint64 t : a)
        if (size_t((t - first) / 1000000000) < perSecond.size())
            ++perSecond[size_t((t - first) / 1000000000)];
    int lo = perSecond.empty() ? 0 : 1 << 30, hi = 0;
    for (int n : perSecond) {
        lo = std::min(lo, n);
        hi = std::max(hi, n);
    }
    std::printf("0.01 s Endless, %d s: %zu sends, %.2f per second; whole seconds: min %d max %d\n",
                fastSeconds, a.size(), span > 0 ? double(a.size() - 1) * 1e9 / double(span) : 0.0, lo, hi);
    if (a.size() > 1) {
        // Sends land on the 10 ms grid counted from the first one: the offset of the last send from
        // its grid point is the drift; slots that found the program late were caught up or skipped.
        const qint64 nSlots = (span + 5000000) / 10000000;
        qint64 longest = 0;
        int late = 0;
        for (size_t i = 1; i < a.size(); ++i) {
            longest = std::max(longest, a[i] - a[i - 1]);
            late += (a[i] - a[i - 1]) > 15000000;
        }
        std::printf("  %lld slots from first to last send, %lld skipped; drift of the last send %.2f ms\n",
                    (long long)nSlots + 1, (long long)(nSlots + 1 - qint64(a.size())),
                    double(span - nSlots * 10000000) / 1e6);
        std::printf("  gaps over 15 ms: %d, longest gap %.1f ms\n", late, double(longest) / 1e6);
    }
    std::printf("  program CPU %.3f s = %.2f %% of a core\n", fast.cpu, 100.0 * fast.cpu / fastSeconds);
    if (!fast.tenSecondShares.empty()) {
        std::printf("  each ten seconds:");
        for (double share : fast.tenSecondShares)
            std::printf(" %.2f", 100.0 * share);
        std::printf(" %%\n");
    }

    const double idle = idleCpu(far, slowSeconds);
    const RunResult slow = run(w, far, 18, slowSeconds);
    std::printf("1 s Endless, %d s: %zu sends; program CPU %.4f s (%.3f %%)\n", slowSeconds,
                slow.arrivals.size(), slow.cpu, 100.0 * slow.cpu / slowSeconds);
    std::printf("idle, %d s: program CPU %.4f s (%.3f %%)\n", slowSeconds, idle, 100.0 * idle / slowSeconds);
    find<QAbstractButton>(w, "cmdDisconnect")->click();
    ::close(slave);
    return 0;
}
