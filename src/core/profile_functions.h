#pragma once
// What the settings need from the platform: the application folder and the
// profile functions that read and write one key of an INI file.
#include <cstddef>
#include <string>
#include <string_view>

#include "core/file_ops.h"

namespace nagwick::core {

class ProfileFunctions {
public:
    // The folder of the running executable, without a trailing separator
    // except at the root of a drive or file system, which keeps its one.
    virtual std::string AppPath() = 0;
    virtual char PathSeparator() const = 0;

    // What a buffer of `bufferSize` characters receives: the value, or the
    // default when the file, section or key is missing, cut to fit.
    virtual std::string ReadProfileString(std::string_view section, std::string_view key,
                                          std::string_view defaultValue, std::size_t bufferSize,
                                          const std::string& path) = 0;
    virtual FileResult WriteProfileString(std::string_view section, std::string_view key,
                                          std::string_view value, const std::string& path) = 0;
    // Clears away what an interrupted save of `path` left behind; the
    // system's own profile functions leave nothing, so by default nothing.
    virtual void RemoveStaleTemps(const std::string& /*path*/) {}

protected:
    ~ProfileFunctions() = default;
};

}  // namespace nagwick::core
