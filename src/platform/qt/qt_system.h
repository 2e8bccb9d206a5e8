#pragma once
// The window system on Qt 6 Widgets, with signals and the session manager
// fed into the event loop.
#include <functional>
#include <memory>
#include <vector>

#include "platform/posix/instance_socket.h"
#include "platform/posix/signal_pipe.h"
#include "platform/qt/session_host.h"
#include "forms/window_system.h"

class QSocketNotifier;

namespace nagwick::platform::qt {

class GnomeSession;
class XsmpSession;

class QtSystem : public forms::WindowSystem, public SessionHost {
public:
    QtSystem();
    ~QtSystem() override;

    void Attach(forms::SystemEvents& events) override { systemEvents_ = &events; }
    std::unique_ptr<forms::NativeWindow> CreateNativeWindow(const forms::FormDesign& design, forms::NativeWindow* owner,
                                                     forms::WindowEvents& events) override;
    void ShowMessage(std::string_view prompt, std::string_view title, forms::MsgBoxIcon icon) override;
    void RaiseMessage() override;
    bool OpenFolder(const std::string& folder, std::string& error) override;
    int RunEventLoop() override;
    void RunModalLoop(const std::function<bool()>& done) override;
    // Ends the event loop with `status`, once no session manager is still
    // owed an answer.
    void Quit(int status) override;

    // Signals arriving from now on unload the forms, through the event loop.
    void WatchSignals();
    // From now on, another start of the program that asks at `socketPath`
    // brings this one's windows back, until the program ends.
    void WatchInstance(const std::string& socketPath);
    // Joins the desktop's session manager: X11's XSMP where Qt has joined
    // it, else GNOME's D-Bus protocol where that service runs. `logoutReason`
    // is what the desktop may show for a log-out that waits for the program.
    void WatchSession(std::string_view logoutReason);

    // SessionHost
    void EndSession() override;
    bool Finished() const override { return quitting_; }
    void WhenFinished(std::function<void()> callback) override;
    void HoldExit() override { ++exitHolds_; }
    void ReleaseExit() override;

private:
    forms::SystemEvents* systemEvents_ = nullptr;
    posix::SignalPipe signals_;
    std::unique_ptr<QSocketNotifier> signalNotifier_;
    std::unique_ptr<posix::InstanceListener> instance_;
    std::unique_ptr<QSocketNotifier> instanceNotifier_;
    std::unique_ptr<XsmpSession> xsmp_;
    std::unique_ptr<GnomeSession> gnome_;
    std::vector<std::function<void()>> whenFinished_;
    int exitHolds_ = 0;
    bool quitting_ = false;
    int quitStatus_ = 0;
};

}  // namespace nagwick::platform::qt
