// The two settings through the system's profile functions: the path they
// are given on each system, the buffer each key is read into, and what the
// program keeps of the answer.
#include <gtest/gtest.h>

#include <cstddef>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "core/module1.h"

namespace {

using nagwick::core::FileResult;
using nagwick::core::Module1;
using nagwick::core::ProfileFunctions;
using nagwick::core::ReadSettings;
using nagwick::core::SettingsPath;
using nagwick::core::WriteSetting;
using namespace std::string_literals;

// Answers every read with what is stored for the key, and records each call.
class RecordingProfile : public ProfileFunctions {
public:
    RecordingProfile(std::string appPath, char separator) : appPath_(std::move(appPath)), separator_(separator) {}

    std::map<std::string, std::string, std::less<>> stored;
    FileResult writeResult;
    std::vector<std::string> calls;

    std::string AppPath() override { return appPath_; }
    char PathSeparator() const override { return separator_; }
    std::string ReadProfileString(std::string_view section, std::string_view key, std::string_view defaultValue,
                                  std::size_t bufferSize, const std::string& path) override {
        calls.push_back("read " + std::string(section) + "/" + std::string(key) + " default " +
                        std::string(defaultValue) + " size " + std::to_string(bufferSize) + " " + path);
        const auto it = stored.find(key);
        return it == stored.end() ? std::string(defaultValue) : it->second;
    }
    FileResult WriteProfileString(std::string_view section, std::string_view key, std::string_view value,
                                  const std::string& path) override {
        calls.push_back("write " + std::string(section) + "/" + std::string(key) + "=" + std::string(value) + " " +
                        path);
        return writeResult;
    }
    void RemoveStaleTemps(const std::string& path) override { calls.push_back("clean " + path); }

private:
    std::string appPath_;
    char separator_;
};

TEST(Module1Settings, PathIsTheFolderTheSeparatorAndTheName) {
    RecordingProfile inFolder("E:\\Tools", '\\');
    EXPECT_EQ(SettingsPath(inFolder), "E:\\Tools\\nagwick.ini");
    // A drive's root keeps its separator, and gets a second one.
    RecordingProfile atRoot("E:\\", '\\');
    EXPECT_EQ(SettingsPath(atRoot), "E:\\\\nagwick.ini");
}

TEST(Module1Settings, StartCleansUpThenReadsEachKeyIntoItsBuffer) {
    RecordingProfile profile("E:\\", '\\');
    profile.stored["explorer"] = "0\0\0\0\0"s;  // NULs in the buffer are dropped
    profile.stored["start"] = "minimized";
    Module1 shared;
    ReadSettings(shared, profile);
    EXPECT_EQ(shared.strExplorer, "0");
    EXPECT_EQ(shared.strStartState, "minimized");
    EXPECT_EQ(profile.calls, (std::vector<std::string>{
                                 "clean E:\\\\nagwick.ini",
                                 "read main/explorer default true size 6 E:\\\\nagwick.ini",
                                 "read main/start default normal size 10 E:\\\\nagwick.ini",
                             }));
}

TEST(Module1Settings, WriteGoesToSectionMainAndReportsTheOutcome) {
    RecordingProfile profile("E:\\Tools", '\\');
    profile.writeResult = FileResult::Failure("Access denied");
    const FileResult result = WriteSetting(profile, "explorer", "false");
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.error, "Access denied");
    EXPECT_EQ(profile.calls, std::vector<std::string>{"write main/explorer=false E:\\Tools\\nagwick.ini"});
}

}  // namespace
