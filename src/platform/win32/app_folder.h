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

}  // namespace nagwick::platform::win32
