#include "platform/win32/fatal_error.h"

#include "platform/win32/windows_api.h"

#include <string>

#include "forms/forms_runtime.h"
#include "platform/win32/wide_text.h"

namespace nagwick::platform::win32 {

void ReportFatalError(std::string_view what) noexcept {
    try {
        const std::wstring text = Widen(forms::RunTimeErrorText(what));
        MessageBoxW(nullptr, text.c_str(), L"Nagwick",
                    MB_OK | MB_ICONHAND | MB_TASKMODAL | MB_SETFOREGROUND);
    } catch (...) {
        MessageBoxW(nullptr, L"Run-time error", L"Nagwick", MB_OK | MB_ICONHAND | MB_TASKMODAL);
    }
    ExitProcess(1);
}

}  // namespace nagwick::platform::win32
