#pragma once
// The settings file's disk access on Windows: whole-file reads and an atomic
// replace (a new file beside the old one, flushed, then moved over it with
// MOVEFILE_WRITE_THROUGH). Paths are UTF-8 here and UTF-16 for the system,
// so any folder name works.
#include <string>

#include "core/file_ops.h"

namespace nagwick::platform::win32 {

class Win32Files final : public core::FileOps {
public:
    core::FileContent ReadAll(const std::string& path) override;
    std::unique_ptr<core::TempFile> CreateTemp(const std::string& path, core::FileResult& why) override;
    // Nothing left to do: the move wrote through.
    core::FileResult SyncFolder(const std::string&) override { return {}; }
    void RemoveStaleTemps(const std::string& path) noexcept override;
};

}  // namespace nagwick::platform::win32
