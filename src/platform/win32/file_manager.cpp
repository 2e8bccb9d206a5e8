#include "platform/win32/file_manager.h"

#include <windows.h>

#include "platform/win32/wide_text.h"

namespace nagwick::platform::win32 {

std::wstring QuoteArgument(std::wstring_view argument) {
    std::wstring quoted = L"\"";
    std::size_t backslashes = 0;
    for (const wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        if (c == L'"') {
            quoted.append(backslashes * 2 + 1, L'\\');
        } else {
            quoted.append(backslashes, L'\\');
        }
        quoted += c;
        backslashes = 0;
    }
    quoted.append(backslashes * 2, L'\\');
    quoted += L'"';
    return quoted;
}

std::wstring FileManagerCommandLine(std::wstring_view folder) {
    return L"explorer.exe " + QuoteArgument(folder);
}

bool StartFileManager(const std::string& folder, std::string& error) {
    wchar_t windows[MAX_PATH];
    // The system's Windows folder: on a terminal server, GetWindowsDirectory
    // gives the user's private one, which has no explorer.exe.
    const UINT length = GetSystemWindowsDirectoryW(windows, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        error = ErrorText(GetLastError());
        return false;
    }
    // The one in the Windows folder: a search by name would try the
    // program's own folder first, that is the flash drive.
    const std::wstring program = std::wstring(windows) + L"\\explorer.exe";
    std::wstring commandLine = FileManagerCommandLine(Widen(folder));

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION process{};
    // Started in the Windows folder, so that it holds no folder of the drive open.
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        windows, &startup, &process)) {
        error = ErrorText(GetLastError());
        return false;
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

}  // namespace nagwick::platform::win32
