#include "core/module1.h"

#include <string>

namespace nagwick::core {

namespace {

constexpr std::string_view kSection = "main";

// Reads one key into a buffer of `bufferSize` characters and drops every NUL,
// as the program always has: what remains is the value as stored, or the default.
std::string ReadKey(SettingsStore& store, const std::string& appPath, std::string_view key,
                    std::string_view defaultValue, std::size_t bufferSize) {
    std::string value =
        store.ReadProfileString(kSection, key, defaultValue, bufferSize, SettingsPath(store, appPath));
    std::erase(value, '\0');
    return value;
}

std::string Reason(const FileResult& why) {
    switch (why.error) {
    case FileError::ReadOnlyDrive: return "the drive is read-only";
    case FileError::ReadOnlyFile: return "the file is read-only";
    case FileError::DriveFull: return "the drive is full";
    case FileError::FolderMissing: return "the program's folder is gone";
    case FileError::FolderInPlace: return "a folder has taken its name";
    case FileError::NotAllowed: return "you are not allowed to change it";
    case FileError::DeviceError: return "the drive reported an error";
    case FileError::None:
    case FileError::Other: break;
    }
    return why.detail.empty() ? "the system gave no reason" : why.detail;
}

}  // namespace

std::string SettingsPath(const SettingsStore& store, const std::string& appPath) {
    return appPath + store.PathSeparator() + std::string(kSettingsFileName);
}

void ReadSettings(Module1& shared, SettingsStore& store, const std::string& appPath) {
    shared.strExplorer = ReadKey(store, appPath, kExplorerKey, "true", 6);
    shared.strStartState = ReadKey(store, appPath, kStartKey, "normal", 10);
}

SaveResult WriteSettings(const Module1& shared, SettingsStore& store, const std::string& appPath) {
    const ProfileEntry entries[] = {{kExplorerKey, shared.strExplorer}, {kStartKey, shared.strStartState}};
    return store.WriteProfileStrings(kSection, entries, SettingsPath(store, appPath));
}

std::string SaveReport(const SaveResult& result) {
    const std::string file(kSettingsFileName);
    switch (result.outcome) {
    case SaveResult::Outcome::Saved:
        return {};
    case SaveResult::Outcome::Unconfirmed:
        return "Your choices were saved in " + file + ", but they may be lost if you remove the drive now: " +
               Reason(result.why) + ".";
    case SaveResult::Outcome::Failed:
        break;
    }
    return "Your choices could not be saved in " + file + ": " + Reason(result.why) + ".";
}

}  // namespace nagwick::core
