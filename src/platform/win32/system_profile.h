#pragma once
// The settings file through Windows' own profile functions. Names and paths
// go in as UTF-16, so a folder outside the ANSI code page works; the file
// itself stays in the ANSI code page, as the system writes it.
#include <cstddef>
#include <string>
#include <string_view>

#include "core/file_ops.h"

namespace nagwick::platform::win32 {

// GetPrivateProfileStringW with a buffer of `bufferSize` characters.
std::string ReadSystemProfileString(std::string_view section, std::string_view key,
                                    std::string_view defaultValue, std::size_t bufferSize,
                                    const std::string& path);

// WritePrivateProfileStringW; a failure carries the system's reason.
core::FileResult WriteSystemProfileString(std::string_view section, std::string_view key,
                                          std::string_view value, const std::string& path);

}  // namespace nagwick::platform::win32
