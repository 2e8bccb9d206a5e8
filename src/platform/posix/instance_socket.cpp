#include "platform/posix/instance_socket.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "core/instance_name.h"

namespace nagwick::platform::posix {

namespace {

constexpr char kRequest = 'A';  // bring the windows back
constexpr char kDone = 'K';

bool AddressOf(const std::string& path, sockaddr_un& address) {
    address = {};
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof address.sun_path) return false;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return true;
}

int NewSocket() { return ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0); }

// Waits for `events` on `fd` until `deadline`.
bool WaitFor(int fd, short events, std::chrono::steady_clock::time_point deadline) {
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() < 0) return false;
        pollfd watched{fd, events, 0};
        const int ready = ::poll(&watched, 1, static_cast<int>(left.count()));
        if (ready > 0) return true;
        if (ready == 0 || errno != EINTR) return false;
    }
}

}  // namespace

std::string InstanceSocketPath(const std::string& folder) {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (!runtime || *runtime != '/') return {};
    return std::string(runtime) + "/" + core::InstanceName(folder);
}

bool AskRunningCopy(const std::string& path, std::chrono::milliseconds patience) {
    sockaddr_un address;
    if (!AddressOf(path, address)) return false;
    const int fd = NewSocket();
    if (fd < 0) return false;
    const auto deadline = std::chrono::steady_clock::now() + patience;
    // A listener whose queue is full (EAGAIN) answers no one soon.
    bool asked = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    asked = asked && ::send(fd, &kRequest, 1, MSG_NOSIGNAL) == 1;
    char answer = 0;
    const bool done = asked && WaitFor(fd, POLLIN, deadline) && ::recv(fd, &answer, 1, 0) == 1 && answer == kDone;
    ::close(fd);
    return done;
}

InstanceListener::~InstanceListener() {
    if (socket_ < 0) return;
    ::close(socket_);
    ::unlink(path_.c_str());
}

bool InstanceListener::Listen(const std::string& path) {
    sockaddr_un address;
    if (!AddressOf(path, address)) return false;
    const int fd = NewSocket();
    if (fd < 0) return false;
    const auto bound = [&] { return ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0; };
    // A socket left there is a copy's that ended, or one that no longer
    // answered this start: either way it is this copy's to take.
    if ((bound() || (errno == EADDRINUSE && ::unlink(path.c_str()) == 0 && bound())) && ::listen(fd, 4) == 0) {
        socket_ = fd;
        path_ = path;
        return true;
    }
    ::close(fd);
    return false;
}

void InstanceListener::Answer(const std::function<void()>& bringBack) {
    const int fd = ::accept4(socket_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) return;
    // The asker sends its one byte with the connection: a short wait is
    // plenty, and one that sends nothing is let go.
    char request = 0;
    if (WaitFor(fd, POLLIN, std::chrono::steady_clock::now() + std::chrono::milliseconds(200)) &&
        ::recv(fd, &request, 1, MSG_DONTWAIT) == 1 && request == kRequest) {
        bringBack();
        [[maybe_unused]] const ssize_t sent = ::send(fd, &kDone, 1, MSG_NOSIGNAL | MSG_DONTWAIT);
    }
    ::close(fd);
}

}  // namespace nagwick::platform::posix
