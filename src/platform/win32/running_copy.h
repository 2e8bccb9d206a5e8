#pragma once
// Nagwick started again from the folder it already runs from: the running
// copy's windows come back, and the new start ends. A file mapping named
// for the folder, in the user's own session (Local\), holds the running
// copy's main window; a registered message asks it.
#include <windows.h>

#include <string>

namespace nagwick::platform::win32 {

// The message a running copy's main window answers with kBroughtBack.
UINT BringBackMessage();
constexpr LRESULT kBroughtBack = 0x4E57;

class RunningCopy {
public:
    // The record of the copy running from `folder` (App.Path); made empty
    // when there is none.
    explicit RunningCopy(const std::string& folder);
    ~RunningCopy();
    RunningCopy(const RunningCopy&) = delete;
    RunningCopy& operator=(const RunningCopy&) = delete;

    // Asks the recorded copy to bring its windows back. True once it has;
    // false when none is recorded, or when it does not answer within
    // `patience` (stopped, or ending).
    bool AskToBringBack(DWORD patience) const;
    // Records `window` as the main window of this copy, the one to ask.
    void Record(HWND window);

private:
    struct Shared {
        HWND window;
        DWORD process;
    };
    HANDLE mapping_ = nullptr;
    Shared* shared_ = nullptr;
};

}  // namespace nagwick::platform::win32
