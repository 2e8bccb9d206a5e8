#include "platform/win32/fatal_error.h"

#include <windows.h>

#include <string>

#include "forms/forms_runtime.h"
#include "platform/win32/wide_text.h"

namespace nagwick::platform::win32 {

void ReportFatalError(std::string_view what) noexcept {
    try {
        MessageBoxW(nullptr, Widen(forms::RunTimeErrorText(what)).c_str(), Widen(forms::App::Title).c_str(),
                    MB_OK | MB_ICONHAND | MB_TASKMODAL | MB_SETFOREGROUND);
    } catch (...) {
        // No memory for the words: the system's own box still says it.
        MessageBoxW(nullptr, L"Run-time error", nullptr, MB_OK | MB_ICONHAND | MB_TASKMODAL);
    }
    ExitProcess(1);
}

}  // namespace nagwick::platform::win32
