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

// Why a name or value can't be stored, or empty when it can.
std::string Refusal(std::string_view section, std::string_view key, std::string_view value) {
    constexpr std::string_view kBreaks("\r\n\0", 3);
    if (section.find_first_of(kBreaks) != std::string_view::npos ||
        key.find_first_of(kBreaks) != std::string_view::npos ||
        value.find_first_of(kBreaks) != std::string_view::npos) {
        return "The setting contains a line break, which the settings file cannot hold.";
    }
    const auto blank = [](std::string_view s) { return s.find_first_not_of(" \t\v\f\x1a") == std::string_view::npos; };
    if (blank(section) || blank(key)) return "The setting has no name.";
    const std::size_t first = key.find_first_not_of(" \t\v\f\x1a");
    if (key.find('=') != std::string_view::npos || key[first] == '[') {
        return "The setting's name \"" + std::string(key) + "\" cannot be stored in the settings file.";
    }
    return {};
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
    if (std::string why = Refusal(section, key, value); !why.empty()) {
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
