#pragma once
// The last resort for an error that reaches the Win32 boundary (a window
// procedure, the entry point): no exception may cross into the system.
#include <string_view>

namespace nagwick::platform::win32 {

// Says what happened in a box, as the runtime's default error report does,
// then ends the process with status 1.
[[noreturn]] void ReportFatalError(std::string_view what) noexcept;

}  // namespace nagwick::platform::win32
