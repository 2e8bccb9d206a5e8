#include "platform/win32/running_copy.h"

#include "core/instance_name.h"
#include "platform/win32/wide_text.h"

namespace nagwick::platform::win32 {

namespace {
// Registered as the program starts (user32 is loaded by then), not on first
// use: a function's static would bring in the thread library to guard it.
const UINT bringBackMessage = RegisterWindowMessageW(L"Nagwick.BringBack");
}  // namespace

UINT BringBackMessage() { return bringBackMessage; }

RunningCopy::RunningCopy(const std::string& folder) {
    // Folder names compare without regard to letter case, as Windows does.
    std::wstring key = Widen(folder);
    CharUpperBuffW(key.data(), static_cast<DWORD>(key.size()));
    const std::wstring name = L"Local\\" + Widen(core::InstanceName(Narrow(key)));
    mapping_ = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(Shared), name.c_str());
    if (mapping_) shared_ = static_cast<Shared*>(MapViewOfFile(mapping_, FILE_MAP_WRITE, 0, 0, sizeof(Shared)));
}

RunningCopy::~RunningCopy() {
    if (shared_) UnmapViewOfFile(shared_);
    if (mapping_) CloseHandle(mapping_);
}

bool RunningCopy::AskToBringBack(DWORD patience) const {
    if (!shared_ || !shared_->window) return false;
    // The user started this copy: it may hand the foreground on.
    AllowSetForegroundWindow(shared_->process);
    DWORD_PTR answer = 0;
    return SendMessageTimeoutW(shared_->window, BringBackMessage(), 0, 0, SMTO_ABORTIFHUNG | SMTO_ERRORONEXIT,
                               patience, &answer) &&
           answer == kBroughtBack;
}

void RunningCopy::Record(HWND window) {
    if (shared_) *shared_ = {window, GetCurrentProcessId()};
}

}  // namespace nagwick::platform::win32
