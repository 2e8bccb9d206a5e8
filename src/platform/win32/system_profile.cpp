#include "platform/win32/system_profile.h"

#include <windows.h>

#include <climits>
#include <vector>

#include "platform/win32/wide_text.h"

namespace nagwick::platform::win32 {

std::string SystemProfileStore::ReadProfileString(std::string_view section, std::string_view key,
                                                  std::string_view defaultValue, std::size_t bufferSize,
                                                  const std::string& path) {
    if (bufferSize == 0) return {};
    const DWORD size = bufferSize > INT_MAX ? INT_MAX : static_cast<DWORD>(bufferSize);
    std::vector<wchar_t> buffer(size, L'\0');
    const DWORD copied =
        GetPrivateProfileStringW(Widen(section).c_str(), Widen(key).c_str(), Widen(defaultValue).c_str(),
                                 buffer.data(), size, Widen(path).c_str());
    return Narrow(std::wstring_view(buffer.data(), copied < size ? copied : size - 1));
}

}  // namespace nagwick::platform::win32
