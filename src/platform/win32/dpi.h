#pragma once
// Dots per inch of a window, and the metrics that depend on them. The
// per-window functions of Windows 10 are looked up when first needed; on
// older systems, which lack them, the system's DPI stands in.
#include <windows.h>

namespace nagwick::platform::win32 {

constexpr int kDefaultDpi = 96;

int WindowDpi(HWND window);

// The outer size of a window whose client area is `width` x `height`.
SIZE WindowSizeForClient(int width, int height, DWORD style, DWORD exStyle, int dpi);

// GetSystemMetrics at `dpi`.
int SystemMetric(int index, int dpi);

}  // namespace nagwick::platform::win32
