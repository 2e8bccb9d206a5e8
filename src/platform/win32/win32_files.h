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
    Win32Files() = default;
    Win32Files(const Win32Files&) = delete;
    Win32Files& operator=(const Win32Files&) = delete;
    ~Win32Files() override;

    core::FileContent ReadAll(const std::string& path) override;
    core::FileResult CreateTemp(const std::string& path, std::string& tempPath) override;
    core::FileResult Write(const std::string& tempPath, const std::string& bytes) override;
    core::FileResult Replace(const std::string& tempPath, const std::string& path) override;
    // Nothing left to do: the move wrote through.
    core::FileResult SyncFolder(const std::string&) override { return {}; }
    void Remove(const std::string& tempPath) override;
    void RemoveStaleTemps(const std::string& path) override;

private:
    void CloseTemp();

    void* temp_ = nullptr;  // the handle of the temporary file being written
};

}  // namespace nagwick::platform::win32
