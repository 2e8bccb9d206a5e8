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

TEST(AppFolder, FolderPartWithoutTrailingBackslashButARootKeepsIt) {
    const std::pair<const wchar_t*, const wchar_t*> cases[] = {
        {L"C:\\my drive, one\\two\\Nagwick.exe", L"C:\\my drive, one\\two"},
        {L"\\\\server\\share\\Nagwick.exe", L"\\\\server\\share"},
        {L"E:\\Nagwick.exe", L"E:\\"},
        {L"\\\\?\\E:\\Nagwick.exe", L"\\\\?\\E:\\"},
    };
    for (const auto& [path, folder] : cases) EXPECT_EQ(FolderOf(path), folder) << path;
}

TEST(AppFolder, RunningProgramsFolderHoldsIt) {
    const std::string folder = ExecutableFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_NE(folder.back(), '\\');
    EXPECT_TRUE(std::filesystem::exists(std::filesystem::path(Widen(folder)) / L"nagwick_win32_tests.exe"))
        << folder;
}

}  // namespace
