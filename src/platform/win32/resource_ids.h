#pragma once
// Resource identifiers, shared by the resource script and the code (so plain
// macros: the resource compiler reads this file too).

// The program's icon group; Windows shows the lowest-numbered one for the file.
#define IDI_NAGWICK 1

#ifdef __cplusplus
namespace nagwick::platform::win32 {
constexpr int kIconId = IDI_NAGWICK;
}
#endif
