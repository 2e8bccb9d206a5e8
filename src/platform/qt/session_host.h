#pragma once
// What a session-manager protocol needs from the window system: a way to end
// the program for the session's end, and a way to keep the process alive
// until the session manager has had the answers it is owed.
#include <functional>

namespace nagwick::platform::qt {

class SessionHost {
public:
    // Unloads every form for the end of the session; the warning comes at
    // most once per run. Returns when the unload is over, or at once when an
    // unload is already under way further up the stack.
    virtual void EndSession() = 0;

    // True once the program has ended (no form left, or a run-time error).
    virtual bool Finished() const = 0;
    // Runs `callback` once, when the program ends (at once if it has).
    virtual void WhenFinished(std::function<void()> callback) = 0;

    // While held, the event loop goes on after the program has ended.
    virtual void HoldExit() = 0;
    virtual void ReleaseExit() = 0;

protected:
    ~SessionHost() = default;
};

}  // namespace nagwick::platform::qt
