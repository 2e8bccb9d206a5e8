#pragma once
// The file layer under the settings file: everything the profile writer does
// to the disk goes through here, so tests can fail any single step.
#include <string>
#include <utility>

namespace nagwick::core {

// Outcome of one file step; `error` says why it failed, in words for the user.
struct FileResult {
    bool ok = true;
    std::string error;

    static FileResult Success() { return {}; }
    static FileResult Failure(std::string why) { return {false, std::move(why)}; }
};

enum class ReadStatus { Ok, Missing, Unreadable };

struct FileContent {
    ReadStatus status = ReadStatus::Missing;
    std::string bytes;
    std::string error;  // why it could not be read (Unreadable only)
};

class FileOps {
public:
    virtual ~FileOps() = default;

    // The whole file; Missing when it doesn't exist, Unreadable (with the
    // reason) when it exists but can't be read.
    virtual FileContent ReadAll(const std::string& path) = 0;

    // Atomic replacement, in the order the writer calls these steps:
    // a temporary file beside `path` is created, written, flushed to the
    // device, renamed over `path`, and the folder is flushed.
    // CreateTemp fails when `path` exists but may not be written (a
    // write-protected file stays as it is); the temporary file gets the
    // permissions of `path`, or those of a newly created file. It stays this
    // writer's own until Rename or Remove: no RemoveStaleTemps touches it.
    virtual FileResult CreateTemp(const std::string& path, std::string& tempPath) = 0;
    virtual FileResult Write(const std::string& tempPath, const std::string& bytes) = 0;
    virtual FileResult Flush(const std::string& tempPath) = 0;
    virtual FileResult Rename(const std::string& tempPath, const std::string& path) = 0;
    // Runs after the rename, so the new content is in place whatever it
    // says; it fails only when the device reported a write error, which
    // means that content may be lost when the drive is removed.
    virtual FileResult SyncFolder(const std::string& path) = 0;
    // Best-effort clean-up of a temporary file after a failed step.
    virtual void Remove(const std::string& tempPath) = 0;
    // Removes the temporary files that writers which stopped part-way (a
    // crash, a power cut, a pulled drive) left beside `path`, but none that a
    // running writer, of this or another copy of the program, still uses.
    virtual void RemoveStaleTemps(const std::string& path) = 0;
};

}  // namespace nagwick::core
