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
        if ((why = Step("CreateTemp")).ok()) return files[path + ".tmp"], std::make_unique<Temp>(*this, path);
        return nullptr;
    }
    core::FileResult SyncFolder(const std::string&) override { return Step("SyncFolder"); }
    void RemoveStaleTemps(const std::string&) noexcept override {}

private:
    struct Temp : core::TempFile {
        Temp(MemoryFiles& owner, std::string target) : fs(owner), path(std::move(target)) {}
        ~Temp() override { Discard(); }
        core::FileResult Write(const std::string& bytes) override {
            const core::FileResult step = fs.Step("Write");
            if (step.ok()) fs.files[path + ".tmp"] = bytes;
            return step;
        }
        core::FileResult Replace() override {
            const core::FileResult step = fs.Step("Replace");
            if (step.ok()) fs.files[path] = fs.files[path + ".tmp"], Discard(), ++fs.replaced;
            return step;
        }
        void Discard() override { fs.files.erase(path + ".tmp"); }
        MemoryFiles& fs;
        const std::string path;
    };
    core::FileResult Step(const std::string& name) const {
        return name == failAt ? core::FileResult{core::FileError::DeviceError, {}} : core::FileResult{};
    }
};

}  // namespace nagwick::test
