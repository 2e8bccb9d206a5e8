#pragma once
// The settings file's store: the two profile functions the program declares,
// GetPrivateProfileString and WritePrivateProfileString, over a platform's
// file layer. Reading is ours, or the system's own where it has one; writing
// is ours on every system, so that a save keeps every other byte of the
// user's file and is atomic.
#include <cstddef>
#include <span>
#include <string>
#include <string_view>

#include "core/file_ops.h"

namespace nagwick::core {

// One key and the value to give it.
struct ProfileEntry {
    std::string_view key;
    std::string_view value;
};

// What a save came to.
struct SaveResult {
    enum class Outcome {
        Saved,
        Unconfirmed,  // in place, but the drive did not confirm it
        Failed,       // the file is as it was
    };
    Outcome outcome = Outcome::Saved;
    FileResult why;
};

class SettingsStore {
public:
    // `separator` joins a folder and a file name on this system.
    SettingsStore(FileOps& files, char separator) : files_(files), separator_(separator) {}
    virtual ~SettingsStore() = default;
    SettingsStore(const SettingsStore&) = delete;
    SettingsStore& operator=(const SettingsStore&) = delete;

    char PathSeparator() const { return separator_; }

    // What a buffer of `bufferSize` characters receives: the stored value,
    // or the default when the file, section or key is missing (or the file
    // can't be read); cut to bufferSize - 1 characters. Never touches the file.
    virtual std::string ReadProfileString(std::string_view section, std::string_view key,
                                          std::string_view defaultValue, std::size_t bufferSize,
                                          const std::string& path);

    // Sets the keys of `section` in order, every other byte of the file kept:
    // the bytes are those that one WritePrivateProfileString a key would
    // give. A save that changes nothing leaves the file untouched. The new
    // content replaces the file in one step: whichever step fails, and
    // wherever the program stops, the file holds the old bytes or all of the
    // new ones, and a failed step leaves no temporary file behind.
    SaveResult WriteProfileStrings(std::string_view section, std::span<const ProfileEntry> entries,
                                   const std::string& path);

private:
    FileOps& files_;
    char separator_;
};

}  // namespace nagwick::core
