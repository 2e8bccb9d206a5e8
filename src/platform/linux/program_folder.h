#pragma once
// App.Path on Linux.
#include <string>

namespace nagwick::platform::gnu_linux {

// The folder of the running program: no trailing separator, but "/" at the root.
std::string ProgramFolder();

}  // namespace nagwick::platform::gnu_linux
