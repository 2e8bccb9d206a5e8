#include "platform/posix/app_path.h"

#include <filesystem>

namespace nagwick::platform::posix {

std::string ExecutableFolder() {
    std::error_code error;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) return std::filesystem::current_path().string();
    return exe.parent_path().string();
}

}  // namespace nagwick::platform::posix
