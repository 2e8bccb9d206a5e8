#pragma once
// The file layer's test double: files in memory under the settings store. A
// path in `folders` is a folder in the file's place; the step named in
// `failAt` fails.
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
    int replaced = 0;

    core::FileContent ReadAll(const std::string& path) override {
        if (folders.contains(path)) return {core::FileContent::Status::Unreadable, {}, {core::FileError::FolderInPlace, {}}};
        if (!files.contains(path)) return {};
        return {core::FileContent::Status::Ok, files[path], {}};
    }
    std::unique_ptr<core::TempFile> CreateTemp(const std::string& path, core::FileResult& why) override {
        if (!(why = Step("CreateTemp", [&] { files[path + ".tmp"]; })).ok()) return nullptr;
        return std::make_unique<Temp>(*this, path);
    }
    core::FileResult SyncFolder(const std::string&) override { return Step("SyncFolder", [] {}); }
    void RemoveStaleTemps(const std::string&) noexcept override {}

private:
    struct Temp : core::TempFile {
        Temp(MemoryFiles& owner, std::string target) : fs(owner), path(std::move(target)) {}
        ~Temp() override { Discard(); }
        core::FileResult Write(const std::string& bytes) override {
            return fs.Step("Write", [&] { fs.files[path + ".tmp"] = bytes; });
        }
        core::FileResult Replace() override {
            return fs.Step("Replace", [&] { fs.files[path] = fs.files[path + ".tmp"], Discard(), ++fs.replaced; });
        }
        void Discard() override { fs.files.erase(path + ".tmp"); }
        MemoryFiles& fs;
        const std::string path;
    };
    core::FileResult Step(const std::string& name, auto action) {
        if (name == failAt) return {core::FileError::DeviceError, {}};
        return action(), core::FileResult{};
    }
};

}  // namespace nagwick::test
