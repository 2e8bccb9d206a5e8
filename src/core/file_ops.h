#pragma once
// The file layer under the settings file: the steps of a whole-file read and
// of an atomic replace, which each platform gives the settings store. Tests
// give it files in memory, or fail any single step.
#include <memory>
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

// A new file beside the one it is to replace: written whole, then put in
// that file's place in one step, or discarded. One that has not replaced its
// file is discarded when it goes.
class TempFile {
public:
    virtual ~TempFile() = default;
    // Puts `bytes` in it and flushes them to the device.
    virtual FileResult Write(const std::string& bytes) = 0;
    // Puts it in the place of the file it was made for, in one step.
    virtual FileResult Replace() = 0;
    // Removes it, unless it has replaced its file.
    virtual void Discard() = 0;
};

class FileOps {
public:
    virtual ~FileOps() = default;

    virtual FileContent ReadAll(const std::string& path) = 0;

    // A new, empty temporary file beside `path`, for this writer alone (one
    // left under the same name by a writer that stopped is taken over); or
    // null, with the reason in `why`, when `path` may not be replaced: a
    // write-protected file, a folder.
    virtual std::unique_ptr<TempFile> CreateTemp(const std::string& path, FileResult& why) = 0;
    // After a replace: flushes the folder, so that the new name survives the
    // drive's removal. A failure here leaves the new content in place.
    virtual FileResult SyncFolder(const std::string& path) = 0;
    // Removes the temporary files of writers that stopped part-way (a crash,
    // a pulled drive) more than a minute ago: younger ones may belong to a
    // copy of the program that is saving right now. Best effort: a folder
    // that can't be read is left as it is.
    virtual void RemoveStaleTemps(const std::string& path) noexcept = 0;
};

}  // namespace nagwick::core
