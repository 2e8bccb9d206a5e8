// The settings file's reader and writer on real files, through the POSIX
// file layer: what reaches the disk, and what is left beside the file.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "core/portable_profile.h"
#include "platform/posix/posix_file_ops.h"

namespace {

namespace fs = std::filesystem;
using nagwick::core::FileResult;
using nagwick::core::ReadProfileString;
using nagwick::core::WriteProfileString;
using nagwick::platform::posix::PosixFileOps;
using namespace std::string_literals;

class ProfileFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() /
                  ("nagwick-file-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) +
                   "-" + std::to_string(std::random_device{}()));
        fs::remove_all(folder_);
        fs::create_directories(folder_);
        path_ = (folder_ / "nagwick.ini").string();
    }
    void TearDown() override {
        fs::permissions(folder_, fs::perms::owner_all, fs::perm_options::add);
        fs::remove_all(folder_);
    }

    static void Put(const fs::path& path, const std::string& bytes) {
        std::ofstream(path, std::ios::binary) << bytes;
    }
    static std::string Get(const fs::path& path) {
        std::ostringstream out;
        out << std::ifstream(path, std::ios::binary).rdbuf();
        return out.str();
    }
    std::string Read(std::string_view key, std::string_view def, std::size_t size) {
        return ReadProfileString(files_, "main", key, def, size, path_);
    }
    FileResult Write(std::string_view key, std::string_view value) {
        return WriteProfileString(files_, "main", key, value, path_);
    }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder_)) names.push_back(entry.path().filename());
        std::sort(names.begin(), names.end());
        return names;
    }

    fs::path folder_;
    std::string path_;
    PosixFileOps files_;
};

// ---- Reading ----------------------------------------------------------------

using ReadProfileFileTest = ProfileFileTest;

TEST_F(ReadProfileFileTest, DefaultWhenTheFileIsUnreadable) {
    fs::create_directory(path_);  // a folder by the file's name can't be read
    EXPECT_EQ(Read("start", "normal", 10), "normal");
    EXPECT_TRUE(fs::is_directory(path_));
}

TEST_F(ReadProfileFileTest, ReadingLeavesTheFileAlone) {
    Put(path_, "[main]\nexplorer=1");
    const auto before = fs::last_write_time(path_);
    EXPECT_EQ(Read("explorer", "true", 6), "1");
    EXPECT_EQ(fs::last_write_time(path_), before);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder_), fs::directory_iterator()), 1);
}

// ---- Writing ----------------------------------------------------------------

TEST_F(ProfileFileTest, NewFileLooksAsWindowsWritesIt) {
    ASSERT_TRUE(Write("explorer", "false").ok);
    ASSERT_TRUE(Write("start", "minimized").ok);
    EXPECT_EQ(Get(path_), "[main]\r\nexplorer=false\r\nstart=minimized\r\n");
    EXPECT_EQ(Names(), std::vector<std::string>{"nagwick.ini"}) << "no temporary file is left";
}

TEST_F(ProfileFileTest, EveryOtherByteIsKept) {
    const std::string before = "\xEF\xBB\xBF; mine\r\n[other]\nx = 1\r\n\r\n[main]\r\n  explorer = true\rlast";
    Put(path_, before);
    ASSERT_TRUE(Write("explorer", "false").ok);
    ASSERT_TRUE(Write("start", "normal").ok);
    EXPECT_EQ(Get(path_),
              "\xEF\xBB\xBF; mine\r\n[other]\nx = 1\r\n\r\n[main]\r\n  explorer = false\rlast\r\nstart=normal\r\n");
}

TEST_F(ProfileFileTest, UnchangedWriteLeavesTheFileUntouched) {
    Put(path_, "[main]\nexplorer = true\n");
    const auto old = fs::file_time_type::clock::now() - std::chrono::hours(24);
    fs::last_write_time(path_, old);
    const fs::path link = folder_ / "link";
    fs::create_hard_link(path_, link);  // a replaced file would no longer share it

    ASSERT_TRUE(Write("explorer", "true").ok);
    EXPECT_EQ(fs::last_write_time(path_), old);
    EXPECT_EQ(fs::hard_link_count(path_), 2u);

    ASSERT_TRUE(Write("explorer", "false").ok);  // a real change replaces it
    EXPECT_EQ(fs::hard_link_count(path_), 1u);
    EXPECT_EQ(Get(link), "[main]\nexplorer = true\n");
    EXPECT_EQ(Get(path_), "[main]\nexplorer = false\n");
}

TEST_F(ProfileFileTest, MissingFolderFailsAndCreatesNothing) {
    path_ = (folder_ / "gone" / "nagwick.ini").string();
    const FileResult r = Write("explorer", "true");
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.error.find("No such file or directory"), std::string::npos) << r.error;
    EXPECT_FALSE(fs::exists(folder_ / "gone"));
}

TEST_F(ProfileFileTest, UnreadableFileIsNotReplaced) {
    fs::create_directory(path_);  // unreadable as a file, whoever runs the test
    EXPECT_FALSE(Write("explorer", "true").ok);
    EXPECT_TRUE(fs::is_directory(path_));
    EXPECT_EQ(Names(), std::vector<std::string>{"nagwick.ini"});
}

TEST_F(ProfileFileTest, PermissionsAreKept) {
    Put(path_, "[main]\n");
    fs::permissions(path_, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    ASSERT_TRUE(Write("explorer", "true").ok);
    EXPECT_EQ(fs::status(path_).permissions(), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

TEST_F(ProfileFileTest, NewFileGetsTheModeOfAnyCreatedFile) {
    const fs::path reference = folder_ / "reference";
    Put(reference, "");  // created with 0666 less the umask, as the new file must be
    ASSERT_TRUE(Write("explorer", "true").ok);
    EXPECT_EQ(fs::status(path_).permissions(), fs::status(reference).permissions());
}

TEST_F(ProfileFileTest, TemporaryFilesNoWriterHoldsAreRemoved) {
    const std::string prefix = PosixFileOps::TempPrefix(path_);
    ASSERT_EQ(prefix, ".nagwick.ini.tmp-");
    // Another copy of the program is saving: its temporary file is held.
    PosixFileOps otherCopy;
    std::string live;
    ASSERT_TRUE(otherCopy.CreateTemp(path_, live).ok);
    const auto longAgo = fs::file_time_type::clock::now() - std::chrono::hours(2);
    for (const std::string& name : {prefix + "a1B2c3", prefix + "zzzzzz", prefix + "backup1",
                                   std::string("nagwick.ini.bak"), prefix + "12345"}) {
        Put(folder_ / name, "x");
        if (name != prefix + "zzzzzz") fs::last_write_time(folder_ / name, longAgo);
    }
    ASSERT_TRUE(Write("explorer", "true").ok);
    // Removed: the left-over ones of the exact form, the one just made too.
    // Kept: the one in use, and names of any other form.
    std::vector<std::string> expected = {prefix + "12345", prefix + "backup1", fs::path(live).filename(),
                                         "nagwick.ini", "nagwick.ini.bak"};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(Names(), expected);

    otherCopy.Remove(live);
    EXPECT_FALSE(fs::exists(live));
}

TEST_F(ProfileFileTest, SymbolicLinksAreWrittenThrough) {
    fs::create_directory(folder_ / "real");
    Put(folder_ / "real" / "settings.ini", "[main]\nstart=normal\n");
    fs::create_symlink(folder_ / "real" / "settings.ini", path_);
    ASSERT_TRUE(Write("start", "minimized").ok);
    EXPECT_TRUE(fs::is_symlink(path_));
    EXPECT_EQ(Get(folder_ / "real" / "settings.ini"), "[main]\nstart=minimized\n");
}

TEST_F(ProfileFileTest, Utf16FileStaysUtf16) {
    const std::string before = "\xFF\xFE[\0m\0a\0i\0n\0]\0\r\0\n\0"s;
    Put(path_, before);
    ASSERT_TRUE(Write("start", "normal").ok);
    EXPECT_EQ(Get(path_), before + "s\0t\0a\0r\0t\0=\0n\0o\0r\0m\0a\0l\0\r\0\n\0"s);
}

}  // namespace
