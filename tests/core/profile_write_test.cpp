// Writing one key of the settings file: every other byte kept, nothing
// written when nothing changes, and an atomic replace that leaves the old
// file whole when any step fails.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "core/portable_profile.h"
#include "core/profile_text.h"
#include "platform/posix/posix_file_ops.h"

namespace {

namespace fs = std::filesystem;
using nagwick::core::FileContent;
using nagwick::core::FileOps;
using nagwick::core::FileResult;
using nagwick::core::FindProfileValue;
using nagwick::core::ReadStatus;
using nagwick::core::SetProfileValue;
using nagwick::core::WriteProfileString;
using nagwick::platform::posix::PosixFileOps;
using namespace std::string_literals;

std::string Set(std::string_view file, std::string_view key, std::string_view value,
                std::string_view section = "main") {
    return SetProfileValue(file, section, key, value);
}

// ---- The edit itself ------------------------------------------------------

TEST(ProfileEdit, OnlyTheValueChanges) {
    EXPECT_EQ(Set("; settings\r\n[main]\r\n  Explorer \t=  false  \r\nstart=normal\r\n\r\n[x]\r\na=1\r\n",
                  "explorer", "true"),
              "; settings\r\n[main]\r\n  Explorer \t=  true  \r\nstart=normal\r\n\r\n[x]\r\na=1\r\n");
    EXPECT_EQ(Set("[main]\nexplorer=\"false\" \n", "explorer", "true"), "[main]\nexplorer=true \n");
    EXPECT_EQ(Set("[main]\nexplorer=\n", "explorer", "true"), "[main]\nexplorer=true\n");
    EXPECT_EQ(Set("[main]\nexplorer=false ;old", "explorer", "true"), "[main]\nexplorer=true");
}

TEST(ProfileEdit, AValueWithBlanksAtItsEndsTakesTheRestOfTheLine) {
    // The reader drops those blanks; writing the value again must find the
    // line as the first write left it.
    for (const auto& [file, value, written, reads] : std::vector<std::array<std::string, 4>>{
             {"[main]\r\nexplorer = false  ;x\r\n", " true", "[main]\r\nexplorer = true\r\n", "true"},
             {"[main]\nexplorer=false\n", "'t'\t", "[main]\nexplorer='t'\t\n", "t"},
             {"[main]\n  explorer  \n", "a ", "[main]\n  explorer=a \n", "a"},
         }) {
        EXPECT_EQ(Set(file, "explorer", value), written);
        EXPECT_EQ(Set(written, "explorer", value), written);
        EXPECT_EQ(FindProfileValue(written, "main", "explorer"), reads);
    }
}

TEST(ProfileEdit, TheFirstOccurrenceIsTheOneChanged) {
    EXPECT_EQ(Set("[main]\nexplorer=1\nexplorer=2\n[main]\nexplorer=3\n", "explorer", "0"),
              "[main]\nexplorer=0\nexplorer=2\n[main]\nexplorer=3\n");
    // A bare key line is the key's first line: it gets the value.
    EXPECT_EQ(Set("[main]\n  explorer  \nexplorer=2\n", "explorer", "0"), "[main]\n  explorer=0  \nexplorer=2\n");
}

TEST(ProfileEdit, MissingKeyGoesAfterTheSectionsLastLine) {
    EXPECT_EQ(Set("[main]\r\nstart=normal\r\n; end of main\r\n\r\n[other]\r\na=1\r\n", "explorer", "true"),
              "[main]\r\nstart=normal\r\n; end of main\r\nexplorer=true\r\n\r\n[other]\r\na=1\r\n");
    EXPECT_EQ(Set("[MAIN]\r\n\r\n[other]\r\n", "explorer", "true"),
              "[MAIN]\r\nexplorer=true\r\n\r\n[other]\r\n");
    // The section's last line has no line end: one is added first.
    EXPECT_EQ(Set("[main]\nstart=normal", "explorer", "true"), "[main]\nstart=normal\nexplorer=true\n");
    EXPECT_EQ(Set("[main]", "explorer", "true"), "[main]\r\nexplorer=true\r\n");
    // Only the first [main] is the section.
    EXPECT_EQ(Set("[main]\na=1\n[main]\nb=2\n", "explorer", "true"),
              "[main]\na=1\nexplorer=true\n[main]\nb=2\n");
}

TEST(ProfileEdit, MissingSectionGoesAtTheEnd) {
    EXPECT_EQ(Set("[other]\r\na=1\r\n", "explorer", "true"), "[other]\r\na=1\r\n[main]\r\nexplorer=true\r\n");
    EXPECT_EQ(Set("[other]\na=1", "explorer", "true"), "[other]\na=1\n[main]\nexplorer=true\n");
    EXPECT_EQ(Set("; only a comment\n\n", "start", "x"), "; only a comment\n\n[main]\nstart=x\n");
}

TEST(ProfileEdit, EmptyFileBecomesTheSectionAndKey) {
    EXPECT_EQ(Set("", "explorer", "true"), "[main]\r\nexplorer=true\r\n");
    EXPECT_EQ(Set("", " start ", "normal", " main "), "[main]\r\nstart=normal\r\n");
}

TEST(ProfileEdit, AppendedLinesUseTheFilesFirstLineEnd) {
    EXPECT_EQ(Set("[a]\rb=1\r", "start", "x"), "[a]\rb=1\r[main]\rstart=x\r");
    EXPECT_EQ(Set("[a]\nb=1\r\n", "start", "x"), "[a]\nb=1\r\n[main]\nstart=x\n");
    EXPECT_EQ(Set("[a]\r\nb=1\n", "start", "x"), "[a]\r\nb=1\n[main]\r\nstart=x\r\n");
    EXPECT_EQ(Set("[main]\r\rb=1\r", "start", "x"), "[main]\r\rb=1\rstart=x\r");
    EXPECT_EQ(Set("[a]", "start", "x"), "[a]\r\n[main]\r\nstart=x\r\n");
}

TEST(ProfileEdit, ByteOrderMarksStay) {
    EXPECT_EQ(Set("\xEF\xBB\xBF[main]\nexplorer=false\n", "explorer", "true"),
              "\xEF\xBB\xBF[main]\nexplorer=true\n");
    EXPECT_EQ(Set("\xEF\xBB\xBF", "explorer", "true"), "\xEF\xBB\xBF[main]\r\nexplorer=true\r\n");

    const std::string utf16 = "\xFF\xFE[\0m\0a\0i\0n\0]\0\n\0s\0=\0\xE9\0\n\0"s;
    EXPECT_EQ(Set(utf16, "s", "\xC3\xA8"), "\xFF\xFE[\0m\0a\0i\0n\0]\0\n\0s\0=\0\xE8\0\n\0"s);
    EXPECT_EQ(Set("\xFF\xFE"s, "k", "v"), "\xFF\xFE[\0m\0a\0i\0n\0]\0\r\0\n\0k\0=\0v\0\r\0\n\0"s);
    // An odd last byte is no character of the file; it is kept as it was.
    EXPECT_EQ(Set(utf16 + "\x41", "t", "1"),
              "\xFF\xFE[\0m\0a\0i\0n\0]\0\n\0s\0=\0\xE9\0\n\0t\0=\0" "1\0\n\0\x41"s);
}

TEST(ProfileEdit, WhatIsWrittenReadsBack) {
    const std::vector<std::string> files = {
        "", "[main]", "[main]\nexplorer", "x=1\n[MAIN]\r\nexplorer = 'q' \r\n", "[a]\r[b]\r",
        "\xFF\xFE[\0m\0a\0i\0n\0]\0"s, "[main]\nexplorer\nexplorer=2\n", "[main] junk\n\t\n",
    };
    for (const std::string& file : files) {
        for (const std::string value : {"true", "", "minimized", "\xE2\x82\xAC uro", "a = b ; c"}) {
            const std::string written = Set(file, "explorer", value);
            EXPECT_EQ(FindProfileValue(written, "main", "explorer"), value) << "file: " << file;
            EXPECT_EQ(Set(written, "explorer", value), written) << "a second write changes nothing";
        }
    }
}

// ---- The write steps, with faults ------------------------------------------

// Files in memory; any one step can be made to fail.
class FakeFiles : public FileOps {
public:
    std::map<std::string, std::string> files;
    std::string failAt;        // "CreateTemp", "Write", "Flush", "Rename" or "SyncFolder"
    bool unreadable = false;
    std::vector<std::string> calls;

    FileContent ReadAll(const std::string& path) override {
        calls.push_back("ReadAll");
        if (unreadable) return {ReadStatus::Unreadable, {}, "Permission denied"};
        const auto it = files.find(path);
        if (it == files.end()) return {};
        return {ReadStatus::Ok, it->second, {}};
    }
    FileResult CreateTemp(const std::string& path, std::string& tempPath) override {
        if (const auto r = Step("CreateTemp"); !r.ok) return r;
        tempPath = path + ".tmp";
        files[tempPath] = "";
        return {};
    }
    FileResult Write(const std::string& tempPath, const std::string& bytes) override {
        if (const auto r = Step("Write"); !r.ok) return r;
        files[tempPath] = bytes;
        return {};
    }
    FileResult Flush(const std::string&) override { return Step("Flush"); }
    FileResult Rename(const std::string& tempPath, const std::string& path) override {
        if (const auto r = Step("Rename"); !r.ok) return r;
        files[path] = files[tempPath];
        files.erase(tempPath);
        return {};
    }
    FileResult SyncFolder(const std::string&) override { return Step("SyncFolder"); }
    void Remove(const std::string& tempPath) override {
        calls.push_back("Remove");
        files.erase(tempPath);
    }
    void RemoveStaleTemps(const std::string&) override { calls.push_back("RemoveStaleTemps"); }

private:
    FileResult Step(const std::string& name) {
        calls.push_back(name);
        return name == failAt ? FileResult::Failure(name + " failed: No space left on device") : FileResult{};
    }
};

constexpr const char* kPath = "/drive/nagwick.ini";
constexpr const char* kOld = "; mine\n[main]\nexplorer=false\n";

TEST(ProfileWriteSteps, FullWriteRunsEveryStepInOrder) {
    FakeFiles fake;
    fake.files[kPath] = kOld;
    const FileResult r = WriteProfileString(fake, "main", "explorer", "true", kPath);
    EXPECT_TRUE(r.ok) << r.error;
    EXPECT_EQ(fake.calls, (std::vector<std::string>{"RemoveStaleTemps", "ReadAll", "CreateTemp", "Write",
                                                    "Flush", "Rename", "SyncFolder"}));
    EXPECT_EQ(fake.files, (std::map<std::string, std::string>{{kPath, "; mine\n[main]\nexplorer=true\n"}}));
}

TEST(ProfileWriteSteps, AFailedStepLeavesTheOldFileAndNoTemporary) {
    for (const std::string step : {"CreateTemp", "Write", "Flush", "Rename"}) {
        FakeFiles fake;
        fake.files[kPath] = kOld;
        fake.failAt = step;
        const FileResult r = WriteProfileString(fake, "main", "explorer", "true", kPath);
        EXPECT_FALSE(r.ok) << step;
        EXPECT_EQ(r.error, step + " failed: No space left on device");
        EXPECT_EQ(fake.files, (std::map<std::string, std::string>{{kPath, kOld}})) << step;
        EXPECT_EQ(fake.calls.back(), step == "CreateTemp" ? "CreateTemp" : "Remove") << step;
    }
}

TEST(ProfileWriteSteps, AFailedFolderFlushIsReportedAfterTheReplace) {
    FakeFiles fake;
    fake.files[kPath] = kOld;
    fake.failAt = "SyncFolder";
    EXPECT_FALSE(WriteProfileString(fake, "main", "explorer", "true", kPath).ok);
    EXPECT_EQ(fake.files.at(kPath), "; mine\n[main]\nexplorer=true\n");
    EXPECT_EQ(fake.files.size(), 1u);
}

TEST(ProfileWriteSteps, AnUnreadableFileIsNeverOverwritten) {
    FakeFiles fake;
    fake.files[kPath] = kOld;
    fake.unreadable = true;
    const FileResult r = WriteProfileString(fake, "main", "explorer", "true", kPath);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error, "Permission denied");
    EXPECT_EQ(fake.calls, (std::vector<std::string>{"RemoveStaleTemps", "ReadAll"}));
    EXPECT_EQ(fake.files.at(kPath), kOld);
}

TEST(ProfileWriteSteps, AWriteThatChangesNothingWritesNothing) {
    for (const std::string file : {"[main]\nexplorer=false\n", "[MAIN]\n explorer = false \n",
                                   "[main]\nexplorer=\"false\"\n", "[main]\nexplorer='false'\nexplorer=true\n"}) {
        FakeFiles fake;
        fake.files[kPath] = file;
        EXPECT_TRUE(WriteProfileString(fake, "main", "explorer", "false", kPath).ok);
        EXPECT_EQ(fake.calls, (std::vector<std::string>{"RemoveStaleTemps", "ReadAll"})) << file;
        EXPECT_EQ(fake.files.at(kPath), file);
    }
    // Cut or otherwise different values are changes.
    FakeFiles fake;
    fake.files[kPath] = "[main]\nstart=minimizedXYZ\n";
    EXPECT_TRUE(WriteProfileString(fake, "main", "start", "minimized", kPath).ok);
    EXPECT_EQ(fake.files.at(kPath), "[main]\nstart=minimized\n");
}

TEST(ProfileWriteSteps, MissingFileIsCreated) {
    FakeFiles fake;
    EXPECT_TRUE(WriteProfileString(fake, "main", "start", "normal", kPath).ok);
    EXPECT_EQ(fake.files.at(kPath), "[main]\r\nstart=normal\r\n");
}

TEST(ProfileWriteSteps, NamesAndValuesThatWouldBreakTheFileAreRefused) {
    const std::vector<std::vector<std::string>> bad = {
        {"main", "explorer", "true\r\n[evil]"}, {"main", "explorer", "a\nb"}, {"main", "explorer", "a\rb"},
        {"ma\nin", "explorer", "true"},        {"main", "exp\rlorer", "true"}, {"main", "explorer", "tr\0ue"s},
        {"main", "", "true"},                  {" ", "explorer", "true"},      {"main", "a=b", "true"},
        {"main", "[x]", "true"},
    };
    for (const auto& args : bad) {
        FakeFiles fake;
        fake.files[kPath] = kOld;
        const FileResult r = WriteProfileString(fake, args[0], args[1], args[2], kPath);
        EXPECT_FALSE(r.ok) << args[0] << "/" << args[1] << "/" << args[2];
        EXPECT_FALSE(r.error.empty());
        EXPECT_TRUE(fake.calls.empty());
        EXPECT_EQ(fake.files.at(kPath), kOld);
    }
}

// ---- Real files -------------------------------------------------------------

class ProfileFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() /
                  ("nagwick-write-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) +
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
