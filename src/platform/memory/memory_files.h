#pragma once
// The file layer's test double: files in memory under the settings store. A
// path in `folders` is a folder in the file's place; the step named in
// `failAt` fails. Like the headless window system, only the tests use it.
#include <map>
#include <set>
#include <string>

#include "core/file_ops.h"

namespace nagwick::platform::memory {

class MemoryFiles : public core::FileOps {
public:
    std::map<std::string, std::string> files;
    std::set<std::string> folders;
    std::string failAt;  // "CreateTemp", "Write", "Replace" or "SyncFolder"
    int replaced = 0;

    core::FileContent ReadAll(const std::string& path) override {
        if (folders.contains(path)) return {core::FileContent::Status::Unreadable, {}, {core::FileError::FolderInPlace, {}}};
        if (!files.contains(path)) return {};
        return {core::FileContent::Status::Ok, files[path], {}};
    }
    core::FileResult CreateTemp(const std::string& path, std::string& temp) override {
        return Step("CreateTemp", [&] { files[temp = path + ".tmp"]; });
    }
    core::FileResult Write(const std::string& temp, const std::string& bytes) override {
        return Step("Write", [&] { files[temp] = bytes; });
    }
    core::FileResult Replace(const std::string& temp, const std::string& path) override {
        return Step("Replace", [&] { files[path] = files[temp], files.erase(temp), ++replaced; });
    }
    core::FileResult SyncFolder(const std::string&) override { return Step("SyncFolder", [] {}); }
    void Remove(const std::string& temp) override { files.erase(temp); }
    void RemoveStaleTemps(const std::string&) override {}

private:
    core::FileResult Step(const std::string& name, auto action) {
        if (name == failAt) return {core::FileError::DeviceError, {}};
        action();
        return {};
    }
};

}  // namespace nagwick::platform::memory
