#pragma once
#include <string>

namespace nagwick::platform::qt {

// Shows `folder` in the user's file manager without waiting: through the
// org.freedesktop.FileManager1 service where one runs, else xdg-open.
bool OpenInFileManager(const std::string& folder, std::string& error);

}  // namespace nagwick::platform::qt
