#pragma once
// The running copy's answer to another start from the same folder, over a
// Unix socket in the user's own runtime folder ($XDG_RUNTIME_DIR, which only
// that user may enter): the second start asks, the running copy brings its
// windows back and says so, and the second start ends.
#include <chrono>
#include <functional>
#include <string>

#include "core/instance_name.h"

namespace nagwick::platform::posix {

// Where the copy running from `folder` listens; empty without a runtime folder.
std::string InstanceSocketPath(const std::string& folder);

// Asks the copy listening at `path` to bring its windows back. True once it
// has said it did; false at once when nothing listens there, and after
// `patience` when the listener does not answer (stopped, or ending).
bool AskRunningCopy(const std::string& path,
                    std::chrono::milliseconds patience = std::chrono::milliseconds(core::kAnswerPatienceMs));

// The running copy's side.
class InstanceListener {
public:
    InstanceListener() = default;
    InstanceListener(const InstanceListener&) = delete;
    InstanceListener& operator=(const InstanceListener&) = delete;
    // Stops listening, and removes the socket.
    ~InstanceListener();

    // Listens at `path`, taking it over from a copy that no longer answers.
    // False when it can't: the program then simply runs alone.
    bool Listen(const std::string& path);
    // The socket for the event loop to watch for reading.
    int Socket() const { return socket_; }
    // Takes one asker: when it asks for the windows, runs `bringBack`, then
    // tells it they are back.
    void Answer(const std::function<void()>& bringBack);

private:
    int socket_ = -1;
    std::string path_;
};

}  // namespace nagwick::platform::posix
