#include "platform/win32/system_profile.h"

#include "platform/win32/windows_api.h"

#include <climits>
#include <vector>

#include "platform/win32/wide_text.h"

namespace nagwick::platform::win32 {

std::string ReadSystemProfileString(std::string_view section, std::string_view key,
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

core::FileResult WriteSystemProfileString(std::string_view section, std::string_view key,
                                          std::string_view value, const std::string& path) {
    SetLastError(ERROR_SUCCESS);
    if (WritePrivateProfileStringW(Widen(section).c_str(), Widen(key).c_str(), Widen(value).c_str(),
                                   Widen(path).c_str())) {
        return core::FileResult::Success();
    }
    const DWORD error = GetLastError();
    if (error == ERROR_SUCCESS) return core::FileResult::Failure("The settings file could not be written.");
    return core::FileResult::Failure(ErrorText(error));
}

}  // namespace nagwick::platform::win32
