#pragma once
// The profile functions of a platform that has none of its own: our INI
// reader and writer over the POSIX file layer. The Linux backends derive
// from this; Windows uses the system's functions instead.
#include <string>

#include "platform/posix/posix_file_ops.h"
#include "platform/window_system.h"

namespace nagwick::platform::posix {

class PortableProfileSystem : public WindowSystem {
public:
    char PathSeparator() const override { return '/'; }
    std::string ReadProfileString(std::string_view section, std::string_view key,
                                  std::string_view defaultValue, std::size_t bufferSize,
                                  const std::string& path) override;
    core::FileResult WriteProfileString(std::string_view section, std::string_view key,
                                        std::string_view value, const std::string& path) override;
    void RemoveStaleTemps(const std::string& path) override;

private:
    PosixFileOps files_;
};

}  // namespace nagwick::platform::posix
