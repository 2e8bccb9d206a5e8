#include "ui/program.h"

namespace nagwick::ui {

Program::Program(forms::WindowSystem& windowSystem, core::SettingsStore& settingsStore, std::string path)
    : settings(settingsStore),
      appPath(std::move(path)),
      runtime(windowSystem),
      frmOptions(*this),
      frmMain(*this) {}

int Program::Run() { return runtime.Run(frmMain); }

}  // namespace nagwick::ui
