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

    std::string Path(const wchar_t* name = L"nagwick.ini") const { return Narrow((folder_ / name).wstring()); }
    std::string Bytes(const wchar_t* name = L"nagwick.ini") const {
        std::ifstream file(folder_ / name, std::ios::binary);
        std::ostringstream bytes;
        bytes << file.rdbuf();
        return bytes.str();
    }
    void Put(const std::string& bytes) const {
        std::ofstream(folder_ / L"nagwick.ini", std::ios::binary) << bytes;
    }

    fs::path folder_;
};

TEST_F(SystemProfileTest, WritesAnAnsiFileInAFolderOutsideTheAnsiCodePage) {
    ASSERT_TRUE(WriteSystemProfileString("main", "explorer", "false", Path()).ok);
    ASSERT_TRUE(WriteSystemProfileString("main", "start", "minimized", Path()).ok);
    EXPECT_EQ(Bytes(), "[main]\r\nexplorer=false\r\nstart=minimized\r\n");
    EXPECT_EQ(ReadSystemProfileString("main", "explorer", "true", 6, Path()), "false");
    EXPECT_EQ(ReadSystemProfileString("main", "start", "normal", 10, Path()), "minimized");
}

TEST_F(SystemProfileTest, DefaultsWhenFileOrKeyIsMissing) {
    EXPECT_EQ(ReadSystemProfileString("main", "explorer", "true", 6, Path()), "true");
    Put("[main]\r\nstart=minimized\r\n");
    EXPECT_EQ(ReadSystemProfileString("main", "explorer", "true", 6, Path()), "true");
    EXPECT_FALSE(fs::exists(folder_ / L"other.ini")) << "reading made a file";
}

TEST_F(SystemProfileTest, ValuesAreCutToTheBuffer) {
    Put("[main]\r\nstart=minimizedly\r\nexplorer=falsehood\r\n");
    EXPECT_EQ(ReadSystemProfileString("main", "start", "normal", 10, Path()), "minimized");
    EXPECT_EQ(ReadSystemProfileString("main", "explorer", "true", 6, Path()), "false");
    EXPECT_EQ(ReadSystemProfileString("main", "explorer", "true", 1, Path()), "");
    EXPECT_EQ(ReadSystemProfileString("main", "explorer", "true", 0, Path()), "");
}

TEST_F(SystemProfileTest, AnsiBytesComeBackAsUtf8) {
    Put("[main]\r\nexplorer=gr\xFCn\r\n");  // ü in Windows-1252
    EXPECT_EQ(ReadSystemProfileString("main", "explorer", "true", 20, Path()), "gr\xC3\xBCn");
}

TEST_F(SystemProfileTest, FailedWriteSaysWhy) {
    // A folder where the file should be: it can't be written.
    fs::create_directories(folder_ / L"nagwick.ini");
    const auto result = WriteSystemProfileString("main", "explorer", "true", Path());
    EXPECT_FALSE(result.ok);
    EXPECT_FALSE(result.error.empty());
    EXPECT_EQ(result.error.find("system error"), std::string::npos) << result.error;
    EXPECT_EQ(result.error.back() == '\n' || result.error.back() == '\r', false);
}

}  // namespace
