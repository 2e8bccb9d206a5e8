#pragma once
// Files in memory under the settings reader and writer; every step is
// recorded, so a test can tell what was (not) done to the disk.
#include <map>
#include <string>
#include <vector>

#include "core/file_ops.h"

namespace nagwick::test {

class MemoryFileOps : public core::FileOps {
public:
    std::map<std::string, std::string> files;
    std::vector<std::string> calls;

    core::FileContent ReadAll(const std::string& path) override {
        calls.push_back("ReadAll");
        const auto it = files.find(path);
        if (it == files.end()) return {};
        return {core::ReadStatus::Ok, it->second, {}};
    }
    core::FileResult CreateTemp(const std::string& path, std::string& tempPath) override {
        calls.push_back("CreateTemp");
        tempPath = path + ".tmp";
        files[tempPath] = "";
        return {};
    }
    core::FileResult Write(const std::string& tempPath, const std::string& bytes) override {
        calls.push_back("Write");
        files[tempPath] = bytes;
        return {};
    }
    core::FileResult Flush(const std::string&) override { return Record("Flush"); }
    core::FileResult Rename(const std::string& tempPath, const std::string& path) override {
        files[path] = files[tempPath];
        files.erase(tempPath);
        return Record("Rename");
    }
    core::FileResult SyncFolder(const std::string&) override { return Record("SyncFolder"); }
    void Remove(const std::string& tempPath) override {
        calls.push_back("Remove");
        files.erase(tempPath);
    }
    void RemoveStaleTemps(const std::string&) override { calls.push_back("RemoveStaleTemps"); }

private:
    core::FileResult Record(const char* step) {
        calls.push_back(step);
        return {};
    }
};

}  // namespace nagwick::test
