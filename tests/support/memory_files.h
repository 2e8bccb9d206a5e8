#pragma once
// Files in memory under the settings store, for tests: a path in `folders`
// is a folder in the file's place; a step named in `failAt` fails.
#include <map>
#include <set>
#include <string>

#include "core/file_ops.h"

namespace nagwick::test {

class MemoryFiles : public core::FileOps {
public:
    std::map<std::string, std::string> files;
    std::set<std::string> folders;
    std::string failAt;  // "CreateTemp", "Write", "Replace" or "SyncFolder"
    core::FileError failure = core::FileError::DeviceError;
    int replaced = 0;

    core::FileContent ReadAll(const std::string& path) override {
        if (folders.contains(path))
            return {core::FileContent::Status::Unreadable, {}, {core::FileError::FolderInPlace, {}}};
        const auto it = files.find(path);
        if (it == files.end()) return {};
        return {core::FileContent::Status::Ok, it->second, {}};
    }
    core::FileResult CreateTemp(const std::string& path, std::string& tempPath) override {
        tempPath = path + ".tmp";
        return Step("CreateTemp", [&] { files[tempPath]; });
    }
    core::FileResult Write(const std::string& tempPath, const std::string& bytes) override {
        return Step("Write", [&] { files[tempPath] = bytes; });
    }
    core::FileResult Replace(const std::string& tempPath, const std::string& path) override {
        return Step("Replace", [&] {
            files[path] = files[tempPath];
            files.erase(tempPath);
            ++replaced;
        });
    }
    core::FileResult SyncFolder(const std::string&) override { return Step("SyncFolder", [] {}); }
    void Remove(const std::string& tempPath) override { files.erase(tempPath); }
    void RemoveStaleTemps(const std::string&) override {}

private:
    template <typename Action>
    core::FileResult Step(const std::string& name, Action action) {
        if (name == failAt) return {failure, {}};
        action();
        return {};
    }
};

}  // namespace nagwick::test
