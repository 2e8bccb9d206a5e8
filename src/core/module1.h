#pragma once
// The state the two windows share, and the settings file that carries the
// two start-up choices between runs.
#include <cstdint>
#include <string>
#include <string_view>

#include "core/file_ops.h"
#include "core/profile_functions.h"

namespace nagwick::core {

// The runtime's 16-bit Boolean: True has all bits set.
using VbBoolean = std::int16_t;
constexpr VbBoolean vbTrue = -1;
constexpr VbBoolean vbFalse = 0;

struct Module1 {
    std::string strExplorer;    // "explorer": open the file manager at start-up
    std::string strStartState;  // "start": "minimized" or anything else for normal
    VbBoolean blnWarnOnUnload = vbFalse;
};

constexpr std::string_view kSettingsFileName = "nagwick.ini";
constexpr std::string_view kSettingsSection = "main";
constexpr std::string_view kExplorerKey = "explorer";
constexpr std::string_view kStartKey = "start";
constexpr std::string_view kExplorerDefault = "true";
constexpr std::string_view kStartDefault = "normal";

// App.Path followed directly by the separator and the file name; rebuilt for
// every read and write, nothing trimmed ("/" gives "//nagwick.ini").
std::string SettingsPath(ProfileFunctions& profile);

// Fills strExplorer and strStartState from the settings file or the defaults,
// first clearing away what an interrupted save of it left behind.
void ReadSettings(Module1& shared, ProfileFunctions& profile);

// Writes one key of section "main".
FileResult WriteSetting(ProfileFunctions& profile, std::string_view key, const std::string& value);

}  // namespace nagwick::core
