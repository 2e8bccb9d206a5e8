#pragma once
// Holds Nagwick.exe still for screenshots taken from outside.
#include <string>

namespace e2e {

// Starts Nagwick from `work`, then, for the main window and then for the
// options dialog over it, writes `work`\NAME.ready holding the window's
// screen rectangle ("x y width height") and waits until the file is gone
// (the screenshot is taken). 0 on success.
int Pose(const std::wstring& exe, const std::wstring& work);

}  // namespace e2e
