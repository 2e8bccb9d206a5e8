// The application folder: a path's folder part, a drive's root keeping its
// backslash.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/win32/app_folder.h"
#include "platform/win32/wide_text.h"

namespace {

using nagwick::platform::win32::ExecutableFolder;
using nagwick::platform::win32::FolderOf;
using nagwick::platform::win32::Widen;

TEST(AppFolder, FolderPartWithoutTrailingBackslash) {
    EXPECT_EQ(FolderOf(L"C:\\Tools\\Nagwick.exe"), L"C:\\Tools");
    EXPECT_EQ(FolderOf(L"C:\\my drive, one\\two\\Nagwick.exe"), L"C:\\my drive, one\\two");
    EXPECT_EQ(FolderOf(L"\\\\server\\share\\Nagwick.exe"), L"\\\\server\\share");
}

TEST(AppFolder, DriveRootKeepsItsBackslash) {
    EXPECT_EQ(FolderOf(L"E:\\Nagwick.exe"), L"E:\\");
    EXPECT_EQ(FolderOf(L"\\\\?\\E:\\Nagwick.exe"), L"\\\\?\\E:\\");
}

TEST(AppFolder, RunningProgramsFolderHoldsIt) {
    const std::string folder = ExecutableFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_NE(folder.back(), '\\');
    EXPECT_TRUE(std::filesystem::exists(std::filesystem::path(Widen(folder)) / L"nagwick_win32_tests.exe"))
        << folder;
}

}  // namespace
