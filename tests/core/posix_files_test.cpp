// The settings store on real files through the POSIX file layer: a save
// replaces the file whole and keeps its permissions, a failed one says why
// and leaves things as they were, and stopped saves' files go in time.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <set>

#include "core/settings_store.h"
#include "platform/posix/posix_files.h"
#include "support/temp_folder.h"

namespace nagwick::test {
namespace {

namespace fs = std::filesystem;
using core::FileError;
using Outcome = core::SaveResult::Outcome;

class PosixFilesTest : public ::testing::Test {
protected:
    core::SaveResult Save(const std::string& key, const std::string& value, const fs::path& file = {}) {
        return store.WriteProfileString("main", key, value, (file.empty() ? path : file).string());
    }
    std::set<std::string> Names() const {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder.str())) names.insert(entry.path().filename());
        return names;
    }

    TempFolder folder;
    fs::path path = folder / "nagwick.ini";
    platform::posix::PosixFiles files;
    core::SettingsStore store{files, '/'};
};

TEST_F(PosixFilesTest, ASaveReplacesTheFileWholeAndKeepsItsPermissions) {
    std::ofstream(folder / "reference");  // made as any new file is: 0666 less the umask
    ASSERT_EQ(Save("explorer", "false").outcome, Outcome::Saved);
    EXPECT_EQ(ReadFile(path), "[main]\r\nexplorer=false\r\n");
    EXPECT_EQ(fs::status(path).permissions(), fs::status(folder / "reference").permissions());
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write);
    fs::create_hard_link(path, folder / "old");
    ASSERT_EQ(Save("start", "minimized").outcome, Outcome::Saved);
    EXPECT_EQ(ReadFile(folder / "old"), "[main]\r\nexplorer=false\r\n") << "written in place, not replaced";
    EXPECT_EQ(ReadFile(path), "[main]\r\nexplorer=false\r\nstart=minimized\r\n");
    EXPECT_EQ(fs::status(path).permissions(), fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(Names(), (std::set<std::string>{"nagwick.ini", "old", "reference"}));
}

TEST_F(PosixFilesTest, AFailedSaveSaysWhyAndLeavesEverythingAsItWas) {
    fs::create_directory(path);
    EXPECT_EQ(Save("explorer", "true").why.error, FileError::FolderInPlace);
    EXPECT_EQ(store.ReadProfileString("main", "explorer", "true", 6, path.string()), "true");
    fs::remove(path);
    ASSERT_EQ(::mkfifo(path.c_str(), 0666), 0);  // must not hang the program
    EXPECT_EQ(Save("explorer", "true").outcome, Outcome::Failed);
    EXPECT_EQ(Save("start", "normal", folder / "gone" / "nagwick.ini").why.error, FileError::FolderMissing);
    EXPECT_EQ(Names(), std::set<std::string>{"nagwick.ini"});
}

TEST_F(PosixFilesTest, TemporaryFilesOfStoppedSavesGoOnceAMinuteOld) {
    const std::string prefix = core::TempPrefix("nagwick.ini");
    for (const std::string& name : {prefix + "1", prefix + "2", prefix + std::to_string(::getpid()), std::string("x.bak")})
        std::ofstream(folder / name);
    for (const std::string& name : {prefix + "1", std::string("x.bak")})
        fs::last_write_time(folder / name, fs::file_time_type::clock::now() - std::chrono::minutes(2));
    ASSERT_EQ(Save("explorer", "true").outcome, Outcome::Saved);
    // A young one may be another copy's, saving now; this copy's own name is taken over.
    EXPECT_EQ(Names(), (std::set<std::string>{prefix + "2", "nagwick.ini", "x.bak"}));
}

}  // namespace
}  // namespace nagwick::test
