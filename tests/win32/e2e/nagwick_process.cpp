#include "e2e/nagwick_process.h"

#include "e2e/probe.h"

namespace e2e {

NagwickProcess::NagwickProcess(const std::wstring& exe, const std::wstring& folder,
                               const std::optional<std::string>& settings)
    : folder_(folder) {
    CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring copy = folder + L"\\Nagwick.exe";
    Require(CopyFileW(exe.c_str(), copy.c_str(), FALSE) != FALSE, "could not copy Nagwick.exe to " + Narrow(copy));
    SetFileAttributesW(SettingsPath().c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(SettingsPath().c_str());
    if (settings) WriteWholeFile(SettingsPath(), *settings);

    std::wstring commandLine = L"\"" + copy + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    // Started from elsewhere: the program finds its folder by itself.
    wchar_t windows[MAX_PATH];
    GetWindowsDirectoryW(windows, MAX_PATH);
    Require(CreateProcessW(copy.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, windows,
                           &startup, &process_) != FALSE,
            "could not start " + Narrow(copy));
    CloseHandle(process_.hThread);
}

NagwickProcess::~NagwickProcess() {
    if (!process_.hProcess) return;
    if (Running()) {
        TerminateProcess(process_.hProcess, 99);
        WaitForSingleObject(process_.hProcess, 5000);
    }
    CloseHandle(process_.hProcess);
}

HWND NagwickProcess::Find(const wchar_t* title) const {
    const auto found = TopWindows(Pid(), L"NagwickForm", title);
    return found.empty() ? nullptr : found.front();
}

HWND NagwickProcess::WaitForShown(const wchar_t* title, DWORD ms) {
    HWND window = nullptr;
    WaitUntil([&] { return (window = Find(title)) && IsWindowVisible(window); }, ms);
    Require(window && IsWindowVisible(window), "no window \"" + Narrow(title) + "\" appeared");
    return window;
}

std::optional<DWORD> NagwickProcess::WaitForExit(DWORD ms) {
    if (WaitForSingleObject(process_.hProcess, ms) != WAIT_OBJECT_0) return std::nullopt;
    DWORD code = 0;
    GetExitCodeProcess(process_.hProcess, &code);
    return code;
}

}  // namespace e2e
