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

SaveResult SettingsStore::WriteProfileStrings(std::string_view section, std::span<const ProfileEntry> entries,
                                              const std::string& path) {
    files_.RemoveStaleTemps(path);
    const FileContent old = files_.ReadAll(path);
    if (old.status == FileContent::Status::Unreadable) return Failed(old.why);
    std::string bytes = old.bytes;
    for (const ProfileEntry& entry : entries)
        if (FindProfileValue(bytes, section, entry.key) != entry.value)
            bytes = SetProfileValue(bytes, section, entry.key, entry.value);
    if (old.status == FileContent::Status::Ok && bytes == old.bytes) return {};

    FileResult step;
    const std::unique_ptr<TempFile> temp = files_.CreateTemp(path, step);
    if (!temp) return Failed(std::move(step));
    // Until the replace the old file is untouched; a failed step leaves only
    // the temporary file to clear away.
    step = temp->Write(bytes);
    if (step.ok()) step = temp->Replace();
    if (!step.ok()) {
        temp->Discard();
        return Failed(std::move(step));
    }
    if (FileResult synced = files_.SyncFolder(path); !synced.ok())
        return {SaveResult::Outcome::Unconfirmed, std::move(synced)};
    return {};
}

}  // namespace nagwick::core
