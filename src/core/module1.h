#pragma once
// The state the two windows share, and the settings file that carries the
// two start-up choices between runs.
//
// Names such as Module1, frmMain, btkOK (with its k), strExplorer and
// blnWarnOnUnload are the ones this program has always had, kept as they
// were so that each part is found under its established name.
#include <cstdint>
#include <string>
#include <string_view>

#include "core/settings_store.h"

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
constexpr std::string_view kExplorerKey = "explorer";
constexpr std::string_view kStartKey = "start";

// App.Path followed directly by the separator and the file name; rebuilt for
// every read and write, nothing trimmed ("E:\" gives "E:\\nagwick.ini").
std::string SettingsPath(const SettingsStore& store, const std::string& appPath);

// Fills strExplorer and strStartState from the settings file beside the
// program, or with the defaults "true" and "normal".
void ReadSettings(Module1& shared, SettingsStore& store, const std::string& appPath);

// Writes both choices, strExplorer as "explorer" and strStartState as
// "start", to section "main" in one save: a drive pulled meanwhile leaves
// the old pair in the file or the new one, never one of each.
SaveResult WriteSettings(const Module1& shared, SettingsStore& store, const std::string& appPath);

// What the user is told of a save that did not go as planned: one sentence
// naming the file and the reason; empty for a save that went well.
std::string SaveReport(const SaveResult& result);

}  // namespace nagwick::core
