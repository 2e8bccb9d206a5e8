#include "platform/posix/signal_pipe.h"

#include <pthread.h>
#include <sys/socket.h>
#include <unistd.h>

#include <csignal>
#include <cerrno>
#include <initializer_list>

namespace nagwick::platform::posix {

namespace {

int writeEnd = -1;

sigset_t EndSignals() {
    sigset_t set;
    sigemptyset(&set);
    for (int signal : {SIGTERM, SIGHUP, SIGINT}) sigaddset(&set, signal);
    return set;
}

void OnSignal(int) {
    const int savedErrno = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(writeEnd, &byte, 1);
    errno = savedErrno;
}

}  // namespace

void HoldEndSignals() {
    const sigset_t set = EndSignals();
    ::pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

bool SignalPipe::Install() {
    const sigset_t set = EndSignals();
    int ends[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, ends) != 0) {
        ::pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
        return false;
    }
    readEnd_ = ends[0];
    writeEnd = ends[1];
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : {SIGTERM, SIGHUP, SIGINT}) ::sigaction(signal, &action, nullptr);
    // What came while they were held is handled now, through the socket.
    ::pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
    return true;
}

bool SignalPipe::Drain() {
    char buffer[64];
    bool any = false;
    while (::read(readEnd_, buffer, sizeof buffer) > 0) any = true;
    return any;
}

}  // namespace nagwick::platform::posix
