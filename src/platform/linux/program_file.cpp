#include "platform/linux/program_file.h"

#include <cinttypes>
#include <cstdio>
#include <fstream>
#include <string>

namespace nagwick::platform::gnu_linux {

std::filesystem::path ProgramFile() {
    // The file this very code is mapped from, as the kernel names it.
    const auto here = reinterpret_cast<std::uintptr_t>(&ProgramFile);
    std::ifstream maps("/proc/self/maps");
    std::string line;
    while (std::getline(maps, line)) {
        std::uintptr_t start = 0, end = 0;
        if (std::sscanf(line.c_str(), "%" SCNxPTR "-%" SCNxPTR, &start, &end) != 2) continue;
        if (here < start || here >= end) continue;
        const auto path = line.find('/');
        if (path != std::string::npos) return line.substr(path);
        break;
    }
    std::error_code error;
    return std::filesystem::read_symlink("/proc/self/exe", error);
}

}  // namespace nagwick::platform::gnu_linux
