#pragma once
// The settings file's disk access on POSIX systems: whole-file reads and an
// atomic replace (temporary file, fsync, rename, folder fsync).
//
// A writer holds an exclusive flock() on its temporary file from creation
// until the rename or removal, so a temporary file nobody holds locked is a
// dead writer's and may go at once, even while another copy of the program
// saves. On FUSE mounts without lock support of their own the kernel keeps
// flock() locks locally, which is all one machine needs; where a file system
// refuses locks altogether, only temporary files older than kStaleAfter count
// as stale.
#include <chrono>
#include <map>
#include <string>

#include "core/file_ops.h"

namespace nagwick::platform::posix {

class PosixFileOps : public core::FileOps {
public:
    PosixFileOps() = default;
    PosixFileOps(const PosixFileOps&) = delete;
    PosixFileOps& operator=(const PosixFileOps&) = delete;
    ~PosixFileOps() override;  // closes (and so unlocks) temporary files still open

    core::FileContent ReadAll(const std::string& path) override;
    core::FileResult CreateTemp(const std::string& path, std::string& tempPath) override;
    core::FileResult Write(const std::string& tempPath, const std::string& bytes) override;
    core::FileResult Flush(const std::string& tempPath) override;
    core::FileResult Rename(const std::string& tempPath, const std::string& path) override;
    core::FileResult SyncFolder(const std::string& path) override;
    void Remove(const std::string& tempPath) override;
    void RemoveStaleTemps(const std::string& path) override;

    // Where locks are refused, a younger temporary file may belong to another
    // copy of the program that is saving right now.
    static constexpr std::chrono::seconds kStaleAfter{60};

    // The name part every temporary file for `path` starts with, followed by
    // six letters or digits: ".nagwick.ini.tmp-" for "nagwick.ini".
    static std::string TempPrefix(const std::string& path);

private:
    void Close(const std::string& tempPath);

    std::map<std::string, int> openTemps_;  // temporary file -> descriptor holding its lock
};

}  // namespace nagwick::platform::posix
