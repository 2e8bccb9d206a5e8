#pragma once
// The whole program over one window system and one settings store: the
// forms runtime, the shared state and the one instance of each form, started
// on the main window.
#include <string>

#include "core/module1.h"
#include "core/settings_store.h"
#include "forms/forms_runtime.h"
#include "ui/frm_main.h"
#include "ui/frm_options.h"

namespace nagwick::ui {

class Program {
public:
    // `appPath` is App.Path: the folder that holds the running program.
    Program(forms::WindowSystem& system, core::SettingsStore& settings, std::string appPath);

    // Runs until no form is loaded; returns the exit status.
    int Run();

    core::SettingsStore& settings;
    const std::string appPath;
    forms::FormsRuntime runtime;
    core::Module1 module1;
    FrmOptions frmOptions;
    FrmMain frmMain;
};

}  // namespace nagwick::ui
