#pragma once
// The forms runtime: starts the program on its start-up form, keeps the order
// in which forms were loaded, ends the program when no form is loaded, turns a
// signal or the session's end into unloading every form, and reports an error
// that escapes a handler the way the runtime always has: a box, then the end.
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/window_system.h"

namespace nagwick::forms {

using platform::NativeWindow;
using platform::WindowSystem;

class Form;

// What the report of an error that escaped a handler says.
std::string RunTimeErrorText(std::string_view error);

class FormsRuntime : public platform::SystemEvents {
public:
    explicit FormsRuntime(WindowSystem& system);

    WindowSystem& System() { return system_; }

    // Loads and shows the start-up form, then runs events until the program
    // ends. Returns the exit status: 0, or 1 after a run-time error.
    int Run(Form& startup);

    // Runs a handler; an exception that escapes it ends the program.
    void Guard(const std::function<void()>& handler);
    bool Ended() const { return ended_; }

    // SystemEvents: unloads every form, the newest (a dialog) first.
    void OnEndRequested() override;

private:
    friend class Form;
    void FormLoaded(Form& form);
    void FormUnloaded(Form& form);
    // The window a new form is placed over: the newest loaded form's.
    NativeWindow* CurrentOwner() const;
    void RunModal(Form& dialog);

    WindowSystem& system_;
    std::vector<Form*> loaded_;  // in load order
    bool ended_ = false;
};

}  // namespace nagwick::forms
