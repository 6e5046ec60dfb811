#include "ui/StopSignals.h"

#include <cerrno>
#include <csignal>
#include <initializer_list>

#include <fcntl.h>
#include <unistd.h>

namespace stopsignals {
namespace {

volatile std::sig_atomic_t g_pending = 0;
int g_pipe[2] = {-1, -1};

// Only async-signal-safe work here: a flag and one byte into the pipe.
void OnSignal(int signal)
{
    const int savedErrno = errno;
    if (g_pending == 0)
        g_pending = signal;
    const char byte = char(signal);
    if (g_pipe[1] >= 0 && ::write(g_pipe[1], &byte, 1) < 0) {
        // A full pipe wakes the loop all the same.
    }
    errno = savedErrno;
}

bool OpenPipe()
{
    if (::pipe(g_pipe) != 0)
        return false;
    for (const int fd : g_pipe) {
        ::fcntl(fd, F_SETFD, FD_CLOEXEC);
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    }
    return true;
}

} // namespace

void IgnoreBrokenPipe()
{
    struct sigaction action {
    };
    action.sa_handler = SIG_IGN;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGPIPE, &action, nullptr);
}

void Install()
{
    IgnoreBrokenPipe();
    if (g_pipe[1] >= 0 || !OpenPipe())
        return;
    struct sigaction action {
    };
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    // Restarted system calls keep reads and writes whole; the default comes
    // back after the first signal so that a second one ends a stuck run.
    action.sa_flags = SA_RESTART | SA_RESETHAND;
    for (const int signal : {SIGINT, SIGTERM, SIGHUP})
        ::sigaction(signal, &action, nullptr);
}

int Pending()
{
    return g_pending;
}

int WakeUpFd()
{
    return g_pipe[0];
}

void Reset()
{
    g_pending = 0;
}

} // namespace stopsignals
