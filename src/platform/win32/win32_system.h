#pragma once
// The window system on Win32: form windows, the message loop with the
// dialog manager's keyboard handling, message boxes, the file manager, and
// the end of the user's session.
#include <string>

#include "platform/win32/form_window.h"
#include "platform/win32/running_copy.h"
#include "forms/window_system.h"

namespace nagwick::platform::win32 {

class Win32System final : public forms::WindowSystem, private WindowHost {
public:
    // `sessionEndReason` is what Windows shows for the program while the
    // session's end waits for it (nothing when empty); the main window is
    // recorded in `copy`, where another start finds it.
    explicit Win32System(std::wstring sessionEndReason = {}, RunningCopy* copy = nullptr);

    void Attach(forms::SystemEvents& events) override { systemEvents_ = &events; }
    std::unique_ptr<forms::NativeWindow> CreateNativeWindow(const forms::FormDesign& design, forms::NativeWindow* owner,
                                                     forms::WindowEvents& events) override;
    void ShowMessage(std::string_view prompt, std::string_view title, forms::MsgBoxIcon icon) override;
    void RaiseMessage() override;
    bool OpenFolder(const std::string& folder, std::string& error) override;
    int RunEventLoop() override;
    void RunModalLoop(const std::function<bool()>& done) override;
    void Quit(int status) override;

private:
    // Waits for and handles one message; false once WM_QUIT arrives.
    bool PumpMessage();

    // WindowHost
    bool QueryEndSession() override;
    void EndSession(bool ending) override;
    const std::wstring& SessionEndReason() const override { return sessionEndReason_; }
    bool BringBack() override;

    std::wstring sessionEndReason_;
    RunningCopy* copy_;
    forms::SystemEvents* systemEvents_ = nullptr;
    bool sessionEnding_ = false;
    bool quitting_ = false;
    int quitStatus_ = 0;
};

}  // namespace nagwick::platform::win32
