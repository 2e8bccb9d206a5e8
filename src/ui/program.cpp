#include "ui/program.h"

namespace nagwick::ui {

Program::Program(platform::WindowSystem& windowSystem)
    : system(windowSystem),
      runtime(windowSystem),
      frmOptions(*this),
      frmMain(*this) {}

int Program::Run() { return runtime.Run(frmMain); }

}  // namespace nagwick::ui
