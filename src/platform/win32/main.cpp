// Nagwick on Windows: the program over the Win32 window system.
#include "platform/win32/windows_api.h"
#include <commctrl.h>

#include <exception>

#include "platform/win32/fatal_error.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_system.h"
#include "ui/frm_main.h"
#include "ui/program.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    using namespace nagwick;
    try {
        // The common controls of the manifest's version 6, with visual styles.
        INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
        InitCommonControlsEx(&controls);
        platform::win32::Win32System system(platform::win32::Widen(ui::FrmMain::kWarningPrompt));
        ui::Program program(system);
        return program.Run();
    } catch (const std::exception& e) {
        platform::win32::ReportFatalError(e.what());
    } catch (...) {
        platform::win32::ReportFatalError("unknown error");
    }
}
