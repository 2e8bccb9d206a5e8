#include "core/portable_profile.h"

#include "core/profile_text.h"

namespace nagwick::core {
namespace {

// The default loses its trailing spaces (but never its first character), as
// the system's reader does.
std::string_view TrimDefault(std::string_view value) {
    while (value.size() > 1 && value.back() == ' ') value.remove_suffix(1);
    return value;
}

}  // namespace

std::string ReadProfileString(FileOps& files, std::string_view section, std::string_view key,
                              std::string_view defaultValue, std::size_t bufferSize,
                              const std::string& path) {
    if (bufferSize == 0) return {};
    const std::size_t room = bufferSize - 1;
    const std::string_view fallback = TrimDefault(defaultValue);
    const FileContent content = files.ReadAll(path);
    switch (content.status) {
    case ReadStatus::Unreadable:
        return TruncateChars(fallback, room);
    case ReadStatus::Missing:
        return TruncateChars(UnquoteProfileValue(fallback), room);
    case ReadStatus::Ok:
        break;
    }
    const auto value = FindProfileValue(content.bytes, section, key);
    return TruncateChars(value ? std::string_view(*value) : UnquoteProfileValue(fallback), room);
}

FileResult WriteProfileString(FileOps& files, std::string_view section, std::string_view key,
                              std::string_view value, const std::string& path) {
    if (std::string why = WhyUnstorable(section, key, value); !why.empty()) {
        return FileResult::Failure(std::move(why));
    }
    files.RemoveStaleTemps(path);

    const FileContent old = files.ReadAll(path);
    if (old.status == ReadStatus::Unreadable) return FileResult::Failure(old.error);
    if (old.status == ReadStatus::Ok && FindProfileValue(old.bytes, section, key) == value) {
        return FileResult::Success();
    }
    const std::string bytes = SetProfileValue(old.bytes, section, key, value);
    if (old.status == ReadStatus::Ok && bytes == old.bytes) return FileResult::Success();

    std::string temp;
    if (FileResult made = files.CreateTemp(path, temp); !made.ok) return made;
    // Until the rename the old file is untouched; a failed step only leaves
    // the temporary file to clean up.
    const auto abandon = [&](FileResult failed) {
        files.Remove(temp);
        return failed;
    };
    if (FileResult r = files.Write(temp, bytes); !r.ok) return abandon(std::move(r));
    if (FileResult r = files.Flush(temp); !r.ok) return abandon(std::move(r));
    if (FileResult r = files.Rename(temp, path); !r.ok) return abandon(std::move(r));
    // The new content is in place; this fails only on a write error of the
    // device, which the user must hear of before pulling the drive.
    return files.SyncFolder(path);
}

}  // namespace nagwick::core
