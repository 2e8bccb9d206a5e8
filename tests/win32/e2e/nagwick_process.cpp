#include "e2e/nagwick_process.h"

#include "e2e/probe.h"

namespace e2e {

namespace {
constexpr DWORD kStartTimeoutMs = 30000;
}

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
    process_.hThread = nullptr;
}

NagwickProcess::~NagwickProcess() {
    if (!process_.hProcess) return;
    if (Running()) {
        TerminateProcess(process_.hProcess, 99);
        WaitForSingleObject(process_.hProcess, 5000);
    }
    CloseHandle(process_.hProcess);
}

HWND NagwickProcess::WaitForMainWindow() {
    HWND main = nullptr;
    WaitUntil(
        [&] {
            main = FindTopWindow(Pid(), L"NagwickForm", L"Nagwick");
            return main && IsWindowVisible(main);
        },
        kStartTimeoutMs);
    Require(main && IsWindowVisible(main), "the main window did not appear");
    return main;
}

HWND NagwickProcess::Options() const { return FindTopWindow(Pid(), L"NagwickForm", L"Nagwick options"); }

HWND NagwickProcess::WaitForOptions() {
    HWND options = nullptr;
    WaitUntil(
        [&] {
            options = Options();
            return options && IsWindowVisible(options);
        },
        10000);
    Require(options && IsWindowVisible(options), "the options dialog did not appear");
    return options;
}

bool NagwickProcess::Running() const { return WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT; }

std::optional<DWORD> NagwickProcess::WaitForExit(DWORD ms) {
    if (WaitForSingleObject(process_.hProcess, ms) != WAIT_OBJECT_0) return std::nullopt;
    DWORD code = 0;
    GetExitCodeProcess(process_.hProcess, &code);
    return code;
}

}  // namespace e2e
