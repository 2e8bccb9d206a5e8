// The settings file through the system's profile functions: any folder name,
// an ANSI file, values cut to the buffer, and a failed write that says why.
#include <gtest/gtest.h>

#include "platform/win32/windows_api.h"

#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/win32/system_profile.h"
#include "platform/win32/wide_text.h"

namespace {

namespace fs = std::filesystem;
using nagwick::platform::win32::Narrow;
using nagwick::platform::win32::ReadSystemProfileString;
using nagwick::platform::win32::WriteSystemProfileString;

class SystemProfileTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Greek and Japanese: outside any single ANSI code page.
        folder_ = fs::temp_directory_path() / (L"nagwick Ωμέγα テスト " + std::to_wstring(GetCurrentProcessId()));
        fs::remove_all(folder_);
        fs::create_directories(folder_);
    }
    void TearDown() override { fs::remove_all(folder_); }

    fs::path File() const { return folder_ / L"nagwick.ini"; }
    std::string Path() const { return Narrow(File().wstring()); }
    std::string Read(const char* key, std::size_t buffer) const {
        return ReadSystemProfileString("main", key, "default", buffer, Path());
    }

    fs::path folder_;
};

TEST_F(SystemProfileTest, WritesAnAnsiFileInAFolderOutsideTheAnsiCodePage) {
    ASSERT_TRUE(WriteSystemProfileString("main", "explorer", "false", Path()).ok);
    ASSERT_TRUE(WriteSystemProfileString("main", "start", "minimized", Path()).ok);
    std::ostringstream bytes;
    bytes << std::ifstream(File(), std::ios::binary).rdbuf();
    EXPECT_EQ(bytes.str(), "[main]\r\nexplorer=false\r\nstart=minimized\r\n");
    EXPECT_EQ(Read("start", 10), "minimized");
}

TEST_F(SystemProfileTest, ReadsDefaultsValuesCutToTheBufferAndAnsiAsUtf8) {
    EXPECT_EQ(Read("explorer", 100), "default") << "no file";
    std::ofstream(File(), std::ios::binary) << "[main]\r\nstart=minimizedly\r\nexplorer=gr\xFCn\r\n";
    EXPECT_EQ(Read("missing", 100), "default");
    EXPECT_EQ(Read("start", 10), "minimized");
    EXPECT_EQ(Read("start", 1), "");
    EXPECT_EQ(Read("start", 0), "");
    EXPECT_EQ(Read("explorer", 20), "gr\xC3\xBCn");  // ü in Windows-1252
}

TEST_F(SystemProfileTest, FailedWriteSaysWhy) {
    // A folder where the file should be: it can't be written.
    fs::create_directories(File());
    const auto result = WriteSystemProfileString("main", "explorer", "true", Path());
    EXPECT_FALSE(result.ok);
    ASSERT_FALSE(result.error.empty());
    // The system's own words, not a number, and no line end of theirs.
    EXPECT_EQ(result.error.find("system error"), std::string::npos) << result.error;
    EXPECT_NE(result.error.back(), '\n');
    EXPECT_NE(result.error.back(), '\r');
}

}  // namespace
