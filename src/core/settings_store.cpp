#include "core/settings_store.h"

#include "core/ini_format.h"

namespace nagwick::core {

namespace {

SaveResult Failed(FileResult why) { return {SaveResult::Outcome::Failed, std::move(why)}; }

}  // namespace

std::string SettingsStore::ReadProfileString(std::string_view section, std::string_view key,
                                             std::string_view defaultValue, std::size_t bufferSize,
                                             const std::string& path) {
    if (bufferSize == 0) return {};
    const FileContent content = files_.ReadAll(path);
    std::optional<std::string> value;
    if (content.status == FileContent::Status::Ok) value = FindProfileValue(content.bytes, section, key);
    return TruncateChars(value ? std::string_view(*value) : defaultValue, bufferSize - 1);
}

SaveResult SettingsStore::WriteProfileString(std::string_view section, std::string_view key,
                                             std::string_view value, const std::string& path) {
    files_.RemoveStaleTemps(path);
    const FileContent old = files_.ReadAll(path);
    if (old.status == FileContent::Status::Unreadable) return Failed(old.why);
    const bool exists = old.status == FileContent::Status::Ok;
    if (exists && FindProfileValue(old.bytes, section, key) == value) return {};

    std::string temp;
    if (FileResult made = files_.CreateTemp(path, temp); !made.ok()) return Failed(std::move(made));
    // Until the rename the old file is untouched; a failed step leaves only
    // the temporary file to clear away.
    FileResult step = files_.Write(temp, SetProfileValue(old.bytes, section, key, value));
    if (step.ok()) step = files_.Replace(temp, path);
    if (!step.ok()) {
        files_.Remove(temp);
        return Failed(std::move(step));
    }
    if (FileResult synced = files_.SyncFolder(path); !synced.ok())
        return {SaveResult::Outcome::Unconfirmed, std::move(synced)};
    return {};
}

}  // namespace nagwick::core
