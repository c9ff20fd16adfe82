#include "SignalPipe.h"

#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace kivosim {

namespace {

// The handler may only touch async-signal-safe state; one process-wide pair serves it.
int g_pipe[2] = {-1, -1};

extern "C" void onSignal(int signalNumber)
{
    const char byte = char(signalNumber);
    [[maybe_unused]] const ssize_t written = ::write(g_pipe[0], &byte, 1);
}

} // namespace

bool SignalPipe::install()
{
    if (g_pipe[0] >= 0)
        return true;
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, g_pipe) != 0)
        return false;
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
    // A closed terminal asks the run to end like SIGTERM does.
    ::sigaction(SIGHUP, &action, nullptr);
    // A reader that went away (output piped into head) shows as a failed write instead, so the
    // run can still stop cleanly and remove its link.
    ::signal(SIGPIPE, SIG_IGN);
    return true;
}

SignalPipe::SignalPipe(QObject *parent) : QObject(parent)
{
    if (!install())
        return;
    // A signal caught before this point is still waiting in the pair and is read at once.
    m_notifier = std::make_unique<QSocketNotifier>(g_pipe[1], QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &SignalPipe::readSignal);
}

SignalPipe::~SignalPipe()
{
    ::signal(SIGINT, SIG_DFL);
    ::signal(SIGTERM, SIG_DFL);
    ::signal(SIGHUP, SIG_DFL);
    m_notifier.reset();
    for (int &fd : g_pipe) {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
}

void SignalPipe::readSignal()
{
    char byte = 0;
    while (::read(g_pipe[1], &byte, 1) == 1)
        emit caught(int(byte));
}

} // namespace kivosim
