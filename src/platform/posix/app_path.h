#pragma once
#include <string>

namespace nagwick::platform::posix {

// The folder of the running executable: no trailing separator, but "/" at the root.
std::string ExecutableFolder();

}  // namespace nagwick::platform::posix
