#pragma once
// <windows.h> for the backend, without the macros that would rename the
// program's own names: WriteProfileString is the settings store's writer
// here, not kernel32's writer of win.ini. Include this, never <windows.h>
// itself.
#include <windows.h>

#undef WriteProfileString
