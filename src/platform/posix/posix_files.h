#pragma once
// The settings file's disk access on POSIX systems: whole-file reads and an
// atomic replace (a temporary file beside the file, fsync, rename, fsync of
// the folder).
#include <string>

#include "core/file_ops.h"

namespace nagwick::platform::posix {

class PosixFiles final : public core::FileOps {
public:
    PosixFiles() = default;
    PosixFiles(const PosixFiles&) = delete;
    PosixFiles& operator=(const PosixFiles&) = delete;
    ~PosixFiles() override;

    core::FileContent ReadAll(const std::string& path) override;
    core::FileResult CreateTemp(const std::string& path, std::string& tempPath) override;
    core::FileResult Write(const std::string& tempPath, const std::string& bytes) override;
    core::FileResult Replace(const std::string& tempPath, const std::string& path) override;
    core::FileResult SyncFolder(const std::string& path) override;
    void Remove(const std::string& tempPath) override;
    void RemoveStaleTemps(const std::string& path) override;

private:
    int temp_ = -1;  // the temporary file being written
};

}  // namespace nagwick::platform::posix
