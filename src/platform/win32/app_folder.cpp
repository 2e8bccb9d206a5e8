#include "platform/win32/app_folder.h"

#include <windows.h>

#include "platform/win32/wide_text.h"

namespace nagwick::platform::win32 {

std::wstring FolderOf(std::wstring_view modulePath) {
    const std::size_t slash = modulePath.find_last_of(L"\\/");
    if (slash == std::wstring_view::npos) return {};
    std::wstring_view folder = modulePath.substr(0, slash);
    // "E:" alone would mean the drive's current folder, not its root.
    if (folder.empty() || folder.back() == L':') folder = modulePath.substr(0, slash + 1);
    return std::wstring(folder);
}

std::string ExecutableFolder() {
    // Long paths don't fit MAX_PATH: grow the buffer until the name fits.
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    return Narrow(FolderOf(path));
}

void HoldFolder(const std::string& folder) {
    // Read access and no FILE_SHARE_DELETE: the handle counts in the sharing
    // checks, and no one may open the folder to delete or rename it.
    CreateFileW(Widen(folder).c_str(), FILE_LIST_DIRECTORY, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

}  // namespace nagwick::platform::win32
