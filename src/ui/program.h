#pragma once
// The whole program over one window system: the shared state and the one
// instance of each form, started on the main window.
#include "core/module1.h"
#include "platform/forms/forms_runtime.h"
#include "platform/window_system.h"
#include "ui/frm_main.h"
#include "ui/frm_options.h"

namespace nagwick::ui {

class Program {
public:
    explicit Program(platform::WindowSystem& system);

    // Runs until no form is loaded; returns the exit status.
    int Run();

    platform::WindowSystem& system;
    platform::FormsRuntime runtime;
    core::Module1 module1;
    FrmOptions frmOptions;
    FrmMain frmMain;
};

}  // namespace nagwick::ui
