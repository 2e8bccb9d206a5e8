#include "core/module1.h"

#include <string>

namespace nagwick::core {

namespace {

// Reads one key into a buffer of `bufferSize` characters and drops every NUL,
// as the program always has: what remains is the value as stored, or the default.
std::string ReadKey(ProfileFunctions& profile, std::string_view key, std::string_view defaultValue,
                    std::size_t bufferSize) {
    std::string value = profile.ReadProfileString(kSettingsSection, key, defaultValue, bufferSize,
                                                  SettingsPath(profile));
    std::erase(value, '\0');
    return value;
}

}  // namespace

std::string SettingsPath(ProfileFunctions& profile) {
    return profile.AppPath() + profile.PathSeparator() + std::string(kSettingsFileName);
}

void ReadSettings(Module1& shared, ProfileFunctions& profile) {
    profile.RemoveStaleTemps(SettingsPath(profile));
    shared.strExplorer = ReadKey(profile, kExplorerKey, kExplorerDefault, 6);
    shared.strStartState = ReadKey(profile, kStartKey, kStartDefault, 10);
}

FileResult WriteSetting(ProfileFunctions& profile, std::string_view key, const std::string& value) {
    return profile.WriteProfileString(kSettingsSection, key, value, SettingsPath(profile));
}

}  // namespace nagwick::core
