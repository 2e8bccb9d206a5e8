#pragma once
// The profile functions of a platform that has none of its own: our INI
// reader and writer over the POSIX file layer. The Linux backends derive
// from this; Windows uses the system's functions instead.
#include <memory>
#include <string>

#include "core/file_ops.h"
#include "platform/window_system.h"

namespace nagwick::platform::posix {

class PortableProfileSystem : public WindowSystem {
public:
    // `files` is the file layer under the settings file (the real one by default).
    explicit PortableProfileSystem(core::FileOps* files);
    ~PortableProfileSystem() override;

    char PathSeparator() const override { return '/'; }
    std::string ReadProfileString(std::string_view section, std::string_view key,
                                  std::string_view defaultValue, std::size_t bufferSize,
                                  const std::string& path) override;
    core::FileResult WriteProfileString(std::string_view section, std::string_view key,
                                        std::string_view value, const std::string& path) override;
    void RemoveStaleTemps(const std::string& path) override;

private:
    std::unique_ptr<core::FileOps> ownFiles_;
    core::FileOps* files_;
};

}  // namespace nagwick::platform::posix
