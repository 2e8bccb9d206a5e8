#pragma once
// The settings file's disk access on POSIX systems: whole-file reads and an
// atomic replace (temporary file, fsync, rename, folder fsync).
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
    ~PosixFileOps() override;  // closes temporary files still open

    core::FileContent ReadAll(const std::string& path) override;
    core::FileResult CreateTemp(const std::string& path, std::string& tempPath) override;
    core::FileResult Write(const std::string& tempPath, const std::string& bytes) override;
    core::FileResult Flush(const std::string& tempPath) override;
    core::FileResult Rename(const std::string& tempPath, const std::string& path) override;
    core::FileResult SyncFolder(const std::string& path) override;
    void Remove(const std::string& tempPath) override;
    // Only temporary files older than this are stale: a younger one may
    // belong to another copy of the program that is saving right now.
    static constexpr std::chrono::seconds kStaleAfter{60};
    void RemoveStaleTemps(const std::string& path) override;

    // The name part every temporary file for `path` starts with, followed by
    // six letters or digits: ".nagwick.ini.tmp-" for "nagwick.ini".
    static std::string TempPrefix(const std::string& path);

private:
    void Close(const std::string& tempPath);

    std::map<std::string, int> openTemps_;  // temporary file -> descriptor
};

}  // namespace nagwick::platform::posix
