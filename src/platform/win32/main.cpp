// Nagwick on Windows: the program over the Win32 window system, the
// system's profile reader and the Win32 file layer.
#include <windows.h>
#include <commctrl.h>

#include <exception>

#include "platform/win32/app_folder.h"
#include "platform/win32/fatal_error.h"
#include "core/instance_name.h"
#include "platform/win32/running_copy.h"
#include "platform/win32/system_profile.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_files.h"
#include "platform/win32/win32_system.h"
#include "ui/frm_main.h"
#include "ui/program.h"

// Replaces libstdc++'s default std::terminate handler, which writes the
// uncaught exception's demangled type to a console this program never has,
// and with its demangler makes up a sixth of Nagwick.exe. A fault that gets
// this far is reported like any other.
void __gnu_cxx::__verbose_terminate_handler() { nagwick::platform::win32::ReportFatalError("terminate called"); }

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    using namespace nagwick;
    using namespace nagwick::platform::win32;
    try {
        const std::string folder = ExecutableFolder();
        // Started again from the folder it runs from: the running copy shows
        // itself, and this start ends, having touched nothing.
        RunningCopy copy(folder);
        if (copy.AskToBringBack(core::kAnswerPatienceMs)) return 0;
        HoldFolder(folder);
        // The common controls of the manifest's version 6, with visual styles.
        INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
        InitCommonControlsEx(&controls);
        // Windows shows the warning's text while the session's end waits for it.
        Win32System system(Widen(ui::FrmMain::kWarningPrompt), &copy);
        Win32Files files;
        SystemProfileStore settings(files);
        ui::Program program(system, settings, folder);
        return program.Run();
    } catch (const std::exception& e) {
        ReportFatalError(e.what());
    } catch (...) {
        ReportFatalError("unknown error");
    }
}
