#include "platform/win32/win32_system.h"

#include <windows.h>

#include "platform/win32/file_manager.h"
#include "platform/win32/wide_text.h"

namespace nagwick::platform::win32 {

Win32System::Win32System(std::wstring sessionEndReason, RunningCopy* copy)
    : sessionEndReason_(std::move(sessionEndReason)), copy_(copy) {}

std::unique_ptr<forms::NativeWindow> Win32System::CreateNativeWindow(const forms::FormDesign& design, forms::NativeWindow* owner,
                                                              forms::WindowEvents& events) {
    auto window = std::make_unique<FormWindow>(design, static_cast<FormWindow*>(owner), events,
                                               static_cast<WindowHost&>(*this));
    if (copy_ && design.kind == forms::FormKind::Main) copy_->Record(window->Handle());
    return window;
}

bool Win32System::BringBack() {
    // An ending program answers no other start: that one goes on by itself.
    if (!systemEvents_ || quitting_) return false;
    systemEvents_->OnActivateRequested();
    return true;
}

void Win32System::ShowMessage(std::string_view prompt, std::string_view title, forms::MsgBoxIcon icon) {
    // Modal to the whole program and in front of everything: the main window
    // may be hidden, minimised, or already gone.
    const UINT style = MB_OK | MB_TASKMODAL | MB_SETFOREGROUND | MB_TOPMOST |
                       (icon == forms::MsgBoxIcon::Critical ? MB_ICONHAND : MB_ICONEXCLAMATION);
    MessageBoxW(nullptr, Widen(prompt).c_str(), Widen(title).c_str(), style);
}

void Win32System::RaiseMessage() {
    // The message box is a dialog of this thread's own: the one visible #32770.
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM) -> BOOL {
            wchar_t name[8] = L"";
            if (!IsWindowVisible(window) || !GetClassNameW(window, name, 8) || lstrcmpW(name, L"#32770") != 0)
                return TRUE;
            SetForegroundWindow(window);
            return FALSE;
        },
        0);
}

bool Win32System::OpenFolder(const std::string& folder, std::string& error) {
    return StartFileManager(folder, error);
}

bool Win32System::PumpMessage() {
    MSG message;
    const BOOL got = GetMessageW(&message, nullptr, 0, 0);
    if (got == 0 || got == -1) {
        if (!quitting_) quitStatus_ = got == 0 ? static_cast<int>(message.wParam) : 1;
        quitting_ = true;
        return false;
    }
    // The dialog manager gives every form Tab, the arrow keys, Enter and Esc.
    if (const HWND form = message.hwnd ? GetAncestor(message.hwnd, GA_ROOT) : nullptr;
        form && IsDialogMessageW(form, &message))
        return true;
    TranslateMessage(&message);
    DispatchMessageW(&message);
    return true;
}

int Win32System::RunEventLoop() {
    while (!quitting_ && PumpMessage()) {
    }
    return quitStatus_;
}

void Win32System::RunModalLoop(const std::function<bool()>& done) {
    while (!done() && !quitting_ && PumpMessage()) {
    }
}

void Win32System::Quit(int status) {
    if (quitting_) return;
    quitting_ = true;
    quitStatus_ = status;
    PostQuitMessage(status);
}

bool Win32System::QueryEndSession() {
    // Every form is unloaded now, while the session's end waits for the
    // answer: so the main window's warning is on screen before Windows goes
    // on. Windows asks each window; the first question does it, once.
    if (!sessionEnding_) {
        sessionEnding_ = true;
        if (systemEvents_) systemEvents_->OnEndRequested();
    }
    return true;
}

void Win32System::EndSession(bool ending) {
    // Still running (a warning from the close box still on screen, say):
    // the session ends, and so does the program.
    if (ending && !quitting_) ExitProcess(0);
}

}  // namespace nagwick::platform::win32
