#include "platform/linux/program_folder.h"

#include <filesystem>

namespace nagwick::platform::gnu_linux {

std::string ProgramFolder() {
    std::error_code error;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) return std::filesystem::current_path().string();
    return exe.parent_path().string();
}

}  // namespace nagwick::platform::gnu_linux
