#pragma once
// Where the Linux program lies: App.Path is its folder.
#include <filesystem>

namespace nagwick::platform::gnu_linux {

// The running program's own file, however it was started: by its path,
// through a symbolic link (then the link's target), or handed to the dynamic
// loader (then /proc/self/exe names the loader). Empty when unknown.
std::filesystem::path ProgramFile();

}  // namespace nagwick::platform::gnu_linux
