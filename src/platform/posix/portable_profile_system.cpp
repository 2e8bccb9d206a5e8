#include "platform/posix/portable_profile_system.h"

#include "core/portable_profile.h"

namespace nagwick::platform::posix {

std::string PortableProfileSystem::ReadProfileString(std::string_view section,
                                                     std::string_view key,
                                                     std::string_view defaultValue,
                                                     std::size_t bufferSize,
                                                     const std::string& path) {
    return core::ReadProfileString(files_, section, key, defaultValue, bufferSize, path);
}

core::FileResult PortableProfileSystem::WriteProfileString(std::string_view section,
                                                           std::string_view key,
                                                           std::string_view value,
                                                           const std::string& path) {
    return core::WriteProfileString(files_, section, key, value, path);
}

void PortableProfileSystem::RemoveStaleTemps(const std::string& path) {
    files_.RemoveStaleTemps(path);
}

}  // namespace nagwick::platform::posix
