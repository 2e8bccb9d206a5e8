// The settings file's reader and writer on real files, through the POSIX
// file layer: what reaches the disk, and what is left beside the file.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "core/portable_profile.h"
#include "platform/posix/posix_file_ops.h"
#include "support/temp_folder.h"

namespace {

namespace fs = std::filesystem;
using nagwick::core::FileResult;
using nagwick::core::ReadProfileString;
using nagwick::core::WriteProfileString;
using nagwick::platform::posix::PosixFileOps;
using nagwick::test::ReadFile;
using nagwick::test::WriteFile;

class ProfileFileTest : public ::testing::Test {
protected:
    std::string Read(std::string_view key, std::string_view def, std::size_t size) {
        return ReadProfileString(files_, "main", key, def, size, path_);
    }
    FileResult Write(std::string_view key, std::string_view value) {
        return WriteProfileString(files_, "main", key, value, path_);
    }
    std::vector<std::string> Names() const { return folder_.Names(); }

    nagwick::test::TempFolder folder_;
    std::string path_ = (folder_ / "nagwick.ini").string();
    PosixFileOps files_;
};

TEST_F(ProfileFileTest, ReadingLeavesTheFileAlone) {
    WriteFile(path_, "[main]\nexplorer=1");
    const auto before = fs::last_write_time(path_);
    EXPECT_EQ(Read("explorer", "true", 6), "1");
    EXPECT_EQ(fs::last_write_time(path_), before);
    EXPECT_EQ(Names(), std::vector<std::string>{"nagwick.ini"});
}

TEST_F(ProfileFileTest, UnreadableFileReadsAsDefaultAndIsNotReplaced) {
    // Unreadable as a file, whoever runs the test; a FIFO must not hang either.
    for (const auto& [kind, make] : std::vector<std::pair<fs::file_type, std::function<void()>>>{
             {fs::file_type::directory, [&] { fs::create_directory(path_); }},
             {fs::file_type::fifo, [&] { ASSERT_EQ(::mkfifo(path_.c_str(), 0666), 0); }},
         }) {
        fs::remove(path_);
        make();
        EXPECT_EQ(Read("start", "normal", 10), "normal");
        EXPECT_FALSE(Write("explorer", "true").ok);
        EXPECT_EQ(fs::symlink_status(path_).type(), kind);
        EXPECT_EQ(Names(), std::vector<std::string>{"nagwick.ini"});
    }
}

TEST_F(ProfileFileTest, NewFileLooksAsWindowsWritesIt) {
    const fs::path reference = folder_ / "reference";
    WriteFile(reference, "");  // created with 0666 less the umask, as the new file must be
    ASSERT_TRUE(Write("explorer", "false").ok);
    ASSERT_TRUE(Write("start", "minimized").ok);
    EXPECT_EQ(ReadFile(path_), "[main]\r\nexplorer=false\r\nstart=minimized\r\n");
    EXPECT_EQ(fs::status(path_).permissions(), fs::status(reference).permissions());
    fs::remove(reference);
    EXPECT_EQ(Names(), std::vector<std::string>{"nagwick.ini"}) << "no temporary file is left";
}

TEST_F(ProfileFileTest, EveryOtherByteAndThePermissionsAreKept) {
    WriteFile(path_, "\xEF\xBB\xBF; mine\r\n[other]\nx = 1\r\n\r\n[main]\r\n  explorer = true\rlast");
    const auto mode = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
    fs::permissions(path_, mode);
    ASSERT_TRUE(Write("explorer", "false").ok);
    ASSERT_TRUE(Write("start", "normal").ok);
    EXPECT_EQ(ReadFile(path_),
              "\xEF\xBB\xBF; mine\r\n[other]\nx = 1\r\n\r\n[main]\r\n  explorer = false\rlast\r\nstart=normal\r\n");
    EXPECT_EQ(fs::status(path_).permissions(), mode);
}

TEST_F(ProfileFileTest, UnchangedWriteLeavesTheFileUntouched) {
    const fs::path link = folder_ / "link";  // a replaced file would no longer share it
    for (const std::string file : {"[main]\nexplorer=false\n", "[MAIN]\n explorer = false \n",
                                   "[main]\nexplorer=\"false\"\n", "[main]\nexplorer='false'\nexplorer=true\n"}) {
        fs::remove(link);
        WriteFile(path_, file);
        const auto old = fs::file_time_type::clock::now() - std::chrono::hours(24);
        fs::last_write_time(path_, old);
        fs::create_hard_link(path_, link);
        ASSERT_TRUE(Write("explorer", "false").ok) << file;
        EXPECT_EQ(fs::last_write_time(path_), old) << file;
        EXPECT_EQ(fs::hard_link_count(path_), 2u) << file;
        EXPECT_EQ(ReadFile(path_), file);
    }
    // A real change replaces it; so does a value the reader would cut.
    ASSERT_TRUE(Write("explorer", "true").ok);
    EXPECT_EQ(fs::hard_link_count(path_), 1u);
    EXPECT_EQ(ReadFile(link), "[main]\nexplorer='false'\nexplorer=true\n");
    EXPECT_EQ(ReadFile(path_), "[main]\nexplorer=true\nexplorer=true\n");
    WriteFile(path_, "[main]\nstart=minimizedXYZ\n");
    ASSERT_TRUE(Write("start", "minimized").ok);
    EXPECT_EQ(ReadFile(path_), "[main]\nstart=minimized\n");
}

TEST_F(ProfileFileTest, TemporaryFilesNoWriterHoldsAreRemoved) {
    const std::string prefix = PosixFileOps::TempPrefix(path_);
    // Another copy of the program is saving: its temporary file is held.
    PosixFileOps otherCopy;
    std::string live;
    ASSERT_TRUE(otherCopy.CreateTemp(path_, live).ok);
    const auto longAgo = fs::file_time_type::clock::now() - std::chrono::hours(2);
    for (const std::string& name : {prefix + "a1B2c3", prefix + "zzzzzz", prefix + "backup1",
                                   std::string("nagwick.ini.bak"), prefix + "12345"}) {
        WriteFile(folder_ / name, "x");
        if (name != prefix + "zzzzzz") fs::last_write_time(folder_ / name, longAgo);
    }
    ASSERT_TRUE(Write("explorer", "true").ok);
    // Removed: the left-over ones of the exact form, the one just made too.
    // Kept: the one in use, and names of any other form.
    std::vector<std::string> expected = {prefix + "12345", prefix + "backup1", fs::path(live).filename(),
                                         "nagwick.ini", "nagwick.ini.bak"};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(Names(), expected);
}

TEST_F(ProfileFileTest, SymbolicLinksAreWrittenThrough) {
    fs::create_directory(folder_ / "real");
    WriteFile(folder_ / "real" / "settings.ini", "[main]\nstart=normal\n");
    fs::create_symlink(folder_ / "real" / "settings.ini", path_);
    ASSERT_TRUE(Write("start", "minimized").ok);
    EXPECT_TRUE(fs::is_symlink(path_));
    EXPECT_EQ(ReadFile(folder_ / "real" / "settings.ini"), "[main]\nstart=minimized\n");
}

}  // namespace
