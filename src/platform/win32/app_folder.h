#pragma once
// The application folder (App.Path) on Windows.
#include <string>
#include <string_view>

namespace nagwick::platform::win32 {

// The folder part of an executable's full path: no trailing backslash, but
// for a drive's root, which keeps its one ("E:\Nagwick.exe" gives "E:\").
std::wstring FolderOf(std::wstring_view modulePath);

// The folder of the running executable, in UTF-8.
std::string ExecutableFolder();

// Opens `folder` for the rest of the run, never to close it: Windows then
// tells a safe removal of the drive that it is in use (the program itself,
// run from the page file, does not), and the folder can't be renamed or
// removed under the program. Best effort.
void HoldFolder(const std::string& folder);

}  // namespace nagwick::platform::win32
