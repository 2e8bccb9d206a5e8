#pragma once
// Runs test code in a forked child process, for what must happen in another
// process: a program that stops dead part-way, or another copy of it.
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <functional>

namespace nagwick::test {

// How a child process ended: its exit status, or -1 when it did not exit.
inline int RunInChild(const std::function<void()>& body) {
    const pid_t child = ::fork();
    if (child < 0) return -1;
    if (child == 0) {
        body();
        ::_exit(0);
    }
    int status = 0;
    pid_t ended;
    do ended = ::waitpid(child, &status, 0);
    while (ended < 0 && errno == EINTR);
    return ended == child && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Ends the process at once, as a crash or a power cut would: no destructor
// runs, nothing is flushed or closed by the program itself.
[[noreturn]] inline void StopNow(int status) { ::_exit(status); }

}  // namespace nagwick::test
