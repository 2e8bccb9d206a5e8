#pragma once
// The settings file's disk access on POSIX systems: whole-file reads and an
// atomic replace (a temporary file beside the file, fsync, rename, fsync of
// the folder).
#include <string>

#include "core/file_ops.h"

namespace nagwick::platform::posix {

class PosixFiles final : public core::FileOps {
public:
    core::FileContent ReadAll(const std::string& path) override;
    std::unique_ptr<core::TempFile> CreateTemp(const std::string& path, core::FileResult& why) override;
    core::FileResult SyncFolder(const std::string& path) override;
    void RemoveStaleTemps(const std::string& path) noexcept override;
};

}  // namespace nagwick::platform::posix
