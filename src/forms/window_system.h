#pragma once
// The window seam: what the forms runtime needs of a platform's windows.
// Native windows built from layout data, message boxes, the file manager,
// the event loop, and the events (clicks, closes, signals, the session's
// end) that come back from it. Each platform implements it (qt on Linux,
// win32 on Windows); the tests have a headless one.
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "forms/form_design.h"

namespace nagwick::forms {

enum class WindowState { Normal = 0, Minimized = 1 };
enum class MsgBoxIcon { Exclamation, Critical };

// What a backend reports about one of its windows.
class WindowEvents {
public:
    virtual void OnClick(std::string_view control) = 0;
    // The close box, Alt+F4, a window manager's close, or Esc in a dialog.
    virtual void OnCloseRequested() = 0;

protected:
    ~WindowEvents() = default;
};

// What a backend reports about the program as a whole.
class SystemEvents {
public:
    // A signal or the end of the user's session: every form is to be unloaded.
    virtual void OnEndRequested() = 0;
    // The program started again from the same folder: what the user has to
    // see is to come back to the front.
    virtual void OnActivateRequested() = 0;

protected:
    ~SystemEvents() = default;
};

class NativeWindow {
public:
    virtual ~NativeWindow() = default;
    virtual void Show(WindowState state) = 0;
    virtual void Hide() = 0;
    // Off while a modal dialog is open: the window then takes no input.
    virtual void SetEnabled(bool enabled) = 0;
    // Puts the focus on the first control in tab order.
    virtual void FocusFirst() = 0;
    // A check box's value: 1 checked, 0 not.
    virtual int CheckValue(std::string_view checkBox) const = 0;
    virtual void SetCheckValue(std::string_view checkBox, int value) = 0;
};

class WindowSystem {
public:
    virtual ~WindowSystem() = default;

    virtual void Attach(SystemEvents& events) = 0;

    // `owner` is the window a dialog is placed over, or null.
    virtual std::unique_ptr<NativeWindow> CreateNativeWindow(const FormDesign& design, NativeWindow* owner,
                                                             WindowEvents& events) = 0;

    // Modal: returns when the user has dismissed the box.
    virtual void ShowMessage(std::string_view prompt, std::string_view title, MsgBoxIcon icon) = 0;
    // Brings the message box on screen to the front, and makes it active.
    virtual void RaiseMessage() = 0;

    // Opens `folder` in the user's file manager without waiting for it.
    // False, with the reason in `error`, when nothing could be started.
    virtual bool OpenFolder(const std::string& folder, std::string& error) = 0;

    // Runs events until Quit; returns Quit's status.
    virtual int RunEventLoop() = 0;
    // Runs events until `done` is true (or Quit), for a modal dialog.
    virtual void RunModalLoop(const std::function<bool()>& done) = 0;
    virtual void Quit(int status) = 0;
};

}  // namespace nagwick::forms
