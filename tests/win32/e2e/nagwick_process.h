#pragma once
// One run of Nagwick.exe from a folder of its own, as from a flash drive.
#include "platform/win32/windows_api.h"

#include <optional>
#include <string>

namespace e2e {

class NagwickProcess {
public:
    // Copies `exe` into `folder` (made when missing), with `settings` as its
    // nagwick.ini, or none, and starts it there.
    NagwickProcess(const std::wstring& exe, const std::wstring& folder, const std::optional<std::string>& settings);
    // Ends the program if it still runs: a failed scenario leaves nothing behind.
    ~NagwickProcess();
    NagwickProcess(const NagwickProcess&) = delete;
    NagwickProcess& operator=(const NagwickProcess&) = delete;

    DWORD Pid() const { return process_.dwProcessId; }
    std::wstring SettingsPath() const { return folder_ + L"\\nagwick.ini"; }

    // The main window once it is on screen (shown, or minimised).
    HWND WaitForMainWindow() { return WaitForShown(L"Nagwick", 30000); }
    // The options dialog once it is shown.
    HWND WaitForOptions() { return WaitForShown(L"Nagwick options", 10000); }
    HWND Options() const { return Find(L"Nagwick options"); }
    bool Running() const { return WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT; }
    // The exit code, or nothing when it still runs after `ms`.
    std::optional<DWORD> WaitForExit(DWORD ms);

private:
    // The program's form with this title, shown or not.
    HWND Find(const wchar_t* title) const;
    HWND WaitForShown(const wchar_t* title, DWORD ms);

    std::wstring folder_;
    PROCESS_INFORMATION process_{};
};

}  // namespace e2e
