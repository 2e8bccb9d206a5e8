#pragma once
// The settings store on Windows: reading through the system's own profile
// function, GetPrivateProfileStringW, and writing through the portable
// writer over the Win32 file layer. Names and paths go to the system as
// UTF-16, so a folder outside the ANSI code page works.
#include <cstddef>
#include <string>
#include <string_view>

#include "core/settings_store.h"

namespace nagwick::platform::win32 {

class SystemProfileStore final : public core::SettingsStore {
public:
    explicit SystemProfileStore(core::FileOps& files) : SettingsStore(files, '\\') {}

    std::string ReadProfileString(std::string_view section, std::string_view key, std::string_view defaultValue,
                                  std::size_t bufferSize, const std::string& path) override;
};

}  // namespace nagwick::platform::win32
