#pragma once
// The file layer under the settings file: the steps of a whole-file read and
// of an atomic replace, which each platform gives the settings store. Tests
// give it files in memory, or fail any single step.
#include <string>
#include <string_view>

namespace nagwick::core {

// Why a file step failed, as the user is told it.
enum class FileError {
    None,
    ReadOnlyDrive,
    ReadOnlyFile,
    DriveFull,
    FolderMissing,   // the program's folder is gone
    FolderInPlace,   // a folder bears the file's name
    NotAllowed,
    DeviceError,     // the drive reported a failure of its own
    Other,           // the system's own words are in `detail`
};

struct FileResult {
    FileError error = FileError::None;
    std::string detail;

    bool ok() const { return error == FileError::None; }
};

struct FileContent {
    enum class Status { Ok, Missing, Unreadable } status = Status::Missing;
    std::string bytes;
    FileResult why;  // Unreadable only
};

// The name part every temporary file for `fileName` starts with, followed by
// the writer's process id: ".nagwick.ini.tmp-" for "nagwick.ini".
inline std::string TempPrefix(std::string_view fileName) {
    return "." + std::string(fileName) + ".tmp-";
}

class FileOps {
public:
    virtual ~FileOps() = default;

    virtual FileContent ReadAll(const std::string& path) = 0;

    // The steps of an atomic replace, in the order the writer takes them.
    // CreateTemp makes a new, empty file beside `path` for this writer alone
    // (one left under the same name by a writer that stopped is taken over),
    // and fails when `path` may not be replaced: a write-protected file, a
    // folder. Write puts `bytes` in it and flushes them to the device.
    virtual FileResult CreateTemp(const std::string& path, std::string& tempPath) = 0;
    virtual FileResult Write(const std::string& tempPath, const std::string& bytes) = 0;
    // Puts the temporary file in the place of `path`, in one step.
    virtual FileResult Replace(const std::string& tempPath, const std::string& path) = 0;
    // After Replace: flushes the folder, so that the new name survives the
    // drive's removal. A failure here leaves the new content in place.
    virtual FileResult SyncFolder(const std::string& path) = 0;
    // Clean-up of a temporary file after a failed step.
    virtual void Remove(const std::string& tempPath) = 0;
    // Removes the temporary files of writers that stopped part-way (a crash,
    // a pulled drive) more than a minute ago: younger ones may belong to a
    // copy of the program that is saving right now.
    virtual void RemoveStaleTemps(const std::string& path) = 0;
};

}  // namespace nagwick::core
