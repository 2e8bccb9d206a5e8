#pragma once
// Files in memory under the settings reader and writer: it records every
// step, and any one step can be made to fail.
#include <map>
#include <string>
#include <vector>

#include "core/file_ops.h"

namespace nagwick::test {

class MemoryFileOps : public core::FileOps {
public:
    std::map<std::string, std::string> files;
    std::string failAt;  // "CreateTemp", "Write", "Flush", "Rename" or "SyncFolder"
    bool unreadable = false;
    std::vector<std::string> calls;

    core::FileContent ReadAll(const std::string& path) override {
        calls.push_back("ReadAll");
        if (unreadable) return {core::ReadStatus::Unreadable, {}, "Permission denied"};
        const auto it = files.find(path);
        if (it == files.end()) return {};
        return {core::ReadStatus::Ok, it->second, {}};
    }
    core::FileResult CreateTemp(const std::string& path, std::string& tempPath) override {
        if (const auto r = Step("CreateTemp"); !r.ok) return r;
        tempPath = path + ".tmp";
        files[tempPath] = "";
        return {};
    }
    core::FileResult Write(const std::string& tempPath, const std::string& bytes) override {
        if (const auto r = Step("Write"); !r.ok) return r;
        files[tempPath] = bytes;
        return {};
    }
    core::FileResult Flush(const std::string&) override { return Step("Flush"); }
    core::FileResult Rename(const std::string& tempPath, const std::string& path) override {
        if (const auto r = Step("Rename"); !r.ok) return r;
        files[path] = files[tempPath];
        files.erase(tempPath);
        return {};
    }
    core::FileResult SyncFolder(const std::string&) override { return Step("SyncFolder"); }
    void Remove(const std::string& tempPath) override {
        calls.push_back("Remove");
        files.erase(tempPath);
    }
    void RemoveStaleTemps(const std::string&) override { calls.push_back("RemoveStaleTemps"); }

private:
    core::FileResult Step(const std::string& name) {
        calls.push_back(name);
        return name == failAt ? core::FileResult::Failure(name + " failed: No space left on device")
                              : core::FileResult{};
    }
};

}  // namespace nagwick::test
