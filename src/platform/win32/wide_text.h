#pragma once
// Text at the Win32 boundary: the program's UTF-8 strings to and from the
// system's UTF-16, and the system's own words for an error code.
#include <string>
#include <string_view>

namespace nagwick::platform::win32 {

// Malformed input becomes U+FFFD, never an error.
std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view utf16);

// The system's message for a GetLastError code, without its line end; a
// plain description with the number where the system has none.
std::string ErrorText(unsigned long code);

}  // namespace nagwick::platform::win32
