#pragma once
// Opening a folder in the Windows file manager.
#include <string>
#include <string_view>

namespace nagwick::platform::win32 {

// `argument` in double quotes, as the C runtime's and the shell's parsers read
// it back: backslashes before a quote, or before the closing quote, doubled;
// so "E:\" is written "E:\\" and keeps its backslash.
std::wstring QuoteArgument(std::wstring_view argument);

// "explorer.exe " followed by the quoted folder: blanks and commas (the file
// manager's option separator) stay part of the folder.
std::wstring FileManagerCommandLine(std::wstring_view folder);

// Starts the file manager of Windows on `folder` in a normal window, without
// waiting for it. False, with the system's reason, when it can't be started.
bool StartFileManager(const std::string& folder, std::string& error);

}  // namespace nagwick::platform::win32
