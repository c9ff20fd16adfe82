#include "app/CloseOnSignal.h"

#include <QSocketNotifier>
#include <QWidget>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace kivo {

namespace {

// Touched by the handler, which may only use async-signal-safe calls.
int g_pair[2] = {-1, -1};

extern "C" void onCloseSignal(int signalNumber)
{
    const char byte = char(signalNumber);
    [[maybe_unused]] const ssize_t written = ::write(g_pair[0], &byte, 1);
}

} // namespace

bool CloseOnSignal::install()
{
    if (g_pair[0] >= 0)
        return true;
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, g_pair) != 0)
        return false;
    struct sigaction action = {};
    action.sa_handler = onCloseSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
    return true;
}

CloseOnSignal::CloseOnSignal(QWidget &window) : QObject(&window), m_window(window)
{
    if (!install())
        return;
    m_notifier = std::make_unique<QSocketNotifier>(g_pair[1], QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &CloseOnSignal::readSignal);
}

CloseOnSignal::~CloseOnSignal()
{
    // From here on a second signal ends the process at once, as it would without this class.
    ::signal(SIGINT, SIG_DFL);
    ::signal(SIGTERM, SIG_DFL);
}

void CloseOnSignal::readSignal()
{
    char byte = 0;
    bool caught = false;
    while (::read(g_pair[1], &byte, 1) == 1)
        caught = true;
    if (caught)
        m_window.close();
}

} // namespace kivo
