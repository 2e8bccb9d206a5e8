#pragma once
// The forms runtime: starts the program on its start-up form, keeps the order
// in which forms were loaded, ends the program when no form is loaded, turns a
// signal or the session's end into unloading every form, and reports an error
// that escapes a handler the way the runtime always has: a box, then the end.
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "forms/app.h"
#include "forms/window_system.h"

namespace nagwick::forms {

class Form;

// What the report of an error that escaped a handler says.
std::string RunTimeErrorText(std::string_view error);

class FormsRuntime : public SystemEvents {
public:
    explicit FormsRuntime(WindowSystem& system);

    WindowSystem& System() { return system_; }

    // A modal message box; returns when the user has dismissed it.
    void MsgBox(std::string_view prompt, MsgBoxIcon icon, std::string_view title = App::Title);
    // Starts the user's file manager on `folder`, without waiting for it.
    // False, with the reason in `error`, when nothing could be started.
    bool Shell(const std::string& folder, std::string& error);

    // Loads and shows the start-up form, then runs events until the program
    // ends. Returns the exit status: 0, or 1 after a run-time error.
    int Run(Form& startup);

    // Runs a handler; an exception that escapes it ends the program.
    void Guard(const std::function<void()>& handler);
    bool Ended() const { return ended_; }

    // SystemEvents: unloads every form, the newest (a dialog) first.
    void OnEndRequested() override;
    // SystemEvents: a message box on screen comes to the front; else the
    // options dialog, while it is open; else the start-up form, shown normal
    // (from hidden or minimised) with the focus on its first control.
    void OnActivateRequested() override;

private:
    friend class Form;
    void FormLoaded(Form& form);
    void FormUnloaded(Form& form);
    // The window a new form is placed over: the newest loaded form's.
    NativeWindow* CurrentOwner() const;
    void RunModal(Form& dialog);

    WindowSystem& system_;
    std::vector<Form*> loaded_;  // in load order
    int messagesShown_ = 0;
    bool ended_ = false;
};

}  // namespace nagwick::forms
