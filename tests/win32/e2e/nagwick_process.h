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
    const std::wstring& Folder() const { return folder_; }
    std::wstring SettingsPath() const { return folder_ + L"\\nagwick.ini"; }

    // The main window once it is on screen (shown, or minimised).
    HWND WaitForMainWindow();
    // The options dialog once it is shown.
    HWND WaitForOptions();
    HWND Options() const;
    bool Running() const;
    // The exit code, or nothing when it still runs after `ms`.
    std::optional<DWORD> WaitForExit(DWORD ms);

private:
    std::wstring folder_;
    PROCESS_INFORMATION process_{};
};

}  // namespace e2e
