// The settings store on real files through the POSIX file layer: what
// reaches the disk, the reasons of a failed save, and what is left beside
// the file.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>

#include "core/settings_store.h"
#include "platform/posix/posix_files.h"
#include "support/temp_folder.h"

namespace nagwick::test {
namespace {

namespace fs = std::filesystem;
using core::FileError;

class PosixFilesTest : public ::testing::Test {
protected:
    core::SaveResult Save(const std::string& key, const std::string& value) {
        return store.WriteProfileString("main", key, value, path.string());
    }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder / "")) names.push_back(entry.path().filename());
        std::sort(names.begin(), names.end());
        return names;
    }

    TempFolder folder;
    fs::path path = folder / "nagwick.ini";
    platform::posix::PosixFiles files;
    core::SettingsStore store{files, '/'};
};

TEST_F(PosixFilesTest, ASaveReplacesTheFileWholeAndKeepsItsPermissions) {
    WriteFile(folder / "reference", "");  // made as any new file is: 0666 less the umask
    ASSERT_EQ(Save("explorer", "false").outcome, core::SaveResult::Outcome::Saved);
    EXPECT_EQ(ReadFile(path), "[main]\r\nexplorer=false\r\n");
    EXPECT_EQ(fs::status(path).permissions(), fs::status(folder / "reference").permissions());

    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    fs::create_hard_link(path, folder / "old");
    ASSERT_EQ(Save("start", "minimized").outcome, core::SaveResult::Outcome::Saved);
    EXPECT_EQ(ReadFile(folder / "old"), "[main]\r\nexplorer=false\r\n") << "written in place, not replaced";
    EXPECT_EQ(ReadFile(path), "[main]\r\nexplorer=false\r\nstart=minimized\r\n");
    EXPECT_EQ(fs::status(path).permissions(), fs::status(folder / "old").permissions());
    EXPECT_EQ(Names(), (std::vector<std::string>{"nagwick.ini", "old", "reference"}));
}

TEST_F(PosixFilesTest, AFailedSaveSaysWhyAndLeavesEverythingAsItWas) {
    fs::create_directory(path);
    EXPECT_EQ(Save("explorer", "true").why.error, FileError::FolderInPlace);
    EXPECT_EQ(store.ReadProfileString("main", "explorer", "true", 6, path.string()), "true");
    fs::remove(path);
    ASSERT_EQ(::mkfifo(path.c_str(), 0666), 0);  // must not hang the program
    EXPECT_EQ(Save("explorer", "true").outcome, core::SaveResult::Outcome::Failed);
    EXPECT_EQ(Names(), std::vector<std::string>{"nagwick.ini"});

    const fs::path gone = folder / "gone" / "nagwick.ini";
    EXPECT_EQ(store.WriteProfileString("main", "start", "normal", gone.string()).why.error, FileError::FolderMissing);
    EXPECT_FALSE(fs::exists(folder / "gone"));
}

TEST_F(PosixFilesTest, TemporaryFilesOfStoppedSavesGoOnceAMinuteOld) {
    const std::string prefix = core::TempPrefix("nagwick.ini");
    for (const std::string& name : std::vector<std::string>{prefix + "1", prefix + "2", prefix + std::to_string(::getpid()), "nagwick.ini.bak"})
        WriteFile(folder / name, "x");
    const auto longAgo = fs::file_time_type::clock::now() - std::chrono::minutes(2);
    for (const std::string& name : std::vector<std::string>{prefix + "1", "nagwick.ini.bak"}) fs::last_write_time(folder / name, longAgo);
    ASSERT_EQ(Save("explorer", "true").outcome, core::SaveResult::Outcome::Saved);
    // The young one may be another copy's, saving now; this copy's own name is taken over.
    EXPECT_EQ(Names(), (std::vector<std::string>{prefix + "2", "nagwick.ini", "nagwick.ini.bak"}));
}

}  // namespace
}  // namespace nagwick::test
